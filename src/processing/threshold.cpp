// Colour-range filtering.
#include "processing/threshold.h"

#include "image/bitmap_image.h"
#include "processing/operation_progress.h"

namespace orvane {
namespace {

void filterDirectColour(CBitmapImage& image, OperationProgress& progress, std::uint32_t lower, std::uint32_t upper)
{
    const int width = image.GetWidth(), height = image.GetHeight();
    progress.setRange(height);
    for (int y = 1; y <= height; ++y) {
        if (progress.check())
            return;
        progress.setPos(y);
        std::uint8_t* p = image.GetRow(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const std::uint32_t packed = PackColor(p[2], p[1], p[0]);
            if (packed < lower || packed > upper)
                p[0] = p[1] = p[2] = 255;
        }
    }
}

void filterPalette(CBitmapImage& image, OperationProgress& progress, std::uint32_t lower, std::uint32_t upper)
{
    const int entries = 1 << image.GetBitCount();
    const auto channel = [](std::uint32_t packed, int shift) { return std::uint8_t((packed >> shift) & 0xFF); };
    const std::uint8_t lowR = channel(lower, 0), lowG = channel(lower, 8), lowB = channel(lower, 16);
    const std::uint8_t upR = channel(upper, 0), upG = channel(upper, 8), upB = channel(upper, 16);
    RGBQUAD* table = image.GetColorTable();
    const int held = int(image.GetColorTableSize());
    progress.setRange(entries);
    for (int i = 0; i < entries; ++i) {
        if (progress.check())
            return;
        progress.setPos(i);
        if (i >= held)
            continue;
        RGBQUAD& e = table[i];
        const bool below = e.rgbRed < lowR && e.rgbGreen < lowG && e.rgbBlue < lowB;
        const bool above = e.rgbRed > upR && e.rgbGreen > upG && e.rgbBlue > upB;
        if (below || above)
            e.rgbRed = e.rgbGreen = e.rgbBlue = 255;
    }
}

} // namespace

int Threshold(CBitmapImage& image, Port& port, std::uint32_t lower, std::uint32_t upper)
{
    if (image.IsEmpty())
        return 0;
    OperationProgress progress(port, "Threshold");
    progress.setStatus("Working...");
    if (image.GetBitCount() > 8)
        filterDirectColour(image, progress, lower, upper);
    else
        filterPalette(image, progress, lower, upper);
    return 1;
}

} // namespace orvane
