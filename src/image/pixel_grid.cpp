// Allocation and release of pixel grids.
#include "image/pixel_grid.h"

#include "image/large_pages.h"
#include "port/port.h"

#include <new>

namespace orvane {

PixelGrid::~PixelGrid() = default;

PixelGridPtr NewPixelGrid(Port& port, int rows, int cols, const GridFaultInjector& fault)
{
    auto fails = [&](int part) { return fault && fault(part); };
    if (rows < 0 || cols < 0) {
        ShowMessageBox(port, MessageButtons::Ok, "Error: Bad image size (%d,%d)\n", rows, cols);
        return nullptr;
    }
    PixelGridPtr grid(fails(-2) ? nullptr : new (std::nothrow) PixelGrid);
    if (grid)
        grid->info.reset(new (std::nothrow) PixelGridInfo{0, 0, 0, 0});
    if (!grid || !grid->info) {
        ShowMessageBox(port, MessageButtons::Ok, "Out of storage in new image.\n");
        return nullptr;
    }
    // The row count is raised as rows are made, so a partly made grid frees
    // exactly the rows it holds.
    grid->info->cols = cols;
    grid->data.reset(fails(-1) ? nullptr : new (std::nothrow) std::uint8_t*[std::size_t(rows)]);
    if (!grid->data) {
        ShowMessageBox(port, MessageButtons::Ok, "Out of storage in new image.\n");
        return nullptr;
    }
    // One block for all rows: a grid of a large scan is thousands of rows,
    // and one block costs one allocation and, on large pages, a few page
    // faults where separate rows cost one fault for every row.
    const std::size_t bytes = std::size_t(rows) * std::size_t(cols);
    if (bytes > 0) {
        grid->block.reset(fails(0) ? nullptr : new (std::nothrow) std::uint8_t[bytes]);
        if (!grid->block) {
            ShowMessageBox(port, MessageButtons::Ok, "Out of storage. New image - row %d\n", 0);
            return nullptr;
        }
        AdviseLargePages(grid->block.get(), bytes);
    }
    for (int r = 0; r < rows; ++r)
        grid->data[r] = grid->block.get() + std::size_t(r) * std::size_t(cols);
    grid->info->rows = rows;
    return grid;
}

void FreePixelGrid(PixelGridPtr& grid) { grid.reset(); }

} // namespace orvane
