// Allocation of thinning grids.
#include "processing/thinning_grid.h"

#include <cstring>

namespace orvane {

ThinningGridPtr NewThinningGrid(Port& port, int rows, int cols, int planes)
{
    // Two spare words: a read of a row's last cells takes eight bytes from
    // the byte before them.
    const int words = cols < 0 ? 0 : cols / 64 + 2;
    PixelGridPtr storage = NewPixelGrid(port, rows, cols < 0 ? cols : words * planes * 8);
    if (!storage)
        return nullptr;
    ThinningGridPtr grid(new ThinningGrid);
    grid->m_block = rows > 0 ? reinterpret_cast<std::uint64_t*>(storage->block.get()) : nullptr;
    if (grid->m_block)
        std::memset(grid->m_block, 0, std::size_t(rows) * std::size_t(words) * std::size_t(planes) * 8);
    grid->m_storage = std::move(storage);
    grid->m_rows = rows;
    grid->m_cols = cols;
    grid->m_words = words;
    grid->m_planes = planes;
    return grid;
}

} // namespace orvane
