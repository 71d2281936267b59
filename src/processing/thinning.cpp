// The thinning driver.
//
// Working grid: H + 2 rows and W + 2 columns for a W x H image; cell [y][x]
// holds pixel (x, y) (both from 1), and row 0, row H + 1, column 0 and
// column W + 1 are a background frame. The grid is filled in the chosen
// method's own ink and background values and read back in them.
#include "processing/thinning.h"

#include "image/bitmap_image.h"
#include "image/pixel_grid.h"
#include "image/ink_rule.h"
#include "processing/black_white_writer.h"
#include "processing/operation_progress.h"
#include "image/row_halves.h"
#include "processing/stentiford.h"
#include "processing/zhang_suen.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvane {
namespace {

/// The values a method works in.
struct CellValues {
    std::uint8_t ink;
    std::uint8_t background;
};

void binariseRow(const CBitmapImage& image, int y, std::uint8_t* cells, const std::array<std::uint8_t, 256>& indexValue,
                 CellValues values)
{
    const int width = image.GetWidth();
    cells[0] = cells[width + 1] = values.background;
    const std::uint8_t* p = image.GetRow(y);
    switch (image.GetBitCount()) {
    case 24: {
        // Without branches: ink where the darkest channel is below the limit.
        const std::uint8_t difference = values.ink ^ values.background;
        for (int x = 1; x <= width; ++x, p += 3) {
            const std::uint8_t darkest = std::min(p[0], std::min(p[1], p[2]));
            cells[x] = std::uint8_t(values.background ^ (difference & -std::uint8_t(darkest < kInkLimit)));
        }
        return;
    }
    case 8:
        for (int x = 1; x <= width; ++x)
            cells[x] = indexValue[p[x - 1]];
        return;
    default:
        image.GetRowIndices(y, cells + 1);
        for (int x = 1; x <= width; ++x)
            cells[x] = indexValue[cells[x]];
    }
}

/// The cell value of each colour-table index (indices past the table read
/// as background, as no colour can be read for them).
std::array<std::uint8_t, 256> indexValues(const CBitmapImage& image, CellValues values)
{
    return IndexValues(image, values.background, [values](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return IsInkColour(r, g, b) ? values.ink : values.background;
    });
}

/// Asks for a cancel before each of `rows` grid rows, stopping at the first
/// that reports one; returns how many rows went before it.
int checkedRows(OperationProgress& progress, int rows)
{
    int y = 0;
    while (y < rows && !progress.check())
        ++y;
    return y;
}

} // namespace

int CThinning::Run(CBitmapImage& image, std::uint16_t method)
{
    const bool zhangSuen = method == kThinZhangSuen;
    OperationProgress progress(m_port, zhangSuen ? "Thinning - Zhang-Suen" : "Thinning - Stentiford");
    progress.setRange(zhangSuen ? 10 : 8);
    progress.setStatus("Initialise...");
    progress.setPos(1);
    const int width = image.GetWidth(), height = image.GetHeight();
    progress.setPos(2);

    PixelGridPtr grid = NewPixelGrid(m_port, height + 2, width + 2);
    if (!grid)
        return 0;
    std::uint8_t** cells = grid->data.get();
    progress.setStatus("Pre-process...");
    progress.setPos(3);

    const CellValues values = zhangSuen ? CellValues{kZhangSuenInk, kZhangSuenBackground}
                                        : CellValues{kStentifordInk, kStentifordBackground};
    const std::array<std::uint8_t, 256> indexValue = indexValues(image, values);
    // The checks come first, one per grid row, and the rows before a cancel
    // are then filled on both cores.
    const int filled = checkedRows(progress, height + 2);
    ForEachRowInTwoHalves(0, filled - 1, [&](int y) {
        if (y == 0 || y == height + 1)
            std::memset(cells[y], values.background, std::size_t(width) + 2);
        else
            binariseRow(image, y, cells[y], indexValue, values);
    });

    progress.setStatus("Working...");
    progress.setPos(4);
    int result = 0;
    if (zhangSuen) {
        // The two pre-processing stages of this method had no effect on the
        // thinned result; only their progress steps remain.
        if (!progress.cancelled())
            progress.setPos(5);
        if (!progress.cancelled())
            progress.nextPos();
        if (!progress.cancelled()) {
            progress.nextPos();
            result = ThinZhangSuen(*grid, progress);
        }
    } else if (!progress.cancelled()) {
        progress.setPos(5);
        result = ThinStentiford(*grid, progress);
    }

    progress.setStatus("Post-process...");
    progress.nextPos();
    if (result == 1 && !progress.cancelled()) {
        // As when filling: the rows before a cancel are written, and only
        // they, as if each were written right after its check.
        BlackWhiteWriter writer(image);
        const int written = checkedRows(progress, height + 2);
        ForEachRowInTwoHalves(1, std::min(written - 1, height), [&](int y) { // the frame rows lie outside
            writer.PutRow(y, cells[y] + 1, values.background);
        });
    }
    progress.nextPos();
    FreePixelGrid(grid);
    progress.setStatus("Done.");
    progress.nextPos();
    return 1;
}

int Thin(CBitmapImage& image, Port& port, std::uint16_t method)
{
    if (image.IsEmpty())
        return 0;
    return CThinning(port).Run(image, method);
}

} // namespace orvane
