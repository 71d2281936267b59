// Grey-scale conversion.
#include "processing/grey_scale.h"

#include "image/bitmap_image.h"
#include "processing/operation_progress.h"

#include <array>
#include <cstdint>

namespace orvane {
namespace {

/// The weighted terms of each channel value, so the per-pixel sum adds the
/// very same doubles the formula would.
struct GreyWeights {
    std::array<double, 256> red{}, green{}, blue{};
    GreyWeights()
    {
        for (int v = 0; v < 256; ++v) {
            green[v] = 0.587 * v;
            red[v] = 0.299 * v;
            blue[v] = 0.114 * v;
        }
    }
    std::uint8_t grey(std::uint8_t r, std::uint8_t g, std::uint8_t b) const
    {
        return static_cast<std::uint8_t>(static_cast<int>((green[g] + red[r]) + blue[b]));
    }
};

void convertDirectColour(CBitmapImage& image, OperationProgress& progress, const GreyWeights& weights)
{
    const int width = image.GetWidth(), height = image.GetHeight();
    for (int y = 1; y <= height; ++y) {
        if (progress.check())
            return;
        progress.setPos(y);
        std::uint8_t* p = image.GetRow(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const std::uint8_t grey = weights.grey(p[2], p[1], p[0]);
            p[0] = p[1] = p[2] = grey;
        }
    }
}

void convertPalette(CBitmapImage& image, OperationProgress& progress, const GreyWeights& weights)
{
    const int width = image.GetWidth(), height = image.GetHeight();
    std::array<RGBQUAD, 256> ramp;
    for (int i = 0; i < 256; ++i)
        ramp[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    // The grey level of every index, through the table as it was before.
    const RGBQUAD* table = image.GetColorTable();
    const std::uint32_t entries = image.GetColorTableSize();
    std::array<std::uint8_t, 256> greyOf{};
    for (std::uint32_t i = 0; i < entries && i < 256; ++i)
        greyOf[i] = weights.grey(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);

    for (int y = 1; y <= height; ++y) {
        if (progress.check())
            break;
        progress.setPos(y);
        std::uint8_t* row = image.GetRow(y);
        for (int x = 0; x < width; ++x)
            if (row[x] < entries) // an index past the table has no colour to read
                row[x] = greyOf[row[x]];
    }
    RGBQUAD* out = image.GetColorTable();
    for (std::uint32_t i = 0; i < entries && i < 256; ++i) {
        out[i].rgbRed = out[i].rgbGreen = out[i].rgbBlue = ramp[i].rgbRed;
    }
}

} // namespace

int ConvertToGreyScale(CBitmapImage& image, Port& port)
{
    if (image.IsEmpty())
        return 0;
    if (image.GetBitCount() < 8) {
        ShowMessageBox(port, MessageButtons::Ok, "Image depth must be greater than 8 bits.");
        return 0;
    }
    static const GreyWeights weights;
    OperationProgress progress(port, "Grey Scale");
    progress.setStatus("Working...");
    progress.setRange(image.GetHeight());
    if (image.GetBitCount() > 8)
        convertDirectColour(image, progress, weights);
    else
        convertPalette(image, progress, weights);
    return 1;
}

} // namespace orvane
