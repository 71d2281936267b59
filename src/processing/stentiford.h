// The Stentiford thinning method: F. W. M. Stentiford and R. G. Mortimer,
// "Some new heuristics for thinning binary handprinted characters for OCR",
// IEEE Transactions on Systems, Man and Cybernetics 13(1), 1983.
#pragma once

#include <cstdint>

namespace orvane {

class ThinningGrid;
class OperationProgress;

/// How far around the cells one iteration removed the next one looks
/// (`cells`, at least 1). Two leave room for marks that follow each other
/// from there; should one reach a cell left out, the iteration is taken
/// back and run again over the whole grid (counted in `reruns`). The
/// result never depends on it.
struct StentifordReach {
    int cells = 2;
    int reruns = 0;
};

/// Thins the working grid (two planes: plane 0 a bit set for ink, plane 1
/// clear, for the marks; a background frame one cell wide) in place to
/// lines one cell wide, in plane 0; plane 1 is clear again after.
///
/// Each iteration runs the four edge templates in turn (top edges by rows
/// from the top, left edges by columns from the left with rows from the
/// bottom, bottom edges by rows from the bottom right to left, right edges
/// by columns from the right with rows from the top) and marks a matching
/// ink cell unless it has exactly one ink neighbour (a line end) or its
/// connectivity number is not 1. Marks count as background at once. The
/// marks are removed at the end of the iteration; iterations repeat while
/// one removed something.
///
/// Checks for a cancel before each row of two conversion passes (one before
/// the thinning, one after) and before each row or column of every scan. Returns 1
/// when it finished, 0 after a cancel (the grid is then left in any state).
int ThinStentiford(ThinningGrid& grid, OperationProgress& progress, StentifordReach* reach = nullptr);

} // namespace orvane
