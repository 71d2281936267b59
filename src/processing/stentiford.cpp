// The Stentiford thinning method.
//
// The grid has two planes of bits: plane 0 is set for ink, plane 1 for a
// marked cell (ink to be removed at the end of the iteration, which no
// longer counts as ink); a cell set in neither is background.
//
// Background cells never change during an iteration (ink only becomes
// marked), so which template an ink cell can match is fixed when the
// iteration starts, and only ink cells with a background 4-neighbour can
// match any. Each iteration therefore lists those cells once, in row order
// and in column order, and each template visits only its own cells, in the
// order its scan would meet them. The checks for a cancel stay once per row
// or column of each scan.
//
// After the first iteration only blocks near the cells removed last time are
// gathered (see gather()). Should a mark touch a cell left out, the
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
/// has fewer than 2^32 bits, eight otherwise. Its room
/// is not cleared when it grows (only the cells in use are kept) and lies on
/// large pages where the system allows: a thinning run gathers millions of
/// cells.
template <class Cell>
class CellBuffer {
public:
    void clear() { m_size = 0; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    const Cell& operator[](std::size_t i) const { return m_cells[i]; }
    const Cell* begin() const { return m_cells.get(); }
    const Cell* end() const { return m_cells.get() + m_size; }

    /// Makes room for `more` cells after the current ones.
    void reserveMore(std::size_t more)
    {
        if (m_size + more > m_capacity)
            grow(std::max(2 * m_capacity, m_size + more));
    }
    /// Makes room for as many cells as `bits` has bits set: without
    /// counting them while there is room for 64.
    void reserveForBits(std::uint64_t bits)
    {
        if (m_size + 64 > m_capacity)
            reserveMore(std::size_t(std::popcount(bits)));
    }
    /// Adds a cell, within the room made.
    void add(Cell cell) { m_cells[m_size++] = cell; }
    /// Sets the length to `n` cells, their values unspecified.
    void resize(std::size_t n)
    {
        m_size = 0;
        reserveMore(n);
        m_size = n;
    }
    Cell& operator[](std::size_t i) { return m_cells[i]; }

private:
    void grow(std::size_t capacity)
    {
        std::unique_ptr<Cell[]> cells(new Cell[capacity]); // left uninitialised
        AdviseLargePages(cells.get(), capacity * sizeof(Cell));
        if (m_size > 0)
            std::memcpy(cells.get(), m_cells.get(), m_size * sizeof(Cell));
        m_cells = std::move(cells);
        m_capacity = capacity;
    }

    std::unique_ptr<Cell[]> m_cells;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

/// Cells that one template's scan visits, grouped by row (or column) with
/// the start of each group, in the order of rows (columns) and, within a
/// group, of columns (rows) ascending.
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
                scanRows(m_top, false);
                scanColumns(m_left, false);
                scanRows(m_bottom, true);
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

    /// Lists the ink cells that can match each template: those of the top
    /// and bottom templates by row, those of the left and right templates by
    /// column. With `whole`
    /// false, only cells in active blocks: elsewhere nothing changed near a
    /// cell in the last iteration, which therefore did not mark it, and
    /// neither will this one unless a neighbour is marked first (visit()
    /// watches for that).
    void gather(bool whole)
    {
        if (whole && !m_reserved)
            reserveForWholeGrid();
        m_wholeGathered = whole;
        m_top.cells.clear();
        m_bottom.cells.clear();
        m_top.start.assign(std::size_t(m_rows) + 1, 0);
        m_bottom.start.assign(std::size_t(m_rows) + 1, 0);
        m_leftCount.assign(std::size_t(m_cols) + 1, 0);
        m_rightCount.assign(std::size_t(m_cols) + 1, 0);
        m_leftOf.clear();
        m_rightOf.clear();
        const int last = m_cols - 2;
        for (int r = 1; r <= m_rows - 2; ++r) {
            m_top.start[r] = std::int32_t(m_top.cells.size());
            m_bottom.start[r] = std::int32_t(m_bottom.cells.size());
            if (whole) {
                gatherSpan(r, 1, last);
            } else if (m_active.rowActive(r)) {
                for (int b = 0; b < m_active.blocksPerRow(); ++b)
                    if (m_active.blockActive(r, b))
                        gatherSpan(r, std::max(b << BlockActivity::kShift, 1),
                                   std::min(((b + 1) << BlockActivity::kShift) - 1, last));
            }
        }
        for (int r = m_rows - 1; r <= m_rows; ++r) {
            m_top.start[r] = std::int32_t(m_top.cells.size());
            m_bottom.start[r] = std::int32_t(m_bottom.cells.size());
        }
        byColumn(m_leftOf, m_leftCount, m_left);
        byColumn(m_rightOf, m_rightCount, m_right);
    }

    /// Gathers the cells of row r from column `first` to `last`.
    void gatherSpan(int r, int first, int last)
    {
        forEachCandidate(r, first, last,
                         [this](int row, int c, std::uint64_t any, std::uint64_t top, std::uint64_t bottom,
                                std::uint64_t left, std::uint64_t right) { addCells(row, c, any, top, bottom, left, right); });
    }

    /// Makes room in every list for a gathering of the whole grid, counted
    /// first: the lists then never grow while cells go in. Growing them by
    /// doubling copied every cell once more and touched fresh memory for
    /// each copy, a tenth of the thinning time on a large scan.
    void reserveForWholeGrid()
    {
        std::size_t top = 0, bottom = 0, left = 0, right = 0;
        for (int r = 1; r <= m_rows - 2; ++r)
            forEachCandidate(r, 1, m_cols - 2,
                             [&](int, int, std::uint64_t, std::uint64_t t, std::uint64_t b, std::uint64_t l,
                                 std::uint64_t rt) {
                                 top += std::size_t(std::popcount(t));
                                 bottom += std::size_t(std::popcount(b));
                                 left += std::size_t(std::popcount(l));
                                 right += std::size_t(std::popcount(rt));
                             });
        m_top.cells.reserveMore(top);
        m_bottom.cells.reserveMore(bottom);
        m_leftOf.reserveMore(left);
        m_rightOf.reserveMore(right);
        m_left.cells.reserveMore(left);
        m_right.cells.reserveMore(right);
        m_reserved = true;
    }

    /// Calls `found(r, c, any, top, bottom, left, right)` for the ink cells
    /// of row r from column `first` to `last` that have a background
    /// 4-neighbour, up to 64 at a time from column c: bit i of `any` is set
    /// for such a cell at c + i, and of `top`, `bottom`, `left`, `right`
    /// where the cell can match that template (background on that side, not
    /// on the opposite one). There are no marks while cells are gathered, so
    /// a cell that is not ink is background.
    template <class Found>
    void forEachCandidate(int r, int first, int last, Found&& found)
    {
        ForEachInkWord(m_grid, r, first, last,
                       [&](int w, std::uint64_t ink, std::uint64_t up, std::uint64_t down, std::uint64_t west,
                           std::uint64_t east) {
                           // Ink with background on each side.
                           const std::uint64_t n = ink & ~up, s = ink & ~down, wb = ink & ~west, e = ink & ~east;
                           found(r, w << 6, n | s | wb | e, n & ~s, s & ~n, wb & ~e, e & ~wb);
                       });
    }

    /// Adds the cells of row r from column c on whose bits are set in
    /// `any`, to the lists of the templates whose masks have them.
    void addCells(int r, int c, std::uint64_t any, std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
                  std::uint64_t right)
    {
        m_top.cells.reserveForBits(top);
        m_bottom.cells.reserveForBits(bottom);
        m_leftOf.reserveForBits(left);
        m_rightOf.reserveForBits(right);
        const Cell first = Cell(r) * m_stride + Cell(c);
        while (any) {
            const unsigned bit = unsigned(std::countr_zero(any));
            const std::uint64_t one = std::uint64_t(1) << bit;
            const Cell cell = first + bit;
            if (top & one)
                m_top.cells.add(cell);
            if (bottom & one)
                m_bottom.cells.add(cell);
            if (left & one) {
                m_leftOf.add(cell);
                ++m_leftCount[std::size_t(c) + bit + 1];
            }
            if (right & one) {
                m_rightOf.add(cell);
                ++m_rightCount[std::size_t(c) + bit + 1];
            }
            any &= any - 1;
        }
    }

    /// Sorts cells gathered in row order into column order (a counting sort,
    /// so rows stay ascending within a column). `count[c + 1]` holds the
    /// number of cells in column c.
    void byColumn(const CellBuffer<Cell>& inRowOrder, std::vector<std::int32_t>& count, CellList<Cell>& out)
    {
        for (int c = 0; c < m_cols; ++c)
            count[c + 1] += count[c];
        out.start.assign(count.begin(), count.end());
        out.cells.resize(inRowOrder.size());
        Cell rowStart = 0; // of the row of the cells in hand: they come in row order
        for (const Cell cell : inRowOrder) {
            while (cell - rowStart >= m_stride)
                rowStart += m_stride;
            out.cells[count[cell - rowStart]++] = cell;
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
    void scanRows(const CellList<Cell>& list, bool backwards)
    {
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_wokeQuietCell || check())
                return;
            const int r = backwards ? m_rows - 1 - i : i;
            if (backwards) {
                for (std::int32_t k = list.start[r + 1] - 1; k >= list.start[r]; --k)
                    visit(list.cells[std::size_t(k)]);
            } else {
                for (std::int32_t k = list.start[r]; k < list.start[r + 1]; ++k)
                    visit(list.cells[std::size_t(k)]);
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
                while (bits) {
                    m_nextActive.activateAround(r, (w << 6) + std::countr_zero(bits), reach);
                    bits &= bits - 1;
                }
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
    bool m_reserved = false; ///< the lists have room for a whole gathering
    BlockActivity m_active;     ///< where the current iteration gathers
    BlockActivity m_nextActive; ///< where the next one will
    bool m_wholeGathered = true;
    bool m_wokeQuietCell = false; ///< a mark touched a cell left out
    long m_checksMade = 0;        ///< in this iteration so far
    long m_checksToSkip = 0;      ///< when running an iteration again
    CellList<Cell> m_top, m_bottom, m_left, m_right;
    CellBuffer<Cell> m_leftOf, m_rightOf;    ///< gathered by row, before sorting by column
    std::vector<std::int32_t> m_leftCount, m_rightCount;
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
