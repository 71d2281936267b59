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
//
// After the first iteration only blocks near the cells removed last time are
// gathered (see gather()). Should a mark touch a cell left out, the
// iteration is taken back and run again over the whole grid. The result, and
// every check for a cancel, are those of full scans.
#include "processing/stentiford.h"

#include "image/large_pages.h"
#include "image/pixel_grid.h"
#include "processing/block_activity.h"
#include "processing/neighbourhood.h"
#include "processing/operation_progress.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvane {
namespace {

namespace nb = neighbourhood;

constexpr std::uint8_t kInk = kStentifordInk;
constexpr std::uint8_t kBackground = kStentifordBackground;
constexpr std::uint8_t kMarked = 2;


/// A list of cells, each the index of its cell in the grid's block (row
/// times columns plus column): four bytes a cell where the grid has fewer
/// than 2^32 cells, eight otherwise. It grows sixteen cells at a time, so
/// that the cells of a gathered block go in without a check each. Its room
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

/// Whether an ink cell with this neighbourhood code is marked: it is not a
/// line end and it joins exactly one group of ink neighbours.
const std::array<bool, 256>& removableCodes()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (unsigned code = 0; code < 256; ++code)
            t[code] = nb::InkCount(code) != 1 && nb::ConnectivityOfCode(code) == 1;
        return t;
    }();
    return table;
}

template <class Cell>
class Stentiford {
public:
    /// The grid's rows lie one after the other in one block.
    Stentiford(PixelGrid& grid, OperationProgress& progress, StentifordReach& reach)
        : m_g(grid.data.get()), m_cells(grid.info->rows > 0 ? grid.data[0] : nullptr), m_rows(grid.info->rows), m_cols(grid.info->cols),
          m_stride(Cell(grid.info->cols)), m_progress(progress), m_removable(removableCodes()), m_reach(reach)
    {
        // The row of an index, as a multiply: exact for indices below 2^32.
        if (m_cols > 1)
            m_rowMultiplier = ~std::uint64_t(0) / std::uint64_t(m_cols) + 1;
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
    /// column, and all of them by row for removing the marks. With `whole`
    /// false, only cells in active blocks: elsewhere nothing changed near a
    /// cell in the last iteration, which therefore did not mark it, and
    /// neither will this one unless a neighbour is marked first (visit()
    /// watches for that).
    void gather(bool whole)
    {
        if (whole && m_all.empty() && m_all.capacity() == 0)
            reserveForWholeGrid();
        m_wholeGathered = whole;
        m_all.clear();
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
                         [this](int row, int c, unsigned any, unsigned top, unsigned bottom, unsigned left,
                                unsigned right) { addCells(row, c, any, top, bottom, left, right); });
    }

    /// Makes room in every list for a gathering of the whole grid, counted
    /// first: the lists then never grow while cells go in. Growing them by
    /// doubling copied every cell once more and touched fresh memory for
    /// each copy, a tenth of the thinning time on a large scan.
    void reserveForWholeGrid()
    {
        std::size_t all = 0, top = 0, bottom = 0, left = 0, right = 0;
        for (int r = 1; r <= m_rows - 2; ++r)
            forEachCandidate(r, 1, m_cols - 2,
                             [&](int, int, unsigned a, unsigned t, unsigned b, unsigned l, unsigned rt) {
                                 all += std::size_t(std::popcount(a));
                                 top += std::size_t(std::popcount(t));
                                 bottom += std::size_t(std::popcount(b));
                                 left += std::size_t(std::popcount(l));
                                 right += std::size_t(std::popcount(rt));
                             });
        // Sixteen more each: a block of cells goes in after one check.
        m_all.reserveMore(all + 16);
        m_top.cells.reserveMore(top + 16);
        m_bottom.cells.reserveMore(bottom + 16);
        m_leftOf.reserveMore(left + 16);
        m_rightOf.reserveMore(right + 16);
        m_left.cells.reserveMore(left);
        m_right.cells.reserveMore(right);
    }

    /// Calls `found(r, c, any, top, bottom, left, right)` for the ink cells
    /// of row r from column `first` to `last` that have a background
    /// 4-neighbour, up to sixteen at a time from column c: bit i of `any`
    /// is set for such a cell at c + i, and of `top`, `bottom`, `left`,
    /// `right` where the cell can match that template (background on that
    /// side, not on the opposite one).
    template <class Found>
    void forEachCandidate(int r, int first, int last, Found&& found)
    {
        const std::uint8_t* up = m_g[r - 1];
        const std::uint8_t* row = m_g[r];
        const std::uint8_t* down = m_g[r + 1];
        int c = first;
#if defined(__SSE2__)
        // Sixteen cells at a time: which are ink with a background
        // 4-neighbour, and which template each can match.
        const __m128i inkValue = _mm_set1_epi8(char(kInk)), background = _mm_set1_epi8(char(kBackground));
        auto load = [](const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
        for (; c + 16 <= last + 1; c += 16) {
            const __m128i ink = _mm_cmpeq_epi8(load(row + c), inkValue);
            const unsigned inkMask = unsigned(_mm_movemask_epi8(ink));
            if (!inkMask)
                continue;
            const unsigned n = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(load(up + c), background))) & inkMask;
            const unsigned s = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(load(down + c), background))) & inkMask;
            const unsigned w = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(load(row + c - 1), background))) & inkMask;
            const unsigned e = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(load(row + c + 1), background))) & inkMask;
            found(r, c, n | s | w | e, n & ~s, s & ~n, w & ~e, e & ~w);
        }
#endif
        for (; c <= last; ++c) {
            if (row[c] != kInk)
                continue;
            const unsigned n = up[c] == kBackground, s = down[c] == kBackground;
            const unsigned w = row[c - 1] == kBackground, e = row[c + 1] == kBackground;
            found(r, c, n | s | w | e, n & ~s, s & ~n, w & ~e, e & ~w);
        }
    }

    /// Adds the cells of row r from column c on whose bits are set in
    /// `any`, to the lists of the templates whose masks have them.
    void addCells(int r, int c, unsigned any, unsigned top, unsigned bottom, unsigned left, unsigned right)
    {
        const int count = std::popcount(any);
        for (CellBuffer<Cell>* list : {&m_all, &m_top.cells, &m_bottom.cells, &m_leftOf, &m_rightOf})
            list->reserveMore(std::size_t(count));
        const Cell first = Cell(r) * m_stride + Cell(c);
        while (any) {
            const unsigned bit = unsigned(std::countr_zero(any));
            const unsigned one = 1u << bit;
            const Cell cell = first + bit;
            m_all.add(cell);
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
        std::uint8_t* cell = m_cells + k;
        if (*cell != kInk)
            return;
        if (!m_removable[nb::CodeOfValue(cell - m_stride, cell, cell + m_stride, 0, kInk)])
            return;
        *cell = kMarked;
        if (!m_wholeGathered) {
            const int r = rowOf(k);
            watchNeighbours(r, int(k - Cell(r) * m_stride));
        }
    }

    /// The row of the cell at index k.
    int rowOf(Cell k) const
    {
        if (sizeof(Cell) == 4 && m_rowMultiplier != 0) {
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
                if (m_active.active(nr, nc) || m_g[nr][nc] != kInk)
                    continue;
                if (m_g[nr - 1][nc] == kBackground || m_g[nr + 1][nc] == kBackground ||
                    m_g[nr][nc - 1] == kBackground || m_g[nr][nc + 1] == kBackground)
                    m_wokeQuietCell = true;
            }
    }

    /// Takes back the marks of an iteration that must run again.
    void unmark()
    {
        for (const Cell cell : m_all)
            if (m_cells[cell] == kMarked)
                m_cells[cell] = kInk;
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
    /// whether there was one.
    bool removeMarks()
    {
        bool changed = false;
        m_nextActive.clear();
        std::size_t k = 0;
        for (int r = 1; r <= m_rows - 2; ++r) {
            if (check())
                break;
            const Cell rowStart = Cell(r) * m_stride, rowEnd = rowStart + m_stride;
            for (; k < m_all.size() && m_all[k] < rowEnd; ++k) {
                std::uint8_t& cell = m_cells[m_all[k]];
                if (cell == kMarked) {
                    cell = kBackground;
                    changed = true;
                    m_nextActive.activateAround(r, int(m_all[k] - rowStart), std::max(m_reach.cells, 1));
                }
            }
        }
        m_active.swap(m_nextActive);
        return changed;
    }

    std::uint8_t** m_g;
    std::uint8_t* m_cells; ///< the grid's block: cell (r, c) at r * m_cols + c
    int m_rows;
    int m_cols;
    Cell m_stride;
    std::uint64_t m_rowMultiplier = 0;
    OperationProgress& m_progress;
    const std::array<bool, 256>& m_removable;
    StentifordReach& m_reach;
    CellBuffer<Cell> m_all; ///< every cell gathered, by row
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

int ThinStentiford(PixelGrid& grid, OperationProgress& progress, StentifordReach* reach)
{
    StentifordReach standard;
    StentifordReach& used = reach ? *reach : standard;
    // Four-byte cell indices where every cell of the grid has one.
    if (std::uint64_t(grid.info->rows) * std::uint64_t(grid.info->cols) <= std::uint64_t(UINT32_MAX))
        return Stentiford<std::uint32_t>(grid, progress, used).run();
    return Stentiford<std::uint64_t>(grid, progress, used).run();
}

} // namespace orvane
