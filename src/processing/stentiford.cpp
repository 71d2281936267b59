// The Stentiford thinning method.
//
// The grid has two planes of bits: plane 0 is set for ink, plane 1 for a
// marked cell (ink to be removed at the end of the iteration, which no
// longer counts as ink); a cell set in neither is background.
//
// Background cells never change during an iteration (ink only becomes
// marked), so which template an ink cell can match is fixed when the
// iteration starts, and only ink cells with a background 4-neighbour can
// match any, and the cells that were ink when it started are those set in
// either plane. The top and bottom templates' scans find their cells 64 at
// a time in each row as they go; the left and right templates' cells are
// listed by column once each iteration. Each template visits only its own
// cells, in the order its scan would meet them. The checks for a cancel
// stay once per row or column of each scan.
//
// After the first iteration only blocks near the cells removed last time are
// looked at (see gather()). Should a mark touch a cell left out, the
// iteration is taken back and run again over the whole grid. The result, and
// every check for a cancel, are those of full scans.
#include "processing/stentiford.h"

#include "image/large_pages.h"
#include "processing/block_activity.h"
#include "processing/neighbourhood.h"
#include "processing/operation_progress.h"
#include "processing/thinning_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>


namespace orvane {
namespace {

namespace nb = neighbourhood;

constexpr int kMarkPlane = 1;

/// A list of cells, each the index of its ink bit in the grid's block (row
/// times the bits of a row, plus column): four bytes a cell where the block
/// has fewer than 2^32 bits, eight otherwise. Its room is not cleared (each
/// cell is written before it is read), is kept from one gathering to the
/// next, and lies on large pages where the system allows: a thinning run
/// gathers millions of cells.
template <class Cell>
class CellBuffer {
public:
    std::size_t size() const { return m_size; }
    Cell& operator[](std::size_t i) { return m_cells[i]; }
    const Cell& operator[](std::size_t i) const { return m_cells[i]; }

    /// Sets the length to `n` cells, their values unspecified.
    void resize(std::size_t n)
    {
        if (n > m_capacity) {
            m_cells.reset(); // the old cells need not be kept
            m_cells.reset(new Cell[n]);
            AdviseLargePages(m_cells.get(), n * sizeof(Cell));
            m_capacity = n;
        }
        m_size = n;
    }

private:
    std::unique_ptr<Cell[]> m_cells;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

/// Cells that one template's scan visits, grouped by column with the start
/// of each group, in the order of columns and, within a group, of rows
/// ascending.
template <class Cell>
struct CellList {
    CellBuffer<Cell> cells;
    std::vector<std::int32_t> start; ///< group g is cells[start[g], start[g + 1])
};

/// Whether an ink cell with this neighbourhood (nine bits, see NineBits())
/// is marked: it is not a line end and it joins exactly one group of ink
/// neighbours.
const std::array<bool, 512>& removableNeighbourhoods()
{
    static const std::array<bool, 512> table = [] {
        std::array<bool, 512> t{};
        for (unsigned nine = 0; nine < 512; ++nine) {
            const unsigned code = nb::CodeOfNine(nine);
            t[nine] = nb::InkCount(code) != 1 && nb::ConnectivityOfCode(code) == 1;
        }
        return t;
    }();
    return table;
}


template <class Cell>
class Stentiford {
public:
    /// The grid has the two planes.
    Stentiford(ThinningGrid& grid, OperationProgress& progress, StentifordReach& reach)
        : m_grid(grid), m_block(grid.block()), m_rows(grid.rows()), m_cols(grid.cols()), m_stride(Cell(grid.rowBits())),
          m_markOffset(std::size_t(grid.words()) * 64), m_progress(progress), m_removable(removableNeighbourhoods()),
          m_reach(reach)
    {
        // The row of an index, as a multiply: exact for indices below 2^32.
        m_rowMultiplier = ~std::uint64_t(0) / std::uint64_t(m_stride) + 1;
    }

    int run()
    {
        // After a cancel every later step stops at its first check.
        convert();
        m_active.reset(m_rows, m_cols, true);
        m_nextActive.reset(m_rows, m_cols, false);
        bool whole = true; // the first iteration looks at the whole grid
        bool changed;
        do {
            m_checksMade = 0;
            m_checksToSkip = 0;
            for (;;) {
                gather(whole);
                m_wokeQuietCell = false;
                scanRows(false);
                scanColumns(m_left, false);
                scanRows(true);
                scanColumns(m_right, true);
                if (!m_wokeQuietCell)
                    break;
                // A mark touched a cell this iteration left out: run it again
                // over the whole grid, without repeating the checks made.
                unmark();
                ++m_reach.reruns;
                whole = true;
                m_checksToSkip = m_checksMade;
                m_checksMade = 0;
            }
            changed = removeMarks();
            whole = false;
        } while (changed);
        restore();
        return m_progress.check() ? 0 : 1;
    }

private:
    void convert() { nb::CheckEachRow(m_rows, m_progress); }
    void restore() { nb::CheckEachRow(m_rows, m_progress); }

    /// One check point of a scan. Checks the rerun of an iteration already
    /// made are not asked again (they did not cancel).
    bool check()
    {
        ++m_checksMade;
        if (m_checksToSkip > 0) {
            --m_checksToSkip;
            return false;
        }
        return m_progress.check();
    }

    /// Lists the ink cells that can match the left and the right template,
    /// by column (the top and bottom templates' scans find their cells in
    /// the grid as they go). With `whole` false, only cells in active
    /// blocks: elsewhere nothing changed near a cell in the last iteration,
    /// which therefore did not mark it, and neither will this one unless a
    /// neighbour is marked first (visit() watches for that).
    ///
    /// A counting sort without a list in row order: the cells of each column
    /// are counted first, then placed, in row order, so that rows ascend
    /// within a column.
    void gather(bool whole)
    {
        m_wholeGathered = whole;
        std::vector<std::int32_t>& left = m_left.start;
        std::vector<std::int32_t>& right = m_right.start;
        left.assign(std::size_t(m_cols) + 1, 0);
        right.assign(std::size_t(m_cols) + 1, 0);
        forEachGatheredWord([&](int, int c, const Candidates& found) {
            for (std::uint64_t bits = found.left; bits; bits &= bits - 1)
                ++left[std::size_t(c + std::countr_zero(bits)) + 1];
            for (std::uint64_t bits = found.right; bits; bits &= bits - 1)
                ++right[std::size_t(c + std::countr_zero(bits)) + 1];
        });
        for (int c = 0; c < m_cols; ++c) {
            left[c + 1] += left[c];
            right[c + 1] += right[c];
        }
        m_left.cells.resize(std::size_t(left.back()));
        m_right.cells.resize(std::size_t(right.back()));
        // Each column's next free place.
        m_nextLeft.assign(left.begin(), left.end() - 1);
        m_nextRight.assign(right.begin(), right.end() - 1);
        forEachGatheredWord([&](int r, int c, const Candidates& found) {
            const Cell first = Cell(r) * m_stride + Cell(c);
            for (std::uint64_t bits = found.left; bits; bits &= bits - 1) {
                const int bit = std::countr_zero(bits);
                m_left.cells[std::size_t(m_nextLeft[std::size_t(c + bit)]++)] = first + Cell(bit);
            }
            for (std::uint64_t bits = found.right; bits; bits &= bits - 1) {
                const int bit = std::countr_zero(bits);
                m_right.cells[std::size_t(m_nextRight[std::size_t(c + bit)]++)] = first + Cell(bit);
            }
        });
    }

    /// The cells of a word that can match each template: ink at the start
    /// of the iteration with background on that side and not on the
    /// opposite one.
    struct Candidates {
        std::uint64_t top, bottom, left, right;
    };

    /// The candidates among the cells of word w of row r from column
    /// `first` to `last`. Background never changes during an iteration and
    /// a marked cell was ink at its start, so this holds all through it.
    Candidates candidates(int r, int w, int first, int last) const
    {
        // Ink or marked: what was ink when the iteration began.
        auto was = [this](int row, int word) {
            return m_grid.row(row)[word] | m_grid.row(row, kMarkPlane)[word];
        };
        const std::uint64_t ink = was(r, w) & ColumnMask(w, first, last);
        if (!ink)
            return {0, 0, 0, 0};
        const std::uint64_t west = was(r, w) << 1 | (w > 0 ? was(r, w - 1) >> 63 : 0);
        const std::uint64_t east = was(r, w) >> 1 | was(r, w + 1) << 63;
        // Ink with background on each side.
        const std::uint64_t n = ink & ~was(r - 1, w), s = ink & ~was(r + 1, w), wb = ink & ~west, e = ink & ~east;
        return {n & ~s, s & ~n, wb & ~e, e & ~wb};
    }

    /// Calls f(r, c, candidates) for each word of the grid's interior this
    /// iteration looks at, c its first column, in row order.
    template <class F>
    void forEachGatheredWord(F&& f) const
    {
        const int last = m_cols - 2;
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (!m_wholeGathered && !m_active.rowActive(r))
                continue;
            for (int w = 0; w <= last >> 6; ++w)
                if (m_wholeGathered || m_active.blockActive(r, w))
                    f(r, w << 6, candidates(r, w, 1, last));
        }
    }

    /// Marks a cell when it is still ink and its neighbourhood allows.
    void visit(Cell k)
    {
        std::uint64_t& word = m_block[k >> 6];
        const std::uint64_t one = std::uint64_t(1) << (k & 63);
        if (!(word & one))
            return;
        if (!m_removable[NineBitsAt(m_block, std::size_t(k), std::size_t(m_stride))])
            return;
        word &= ~one;
        m_block[(std::size_t(k) + m_markOffset) >> 6] |= one;
        if (!m_wholeGathered) {
            const int r = rowOf(k);
            watchNeighbours(r, int(k - Cell(r) * m_stride));
        }
    }

    /// The row of the cell at index k.
    int rowOf(Cell k) const
    {
        if (sizeof(Cell) == 4) {
            // The high half of the 96-bit product of the multiplier and k.
            const std::uint64_t high = m_rowMultiplier >> 32, low = m_rowMultiplier & 0xFFFFFFFFu;
            return int((high * k + ((low * k) >> 32)) >> 32);
        }
        return int(k / m_stride);
    }

    /// After a mark: whether a neighbour the gathering left out could now
    /// match a template (it is ink with a background 4-neighbour).
    [[gnu::noinline]] void watchNeighbours(int r, int c)
    {
        for (int dr = -1; dr <= 1; ++dr)
            for (int dc = -1; dc <= 1; ++dc) {
                const int nr = r + dr, nc = c + dc;
                if (m_active.active(nr, nc) || !m_grid.get(nr, nc))
                    continue;
                if (background(nr - 1, nc) || background(nr + 1, nc) || background(nr, nc - 1) ||
                    background(nr, nc + 1))
                    m_wokeQuietCell = true;
            }
    }

    bool background(int r, int c) const { return !m_grid.get(r, c) && !m_grid.get(r, c, kMarkPlane); }

    /// Takes back the marks of an iteration that must run again.
    void unmark()
    {
        for (int r = 1; r <= m_rows - 2; ++r) {
            std::uint64_t* ink = m_grid.row(r);
            std::uint64_t* marks = m_grid.row(r, kMarkPlane);
            for (int w = 0; w < m_grid.words(); ++w) {
                ink[w] |= marks[w];
                marks[w] = 0;
            }
        }
    }

    /// The top template's scan (rows down, cells left to right) or, with
    /// `backwards`, the bottom template's (rows up, cells right to left).
    void scanRows(bool backwards)
    {
        static_assert(BlockActivity::kShift == 6, "a block of activity is one word");
        const int last = m_cols - 2;
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_wokeQuietCell || check())
                return;
            const int r = backwards ? m_rows - 1 - i : i;
            if (!m_wholeGathered && !m_active.rowActive(r))
                continue;
            const Cell first = Cell(r) * m_stride;
            for (int k = 0; k <= last >> 6; ++k) {
                const int w = backwards ? (last >> 6) - k : k;
                if (!m_wholeGathered && !m_active.blockActive(r, w))
                    continue;
                const Candidates found = candidates(r, w, 1, last);
                const Cell wordStart = first + Cell(w << 6);
                if (backwards) {
                    for (std::uint64_t bits = found.bottom; bits; bits &= ~(std::uint64_t(1) << (63 - std::countl_zero(bits))))
                        visit(wordStart + Cell(63 - std::countl_zero(bits)));
                } else {
                    for (std::uint64_t bits = found.top; bits; bits &= bits - 1)
                        visit(wordStart + Cell(std::countr_zero(bits)));
                }
            }
        }
    }

    /// The left template's scan (columns left to right, cells bottom to top)
    /// or, with `backwards`, the right template's (columns right to left,
    /// cells top to bottom).
    void scanColumns(const CellList<Cell>& list, bool backwards)
    {
        for (int i = 1; i <= m_cols - 2; ++i) {
            if (m_wokeQuietCell || check())
                return;
            const int c = backwards ? m_cols - 1 - i : i;
            if (backwards) {
                for (std::int32_t k = list.start[c]; k < list.start[c + 1]; ++k)
                    visit(list.cells[std::size_t(k)]);
            } else {
                for (std::int32_t k = list.start[c + 1] - 1; k >= list.start[c]; --k)
                    visit(list.cells[std::size_t(k)]);
            }
        }
    }

    /// Turns the marks of this iteration into background, row by row, and
    /// activates the blocks around them for the next iteration. Returns
    /// whether there was one. Marks lie only where cells were gathered.
    bool removeMarks()
    {
        bool changed = false;
        m_nextActive.clear();
        const int reach = std::max(m_reach.cells, 1);
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (check())
                break;
            if (!m_wholeGathered && !m_active.rowActive(r))
                continue;
            std::uint64_t* marks = m_grid.row(r, kMarkPlane);
            for (int w = 0; w <= (m_cols - 2) >> 6; ++w) {
                std::uint64_t bits = marks[w];
                if (!bits)
                    continue;
                marks[w] = 0;
                changed = true;
                // Around every mark of the word at once.
                m_nextActive.activateAround(r, (w << 6) + std::countr_zero(bits), (w << 6) + 63 - std::countl_zero(bits),
                                            reach);
            }
        }
        m_active.swap(m_nextActive);
        return changed;
    }

    ThinningGrid& m_grid;
    std::uint64_t* m_block; ///< cell (r, c) is bit r * m_stride + c
    int m_rows;
    int m_cols;
    Cell m_stride;           ///< bits from one row to the next
    std::size_t m_markOffset; ///< bits from a cell's ink to its mark
    std::uint64_t m_rowMultiplier = 0;
    OperationProgress& m_progress;
    const std::array<bool, 512>& m_removable;
    StentifordReach& m_reach;
    BlockActivity m_active;     ///< where the current iteration gathers
    BlockActivity m_nextActive; ///< where the next one will
    bool m_wholeGathered = true;
    bool m_wokeQuietCell = false; ///< a mark touched a cell left out
    long m_checksMade = 0;        ///< in this iteration so far
    long m_checksToSkip = 0;      ///< when running an iteration again
    CellList<Cell> m_left, m_right;
    std::vector<std::int32_t> m_nextLeft, m_nextRight; ///< while gathering

};

} // namespace

int ThinStentiford(ThinningGrid& grid, OperationProgress& progress, StentifordReach* reach)
{
    StentifordReach standard;
    StentifordReach& used = reach ? *reach : standard;
    // Four-byte cell indices where every bit of the block has one.
    if (std::uint64_t(grid.rows()) * std::uint64_t(grid.rowBits()) <= std::uint64_t(UINT32_MAX))
        return Stentiford<std::uint32_t>(grid, progress, used).run();
    return Stentiford<std::uint64_t>(grid, progress, used).run();
}

} // namespace orvane
