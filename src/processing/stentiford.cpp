// The Stentiford thinning method.
//
// Values inside the method: ink 0, background 1, marked 2 (an ink cell to be
// removed at the end of the iteration).
//
// Background cells never change during an iteration (ink only becomes
// marked), so which template an ink cell can match is fixed when the
// iteration starts, and only ink cells with a background 4-neighbour can
// match any. Each iteration therefore lists those cells once, in row order
// and in column order, and each template visits only its own cells, in the
// order its scan would meet them. The checks for a cancel stay once per row
// or column of each scan.
#include "processing/stentiford.h"

#include "image/pixel_grid.h"
#include "processing/neighbourhood.h"
#include "processing/operation_progress.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane {
namespace {

namespace nb = neighbourhood;

constexpr std::uint8_t kInk = 0;
constexpr std::uint8_t kBackground = 1;
constexpr std::uint8_t kMarked = 2;

/// Which templates a cell can match.
enum : std::uint8_t { kTop = 1, kLeft = 2, kBottom = 4, kRight = 8 };

struct Candidate {
    std::int32_t row;
    std::int32_t col;
    std::uint8_t templates;
};

class Stentiford {
public:
    Stentiford(PixelGrid& grid, OperationProgress& progress)
        : m_g(grid.data.get()), m_rows(grid.info->rows), m_cols(grid.info->cols), m_progress(progress)
    {
    }

    int run()
    {
        // After a cancel every later step stops at its first check.
        convert();
        bool changed;
        do {
            gather();
            scanTop();
            scanLeft();
            scanBottom();
            scanRight();
            changed = removeMarks();
        } while (changed);
        restore();
        return m_progress.check() ? 0 : 1;
    }

private:
    void convert()
    {
        nb::RecodeCells(m_g, m_rows, m_cols, m_progress,
                        [](std::uint8_t v) { return v == 255 ? kBackground : kInk; });
    }

    void restore()
    {
        nb::RecodeCells(m_g, m_rows, m_cols, m_progress, [](std::uint8_t v) { return std::uint8_t(v > 0 ? 255 : 0); });
    }

    /// Lists the ink cells that can match a template, in row order, and the
    /// same cells in column order (rows ascending within a column).
    void gather()
    {
        m_byRow.clear();
        m_rowStart.assign(std::size_t(m_rows) + 1, 0);
        constexpr std::uint64_t kAllBackground = 0x0101010101010101ull;
        const int last = m_cols - 2;
        for (int r = 1; r <= m_rows - 2; ++r) {
            m_rowStart[r] = std::int32_t(m_byRow.size());
            const std::uint8_t* up = m_g[r - 1];
            const std::uint8_t* row = m_g[r];
            const std::uint8_t* down = m_g[r + 1];
            int c = 1;
            while (c <= last) {
                if (c + 8 <= last + 1) {
                    std::uint64_t word;
                    std::memcpy(&word, row + c, 8);
                    if (word == kAllBackground) {
                        c += 8;
                        continue;
                    }
                }
                if (row[c] == kInk) {
                    const bool n = up[c] == kBackground, s = down[c] == kBackground;
                    const bool w = row[c - 1] == kBackground, e = row[c + 1] == kBackground;
                    const std::uint8_t t = std::uint8_t((n && !s ? kTop : 0) | (w && !e ? kLeft : 0) |
                                                        (!n && s ? kBottom : 0) | (!w && e ? kRight : 0));
                    if (t)
                        m_byRow.push_back({r, c, t});
                }
                ++c;
            }
        }
        m_rowStart[m_rows - 1] = std::int32_t(m_byRow.size());
        m_rowStart[m_rows] = std::int32_t(m_byRow.size());

        m_colStart.assign(std::size_t(m_cols) + 1, 0);
        for (const Candidate& k : m_byRow)
            ++m_colStart[k.col + 1];
        for (int c = 0; c < m_cols; ++c)
            m_colStart[c + 1] += m_colStart[c];
        m_byCol.resize(m_byRow.size());
        std::vector<std::int32_t> next(m_colStart.begin(), m_colStart.end() - 1);
        for (std::int32_t k = 0; k < std::int32_t(m_byRow.size()); ++k)
            m_byCol[next[m_byRow[k].col]++] = k;
    }

    /// Marks a candidate of template t when it is still ink, is not a line
    /// end and joins exactly one group of ink neighbours.
    void visit(const Candidate& k, std::uint8_t t)
    {
        if (!(k.templates & t))
            return;
        std::uint8_t& cell = m_g[k.row][k.col];
        if (cell != kInk)
            return;
        const unsigned code = nb::CodeOfValue(m_g[k.row - 1], m_g[k.row], m_g[k.row + 1], k.col, kInk);
        if (nb::InkCount(code) != 1 && nb::ConnectivityOfCode(code) == 1)
            cell = kMarked;
    }

    void scanTop()
    {
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (m_progress.check())
                return;
            for (std::int32_t k = m_rowStart[r]; k < m_rowStart[r + 1]; ++k)
                visit(m_byRow[k], kTop);
        }
    }

    void scanLeft()
    {
        for (int c = 1; c <= m_cols - 2; ++c) {
            if (m_progress.check())
                return;
            for (std::int32_t k = m_colStart[c + 1] - 1; k >= m_colStart[c]; --k)
                visit(m_byRow[m_byCol[k]], kLeft);
        }
    }

    void scanBottom()
    {
        for (int r = m_rows - 2; r >= 1; --r) {
            if (m_progress.check())
                return;
            for (std::int32_t k = m_rowStart[r + 1] - 1; k >= m_rowStart[r]; --k)
                visit(m_byRow[k], kBottom);
        }
    }

    void scanRight()
    {
        for (int c = m_cols - 2; c >= 1; --c) {
            if (m_progress.check())
                return;
            for (std::int32_t k = m_colStart[c]; k < m_colStart[c + 1]; ++k)
                visit(m_byRow[m_byCol[k]], kRight);
        }
    }

    /// Turns the marks of this iteration into background, row by row.
    /// Returns whether there was one.
    bool removeMarks()
    {
        bool changed = false;
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (m_progress.check())
                return changed;
            for (std::int32_t k = m_rowStart[r]; k < m_rowStart[r + 1]; ++k) {
                std::uint8_t& cell = m_g[m_byRow[k].row][m_byRow[k].col];
                if (cell == kMarked) {
                    cell = kBackground;
                    changed = true;
                }
            }
        }
        return changed;
    }

    std::uint8_t** m_g;
    int m_rows;
    int m_cols;
    OperationProgress& m_progress;
    std::vector<Candidate> m_byRow;
    std::vector<std::int32_t> m_rowStart;
    std::vector<std::int32_t> m_byCol; ///< indices into m_byRow, by column
    std::vector<std::int32_t> m_colStart;
};

} // namespace

int ThinStentiford(PixelGrid& grid, OperationProgress& progress) { return Stentiford(grid, progress).run(); }

} // namespace orvane
