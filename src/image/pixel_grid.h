// PixelGrid: the rows-by-columns byte array the image algorithms work on.
//
// Cells are addressed data[row][column]; there is no padding and no colour
// table. What a cell value means is stated by each algorithm; most use 0 for
// ink and 255 for background.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace orvane {

class Port;

/// The dimensions of a grid.
struct PixelGridInfo {
    std::int32_t rows = 0;
    std::int32_t cols = 0; ///< bytes in each row
    std::int32_t spare1 = 0;
    std::int32_t spare2 = 0;
};

/// A grid owns its info and its rows; row r is `cols` bytes at data[r], all
/// rows in one block, one after the other, not initialised when the grid is
/// made.
struct PixelGrid {
    std::unique_ptr<PixelGridInfo> info;
    std::unique_ptr<std::uint8_t*[]> data;
    std::unique_ptr<std::uint8_t[]> block;

    PixelGrid() = default;
    PixelGrid(const PixelGrid&) = delete;
    PixelGrid& operator=(const PixelGrid&) = delete;
    ~PixelGrid();
};

using PixelGridPtr = std::unique_ptr<PixelGrid>;

/// Decides whether one allocation of NewPixelGrid fails, for tests that
/// simulate running out of memory: called with -2 for the grid record and
/// its info, -1 for the row-pointer array and 0 for the rows' block.
using GridFaultInjector = std::function<bool(int part)>;

/// Makes a grid of rows x cols bytes. On failure tells the user why through
/// the port ("Error: Bad image size (%d,%d)\n" for a negative size, "Out of
/// storage in new image.\n", or "Out of storage. New image - row 0\n" when
/// the rows cannot be had) and returns null, having freed what it took.
/// A grid of 0 rows or 0 columns is legal.
PixelGridPtr NewPixelGrid(Port& port, int rows, int cols, const GridFaultInjector& fault = nullptr);

/// Frees every row, the row pointers, the info and the record.
void FreePixelGrid(PixelGridPtr& grid);

} // namespace orvane
