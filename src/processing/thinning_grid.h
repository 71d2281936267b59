// ThinningGrid: the thinning methods' working grid, one bit a cell.
//
// A byte a cell made the grid eight times the size of a black-and-white
// scan; a bit a cell keeps it near the scan's own size and lets the methods
// look at 64 cells in one word. Each row holds one or more planes of bits
// one after the other, each plane `words` 64-bit words long; bit c of a
// plane row (bit c & 63 of word c >> 6) is the cell in column c. Plane 0
// holds the ink. Every plane row ends with at least one spare word, always
// zero, so that a read of a few bits past the last column stays inside.
#pragma once

#include "image/bit_rows.h"
#include "image/pixel_grid.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace orvane {

class Port;

class ThinningGrid {
public:
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    /// 64-bit words in each plane row.
    int words() const { return m_words; }
    int planes() const { return m_planes; }
    /// Bits from one row to the next, in one plane.
    std::size_t rowBits() const { return std::size_t(m_words) * std::size_t(m_planes) * 64; }

    std::uint64_t* row(int r, int plane = 0)
    {
        return m_block + (std::size_t(r) * std::size_t(m_planes) + std::size_t(plane)) * std::size_t(m_words);
    }
    const std::uint64_t* row(int r, int plane = 0) const
    {
        return m_block + (std::size_t(r) * std::size_t(m_planes) + std::size_t(plane)) * std::size_t(m_words);
    }
    /// The whole block: cell (r, c) of plane p is bit r * rowBits() + p *
    /// words() * 64 + c.
    std::uint64_t* block() { return m_block; }
    const std::uint64_t* block() const { return m_block; }

    bool get(int r, int c, int plane = 0) const { return (row(r, plane)[c >> 6] >> (c & 63)) & 1; }
    void set(int r, int c, bool on, int plane = 0)
    {
        std::uint64_t& word = row(r, plane)[c >> 6];
        const std::uint64_t bit = std::uint64_t(1) << (c & 63);
        word = on ? word | bit : word & ~bit;
    }

private:
    friend std::unique_ptr<ThinningGrid> NewThinningGrid(Port&, int, int, int);
    PixelGridPtr m_storage; ///< the rows' bytes, from the common grid allocator
    std::uint64_t* m_block = nullptr;
    int m_rows = 0;
    int m_cols = 0;
    int m_words = 0;
    int m_planes = 1;
};

using ThinningGridPtr = std::unique_ptr<ThinningGrid>;

/// Makes a grid of rows x cols cells in `planes` planes, every bit clear.
/// Fails as NewPixelGrid does, telling the user the same way, and returns
/// null.
ThinningGridPtr NewThinningGrid(Port& port, int rows, int cols, int planes = 1);

/// Bits c - 1, c and c + 1 of a plane row (c at least 1) as bits 0 to 2.
inline unsigned ThreeBits(const std::uint64_t* row, std::size_t c)
{
    const std::size_t first = c - 1;
    std::uint64_t word;
    std::memcpy(&word, reinterpret_cast<const unsigned char*>(row) + (first >> 3), sizeof word);
    return unsigned(word >> (first & 7)) & 7u;
}

/// The bits of three rows around column c, the row above in bits 0 to 2,
/// the cell's own row in 3 to 5 and the row below in 6 to 8, each from
/// column c - 1 on: the nine cells of a 3 x 3 neighbourhood.
inline unsigned NineBits(const std::uint64_t* up, const std::uint64_t* row, const std::uint64_t* down, std::size_t c)
{
    return ThreeBits(up, c) | ThreeBits(row, c) << 3 | ThreeBits(down, c) << 6;
}

/// The same where the three rows are a grid's, addressed by the bit index
/// `k` of the middle cell in the block, rows `rowBits` apart.
inline unsigned NineBitsAt(const std::uint64_t* block, std::size_t k, std::size_t rowBits)
{
    return ThreeBits(block, k - rowBits) | ThreeBits(block, k) << 3 | ThreeBits(block, k + rowBits) << 6;
}

/// The bits of word w of a plane row that stand for columns `first` to
/// `last`.
inline std::uint64_t ColumnMask(int w, int first, int last)
{
    const int low = first - (w << 6) > 0 ? first - (w << 6) : 0;
    const int high = last - (w << 6) < 63 ? last - (w << 6) : 63;
    if (high < low)
        return 0;
    return (~std::uint64_t(0) >> (63 - high)) & (~std::uint64_t(0) << low);
}

/// Word w of a plane row moved one column: bit i then holds the cell west
/// (left) of bit i's own.
inline std::uint64_t WestOf(const std::uint64_t* row, int w)
{
    return row[w] << 1 | (w > 0 ? row[w - 1] >> 63 : 0);
}

/// The same for the cell east (right) of it; the spare word past the last
/// column keeps this inside the row.
inline std::uint64_t EastOf(const std::uint64_t* row, int w) { return row[w] >> 1 | row[w + 1] << 63; }

/// Calls f(w, ink, north, south, west, east) for each word w of row r in
/// plane 0 that holds ink from column `first` to `last` (1 to the
/// interior's last): `ink` has the bits of those cells, and the others the
/// bits of the cells beside each of them, on that side.
template <class F>
void ForEachInkWord(const ThinningGrid& grid, int r, int first, int last, F&& f)
{
    const std::uint64_t* up = grid.row(r - 1);
    const std::uint64_t* row = grid.row(r);
    const std::uint64_t* down = grid.row(r + 1);
    for (int w = first >> 6; w <= last >> 6; ++w) {
        const std::uint64_t ink = row[w] & ColumnMask(w, first, last);
        if (ink)
            f(w, ink, up[w], down[w], WestOf(row, w), EastOf(row, w));
    }
}

} // namespace orvane
