// The thinning driver.
//
// Working grid: H + 2 rows and W + 2 columns of bits for a W x H image;
// cell [y][x] holds pixel (x, y) (both from 1), set for ink, and row 0,
// row H + 1, column 0 and column W + 1 are a background frame. A second
// plane holds each method's marks.
#include "processing/thinning.h"

#include "image/bitmap_image.h"
#include "image/ink_rule.h"
#include "processing/black_white_writer.h"
#include "processing/operation_progress.h"
#include "image/row_halves.h"
#include "processing/stentiford.h"
#include "processing/thinning_grid.h"
#include "processing/zhang_suen.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvane {
namespace {

/// Sets bit x of a grid row for each byte `ink[x - 1]` that is not zero,
/// x from 1 to `width`; the row's other bits stay as they are (clear).
void packInk(const std::uint8_t* ink, int width, std::uint64_t* row)
{
    int x = 0; // pixels before x are packed
    for (; x + 64 <= width; x += 64)
        OrBitsAt(row, std::size_t(x) + 1, NonZeroBits(ink + x)); // pixel x + 1 is bit x + 1
    for (; x < width; ++x)
        if (ink[x])
            row[(x + 1) >> 6] |= std::uint64_t(1) << ((x + 1) & 63);
}

/// Sets the bits of a cleared grid row for the ink of image row y.
/// `inkOfIndex` is 1 for each colour-table index whose colour is ink.
void fillRow(const CBitmapImage& image, int y, std::uint64_t* row, const std::array<std::uint8_t, 256>& inkOfIndex)
{
    const int width = image.GetWidth();
    const std::uint8_t* p = image.GetRow(y);
    if (image.GetBitCount() == 1) {
        // Sixty-four pixels at a time; pixel x + 1 is bit x + 1.
        for (int w = 0; w * 64 < width; ++w)
            OrBitsAt(row, std::size_t(w) * 64 + 1, OneBitInk(p, w, width, inkOfIndex[0] != 0, inkOfIndex[1] != 0));
        return;
    }
    std::vector<std::uint8_t> ink(static_cast<std::size_t>(width));
    switch (image.GetBitCount()) {
    case 24:
        for (int x = 0; x < width; ++x, p += 3)
            ink[std::size_t(x)] = std::min(p[0], std::min(p[1], p[2])) < kInkLimit;
        break;
    case 8:
        for (int x = 0; x < width; ++x)
            ink[std::size_t(x)] = inkOfIndex[p[x]];
        break;
    default:
        image.GetRowIndices(y, ink.data());
        for (std::uint8_t& cell : ink)
            cell = inkOfIndex[cell];
    }
    packInk(ink.data(), width, row);
}

/// 1 for each colour-table index whose colour is ink (indices past the
/// table read as background, as no colour can be read for them).
std::array<std::uint8_t, 256> inkOfIndices(const CBitmapImage& image)
{
    return IndexValues(image, 0, [](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return std::uint8_t(IsInkColour(r, g, b));
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

    ThinningGridPtr grid = NewThinningGrid(m_port, height + 2, width + 2, 2);
    if (!grid)
        return 0;
    progress.setStatus("Pre-process...");
    progress.setPos(3);

    const std::array<std::uint8_t, 256> inkOfIndex = inkOfIndices(image);
    // The checks come first, one per grid row, and the rows before a cancel
    // are then filled on both cores (the frame rows stay clear).
    const int filled = checkedRows(progress, height + 2);
    ForEachRowInTwoHalves(1, std::min(filled - 1, height), [&](int y) { fillRow(image, y, grid->row(y), inkOfIndex); });

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
            writer.PutInkRow(y, grid->row(y));
        });
    }
    progress.nextPos();
    grid.reset();
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
