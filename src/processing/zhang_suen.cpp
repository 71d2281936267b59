// The Zhang-Suen thinning method.
//
// The grid's plane 0 holds a bit a cell, set for ink; plane 1 the marks of
// the pass in hand, set for a cell the pass removes unless its removal
// would cut a stroke. Only ink cells with a
// background 4-neighbour can be edge pixels or staircase corners, so each
// pass looks at those cells only, found 64 at a time.
// After the first pass, only near the cells the last pass removed (see
// markPass()); the marks, and so the result, are those of full passes.
#include "processing/zhang_suen.h"

#include "processing/block_activity.h"
#include "processing/neighbourhood.h"
#include "processing/operation_progress.h"
#include "processing/thinning_grid.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane {
namespace {

namespace nb = neighbourhood;

/// Rows of exact 45-degree band beyond a cell that make it a band's end.
constexpr int kBandTipRows = 4;
/// Rows of near-45-degree band beyond a cell that make it a band's end, and
/// how many of the steps between them must move one column on.
constexpr int kNearBandRows = 7;
constexpr int kNearBandDiagonalSteps = 4;

constexpr int kMarkPlane = 1;

class ZhangSuen {
public:
    ZhangSuen(ThinningGrid& grid, OperationProgress& progress)
        : m_grid(grid), m_rows(grid.rows()), m_cols(grid.cols()), m_progress(progress)
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
    void convert() { nb::CheckEachRow(m_rows, m_progress); }
    void restore() { nb::CheckEachRow(m_rows, m_progress); }

    void thinToLines()
    {
        m_active.reset(m_rows, m_cols, true);
        m_nextActive.reset(m_rows, m_cols, false);
        bool whole = true; // the first pass looks at the whole grid
        bool changed;
        do {
            if (m_progress.check())
                return;
            markPass(whole);
            changed = applyPassMarks();
            whole = false;
        } while (changed);
        if (m_progress.cancelled())
            return;
        markStaircase(true);
        applyMarks();
        markStaircase(false);
        applyMarks();
    }

    /// The code of the cell (r, c), not on the frame.
    unsigned code(int r, int c) const
    {
        return nb::CodeOfNine(NineBits(m_grid.row(r - 1), m_grid.row(r), m_grid.row(r + 1), std::size_t(c)));
    }

    bool isEdge(int r, int c) const
    {
        // Frame cells are background, so the test never reads outside.
        if (!m_grid.get(r, c))
            return false;
        return nb::IsEdgeCode(code(r, c));
    }

    /// Calls f(c) for each ink cell of the interior of row r, left to right.
    template <class F>
    void forEachInk(int r, F&& f) const
    {
        const std::uint64_t* row = m_grid.row(r);
        for (int w = 0; w <= (m_cols - 2) >> 6; ++w)
            forEachBit(row[w] & ColumnMask(w, 1, m_cols - 2), w, f);
    }


    /// Calls f(c) for the column c of each bit set in `bits`, word w of a
    /// row, left to right.
    template <class F>
    static void forEachBit(std::uint64_t bits, int w, F&& f)
    {
        while (bits) {
            f((w << 6) + std::countr_zero(bits));
            bits &= bits - 1;
        }
    }

    /// One thinning pass: marks from the grid as it stands, nothing removed.
    ///
    /// Whether a cell is marked depends only on the cells from one row above
    /// to two below it and from one column left to two right. Unless `whole`,
    /// only blocks near a cell removed in the last pass are looked at; in the
    /// others the marks are those of the last pass that were kept.
    void markPass(bool whole)
    {
        const int last = m_cols - 2;
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (m_progress.check())
                return;
            std::uint64_t* marks = m_grid.row(r, kMarkPlane);
            if (whole) {
                std::fill(marks, marks + m_grid.words(), std::uint64_t(0));
                markSpan(r, 1, last);
                continue;
            }
            if (!m_active.rowActive(r))
                continue;
            // A block of activity is one word of marks.
            static_assert(BlockActivity::kShift == 6);
            for (int b = 0; b <= last >> 6; ++b)
                if (m_active.blockActive(r, b)) {
                    marks[b] = 0;
                    markSpan(r, std::max(b << 6, 1), std::min(((b + 1) << 6) - 1, last));
                }
        }
    }

    /// Calls f(c) for each ink cell of row r from column `first` to `last`
    /// with a background 4-neighbour, left to right: only those can be edge
    /// pixels. 64 cells at a time.
    template <class F>
    void forEachBorderInk(int r, int first, int last, F&& f) const
    {
        ForEachInkWord(m_grid, r, first, last,
                       [&f](int w, std::uint64_t ink, std::uint64_t n, std::uint64_t s, std::uint64_t west,
                            std::uint64_t east) { forEachBit(ink & ~(n & s & west & east), w, f); });
    }

    /// Marks the cells of row r from column `first` to `last` that the pass
    /// removes unless a survival condition protects them.
    void markSpan(int r, int first, int last)
    {
        forEachBorderInk(r, first, last, [&](int c) {
            const unsigned around = code(r, c);
            if (!nb::IsEdgeCode(around))
                return;
            const bool east = isEdge(r, c + 1);
            const bool south = isEdge(r + 1, c);
            if (east && (around & nb::kN) && (around & nb::kS))
                return;
            if (south && (around & nb::kW) && (around & nb::kE))
                return;
            if (east && south && isEdge(r + 1, c + 1))
                return;
            mark(r, c);
        });
    }

    void mark(int r, int c) { m_grid.row(r, kMarkPlane)[c >> 6] |= std::uint64_t(1) << (c & 63); }

    /// Marks the corners of one-cell staircases, towards the north or south.
    void markStaircase(bool north)
    {
        for (int r = 1; r <= m_rows - 2; ++r) {
            std::uint64_t* marks = m_grid.row(r, kMarkPlane);
            std::fill(marks, marks + m_grid.words(), std::uint64_t(0));
            forEachInk(r, [&](int c) {
                const unsigned around = code(r, c);
                const bool n = around & nb::kN, s = around & nb::kS, e = around & nb::kE, w = around & nb::kW;
                const bool ne = around & nb::kNE, nw = around & nb::kNW, se = around & nb::kSE, sw = around & nb::kSW;
                bool marked;
                if (north)
                    marked = n && ((e && !ne && !sw && (!w || !s)) || (w && !nw && !se && (!e || !s)));
                else
                    marked = s && ((e && !se && !nw && (!w || !n)) || (w && !sw && !ne && (!e || !n)));
                if (marked)
                    mark(r, c);
            });
        }
    }

    bool ink(int r, int c) const { return r >= 0 && r < m_rows && c >= 0 && c < m_cols && m_grid.get(r, c); }

    /// Whether (r, c), whose only ink neighbours are `code`, is the end of
    /// a two-pixel band that runs on near 45 degrees. Those neighbours must
    /// be a horizontal pair between background in the next (or previous)
    /// row. In each row beyond, the band's ink must be one run of one to
    /// three cells between background that starts at the last run's far end
    /// or just after it. The end is kept when the first four rows are pairs
    /// each one column on (an exact 45-degree band), or when over seven rows
    /// the far end moves exactly one column on in at least four of the six
    /// steps (a band a few degrees off 45, broken now and then by a run of
    /// one or three). The passes never thin such a band's inside, so
    /// without this its ends would be eaten pass after pass.
    bool isBandTip(int r, int c, unsigned code) const
    {
        for (int dy : {1, -1})
            for (int dx : {1, -1}) {
                const unsigned pair = dy > 0 ? (nb::kS | (dx > 0 ? nb::kSE : nb::kSW))
                                             : (nb::kN | (dx > 0 ? nb::kNE : nb::kNW));
                if (code == pair && runsOnAsBand(r, c, dy, dx))
                    return true;
            }
        return false;
    }

    /// The band test of isBandTip for the pair (c, c + dx) in row r + dy.
    bool runsOnAsBand(int r, int c, int dy, int dx) const
    {
        if (ink(r + dy, c - dx) || ink(r + dy, c + 2 * dx))
            return false;
        int far = c + dx; // the far end of the last run
        bool exact = true;
        int diagonal = 0;
        for (int step = 2; step <= kNearBandRows; ++step) {
            const int y = r + step * dy;
            const int start = ink(y, far) ? far : far + dx;
            if (!ink(y, start) || ink(y, start - dx))
                return false;
            int length = 1;
            while (length <= 3 && ink(y, start + length * dx))
                ++length;
            if (length > 3)
                return false;
            const int end = start + (length - 1) * dx;
            exact = exact && start == far && length == 2;
            if (step == kBandTipRows && exact)
                return true;
            diagonal += int(end == far + dx);
            far = end;
        }
        return diagonal >= kNearBandDiagonalSteps;
    }

    /// Removes the marked cells in scan order, each seeing the removals
    /// before it. A marked cell is kept when its removal now would split
    /// its ink neighbours or leave it none (the connectivity number is not
    /// 1), or when it is the end of a two-pixel band near 45 degrees (see
    /// isBandTip()). Returns whether a cell was removed.
    ///
    /// With `trackChanges`, the marks kept stay for the next pass, which
    /// keeps them where it does not look again, and the blocks whose marks a
    /// removal may change are activated for it; without, every mark goes.
    bool applyMarks(bool trackChanges = false)
    {
        bool removed = false;
        for (int r = 1; r <= m_rows - 2; ++r) {
            std::uint64_t* marks = m_grid.row(r, kMarkPlane);
            std::uint64_t* ink = m_grid.row(r);
            for (int w = 0; w <= (m_cols - 2) >> 6; ++w) {
                int first = -1, last = -1; // the word's first and last removal
                for (std::uint64_t bits = marks[w]; bits; bits &= bits - 1) {
                    const int c = (w << 6) + std::countr_zero(bits);
                    const std::uint64_t one = bits & -bits;
                    const unsigned around = code(r, c);
                    if (nb::ConnectivityOfCode(around) != 1 || isBandTip(r, c, around)) {
                        if (!trackChanges)
                            marks[w] &= ~one;
                        continue;
                    }
                    ink[w] &= ~one;
                    marks[w] &= ~one;
                    removed = true;
                    first = first < 0 ? c : first;
                    last = c;
                }
                if (trackChanges && first >= 0)
                    m_nextActive.activateAround(r, first, last, 2);
            }
        }
        return removed;
    }

    /// Applies a thinning pass's marks and prepares the next pass.
    bool applyPassMarks()
    {
        m_nextActive.clear();
        const bool removed = applyMarks(true);
        m_active.swap(m_nextActive);
        return removed;
    }

    ThinningGrid& m_grid;
    int m_rows;
    int m_cols;
    OperationProgress& m_progress;
    BlockActivity m_active;     ///< where the current pass looks
    BlockActivity m_nextActive; ///< where the next one will
};

} // namespace

int ThinZhangSuen(ThinningGrid& grid, OperationProgress& progress) { return ZhangSuen(grid, progress).run(); }

} // namespace orvane
