// Allocation and release of pixel grids.
#include "image/pixel_grid.h"

#include "port/port.h"

#include <new>

namespace orvane {

PixelGrid::~PixelGrid()
{
    if (!data || !info)
        return;
    for (std::int32_t r = 0; r < info->rows; ++r)
        delete[] data[r];
}

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
    for (int r = 0; r < rows; ++r) {
        grid->data[r] = fails(r) ? nullptr : new (std::nothrow) std::uint8_t[std::size_t(cols)];
        if (!grid->data[r]) {
            ShowMessageBox(port, MessageButtons::Ok, "Out of storage. New image - row %d\n", r);
            return nullptr;
        }
        grid->info->rows = r + 1;
    }
    return grid;
}

void FreePixelGrid(PixelGridPtr& grid) { grid.reset(); }

} // namespace orvane
