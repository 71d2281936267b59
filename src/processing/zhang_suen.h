// The Zhang-Suen thinning method: a one-pass-per-iteration variant of
// T. Y. Zhang and C. Y. Suen, "A fast parallel algorithm for thinning
// digital patterns", Communications of the ACM 27(3), 1984, followed by two
// staircase-removal passes.
#pragma once

#include <cstdint>

namespace orvane {

class ThinningGrid;
class OperationProgress;

/// Thins the working grid (two planes: plane 0 a bit set for ink, plane 1
/// for the marks; a background frame one cell wide) in place to lines one
/// cell wide, in plane 0.
///
/// Each pass marks, from the grid as it was at the start of the pass, every
/// edge pixel that none of the three survival conditions protects, then
/// removes the marks in scan order. A marked cell is kept when its removal
/// at that moment would split its remaining ink neighbours or remove the
/// last cell of a stroke, or when it is the end of a two-pixel band at or
/// near 45 degrees: the passes never thin such a band's inside, so its ends
/// would otherwise be eaten pass after pass, shortening the line by several
/// pixels (at exactly 45 degrees, until it is gone). The two staircase
/// passes are removed the same way. Passes repeat while a pass removed
/// something.
///
/// Checks for a cancel before each row of two conversion passes (one before
/// the thinning, one after) and of every pass
/// and before each pass. Returns 1 when it finished, 0 after a cancel (the
/// grid is then left in any state).
int ThinZhangSuen(ThinningGrid& grid, OperationProgress& progress);

} // namespace orvane
