// The Zhang-Suen thinning method.
//
// Values inside the method: ink 1, background 0. Only ink cells with a
// background 4-neighbour can be edge pixels or staircase corners, so each
// pass looks at ink cells only, skipping background eight cells at a time.
#include "processing/zhang_suen.h"

#include "image/pixel_grid.h"
#include "processing/neighbourhood.h"
#include "processing/operation_progress.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane {
namespace {

namespace nb = neighbourhood;

constexpr std::uint8_t kBackground = 0;

/// Rows of two-pixel band below (or above) a cell that make it a band's end.
constexpr int kBandTipRows = 4;

struct Cell {
    std::int32_t row;
    std::int32_t col;
};

class ZhangSuen {
public:
    ZhangSuen(PixelGrid& grid, OperationProgress& progress)
        : m_g(grid.data.get()), m_rows(grid.info->rows), m_cols(grid.info->cols), m_progress(progress)
    {
    }

    int run()
    {
        // After a cancel every later step stops at its first check.
        convert();
        thinToLines();
        restore();
        return m_progress.check() ? 0 : 1;
    }

private:
    /// Ink (anything but 255) becomes 1, background 0.
    void convert()
    {
        nb::RecodeCells(m_g, m_rows, m_cols, m_progress, [](std::uint8_t v) { return std::uint8_t(v != 255); });
    }

    void thinToLines()
    {
        bool changed;
        do {
            if (m_progress.check())
                return;
            markPass();
            changed = applyMarks();
        } while (changed);
        if (m_progress.cancelled())
            return;
        markStaircase(true);
        applyMarks();
        markStaircase(false);
        applyMarks();
    }

    /// Ink (any cell not 0) becomes 0, background 255.
    void restore()
    {
        nb::RecodeCells(m_g, m_rows, m_cols, m_progress, [](std::uint8_t v) { return std::uint8_t(v > 0 ? 0 : 255); });
    }

    bool isEdge(int r, int c) const
    {
        // Frame cells are background, so the test never reads outside.
        if (!m_g[r][c])
            return false;
        return nb::IsEdgeCode(nb::CodeOfNonZero(m_g[r - 1], m_g[r], m_g[r + 1], c));
    }

    /// Calls f(c) for each ink cell of the interior of row r, left to right.
    template <class F>
    void forEachInk(int r, F&& f) const
    {
        const std::uint8_t* row = m_g[r];
        const int last = m_cols - 2;
        int c = 1;
        while (c <= last) {
            if (c + 8 <= last + 1) {
                std::uint64_t word;
                std::memcpy(&word, row + c, 8);
                if (word == 0) {
                    c += 8;
                    continue;
                }
            }
            if (row[c])
                f(c);
            ++c;
        }
    }

    /// One thinning pass: marks from the grid as it stands, nothing removed.
    void markPass()
    {
        m_marks.clear();
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (m_progress.check())
                return;
            const std::uint8_t* up = m_g[r - 1];
            const std::uint8_t* row = m_g[r];
            const std::uint8_t* down = m_g[r + 1];
            forEachInk(r, [&](int c) {
                if (!nb::IsEdgeCode(nb::CodeOfNonZero(up, row, down, c)))
                    return;
                const bool east = isEdge(r, c + 1);
                const bool south = isEdge(r + 1, c);
                if (east && up[c] && down[c])
                    return;
                if (south && row[c - 1] && row[c + 1])
                    return;
                if (east && south && isEdge(r + 1, c + 1))
                    return;
                m_marks.push_back({r, c});
            });
        }
    }

    /// Marks the corners of one-cell staircases, towards the north or south.
    void markStaircase(bool north)
    {
        m_marks.clear();
        for (int r = 1; r <= m_rows - 2; ++r) {
            const std::uint8_t* up = m_g[r - 1];
            const std::uint8_t* row = m_g[r];
            const std::uint8_t* down = m_g[r + 1];
            forEachInk(r, [&](int c) {
                const bool n = up[c], s = down[c], e = row[c + 1], w = row[c - 1];
                const bool ne = up[c + 1], nw = up[c - 1], se = down[c + 1], sw = down[c - 1];
                bool mark;
                if (north)
                    mark = n && ((e && !ne && !sw && (!w || !s)) || (w && !nw && !se && (!e || !s)));
                else
                    mark = s && ((e && !se && !nw && (!w || !n)) || (w && !sw && !ne && (!e || !n)));
                if (mark)
                    m_marks.push_back({r, c});
            });
        }
    }

    bool ink(int r, int c) const { return r >= 0 && r < m_rows && c >= 0 && c < m_cols && m_g[r][c] != 0; }

    /// Whether row r holds exactly the pair (c, c + dx) between background.
    bool bandRow(int r, int c, int dx) const
    {
        return ink(r, c) && ink(r, c + dx) && !ink(r, c - dx) && !ink(r, c + 2 * dx);
    }

    /// Whether (r, c), whose only ink neighbours are `code`, is the end of
    /// a two-pixel 45-degree band: those neighbours are a horizontal pair
    /// in the next (or previous) row, and the three rows beyond hold the same
    /// pair shifted one further each time, between background.
    bool isBandTip(int r, int c, unsigned code) const
    {
        for (int dy : {1, -1})
            for (int dx : {1, -1}) {
                const unsigned pair = dy > 0 ? (nb::kS | (dx > 0 ? nb::kSE : nb::kSW))
                                             : (nb::kN | (dx > 0 ? nb::kNE : nb::kNW));
                if (code != pair)
                    continue;
                bool band = true;
                for (int step = 1; step <= kBandTipRows && band; ++step)
                    band = bandRow(r + step * dy, c + (step - 1) * dx, dx);
                if (band)
                    return true;
            }
        return false;
    }

    /// Removes the marked cells in scan order, each seeing the removals
    /// before it. A marked cell is kept when its removal now would split
    /// its ink neighbours or leave it none (the connectivity number is not
    /// 1), or when it is the end of a two-pixel 45-degree band: the passes
    /// never thin such a band's inside (those cells are not edge pixels),
    /// so without this its ends would be eaten pass after pass until the
    /// whole line is gone. Returns whether a cell was removed.
    bool applyMarks()
    {
        bool removed = false;
        for (const Cell& m : m_marks) {
            const unsigned code = nb::CodeOfNonZero(m_g[m.row - 1], m_g[m.row], m_g[m.row + 1], m.col);
            if (nb::ConnectivityOfCode(code) != 1 || isBandTip(m.row, m.col, code))
                continue;
            m_g[m.row][m.col] = kBackground;
            removed = true;
        }
        m_marks.clear();
        return removed;
    }

    std::uint8_t** m_g;
    int m_rows;
    int m_cols;
    OperationProgress& m_progress;
    std::vector<Cell> m_marks;
};

} // namespace

int ThinZhangSuen(PixelGrid& grid, OperationProgress& progress) { return ZhangSuen(grid, progress).run(); }

} // namespace orvane
