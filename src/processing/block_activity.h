// Where in a grid something may still change: one flag per row and block of
// 64 columns. The thinning methods use it to look only near the cells the
// previous pass removed; a flag may be set where nothing changes (blocks are
// coarse), never the other way round.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orvane {

class BlockActivity {
public:
    static constexpr int kShift = 6; ///< 64 columns per block

    /// Sizes the map for `rows` x `cols` cells, every block quiet (or active).
    void reset(int rows, int cols, bool active)
    {
        m_rows = rows;
        m_blocksPerRow = (cols >> kShift) + 1;
        m_flags.assign(std::size_t(rows) * std::size_t(m_blocksPerRow), std::uint8_t(active));
        m_rowActive.assign(std::size_t(rows), std::uint8_t(active));
    }

    void clear()
    {
        std::fill(m_flags.begin(), m_flags.end(), std::uint8_t(0));
        std::fill(m_rowActive.begin(), m_rowActive.end(), std::uint8_t(0));
    }

    /// Activates the blocks holding cells within `radius` rows and columns
    /// of (r, c), as far as they lie in the grid.
    void activateAround(int r, int c, int radius) { activateAround(r, c, c, radius); }

    /// The same for every cell of row r from column `first` to `last`.
    void activateAround(int r, int first, int last, int radius)
    {
        const int firstBlock = std::max(first - radius, 0) >> kShift;
        const int lastBlock = std::min((last + radius) >> kShift, m_blocksPerRow - 1);
        for (int row = std::max(r - radius, 0); row <= std::min(r + radius, m_rows - 1); ++row) {
            std::uint8_t* flags = &m_flags[std::size_t(row) * std::size_t(m_blocksPerRow)];
            for (int b = firstBlock; b <= lastBlock; ++b)
                flags[b] = 1;
            m_rowActive[std::size_t(row)] = 1;
        }
    }

    bool active(int r, int c) const { return blockActive(r, c >> kShift); }
    bool blockActive(int r, int block) const
    {
        return m_flags[std::size_t(r) * std::size_t(m_blocksPerRow) + std::size_t(block)];
    }
    bool rowActive(int r) const { return m_rowActive[std::size_t(r)]; }
    int blocksPerRow() const { return m_blocksPerRow; }

    void swap(BlockActivity& other) noexcept
    {
        std::swap(m_rows, other.m_rows);
        std::swap(m_blocksPerRow, other.m_blocksPerRow);
        m_flags.swap(other.m_flags);
        m_rowActive.swap(other.m_rowActive);
    }

private:
    int m_rows = 0;
    int m_blocksPerRow = 1;
    std::vector<std::uint8_t> m_flags;
    std::vector<std::uint8_t> m_rowActive;
};

} // namespace orvane
