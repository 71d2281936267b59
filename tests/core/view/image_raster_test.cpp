// Screen pixels of an image at every zoom, against a plain per-pixel
// reference built on the image's own colour accessor.
#include "view/image_raster.h"

#include "support/drawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvane {
namespace {

constexpr std::uint32_t kUntouched = 0x12345678u;

/// What one device pixel should show, from GetPixelColor alone: the image
/// pixel under it when enlarged, the darkest of its block when reduced.
std::uint32_t reference(const CBitmapImage& image, float zoom, int dx, int dy)
{
    const int size = zoom < 1 ? int(std::lround(1 / zoom)) : 1;
    const int x0 = zoom < 1 ? dx * size : dx / int(zoom);
    const int y0 = zoom < 1 ? dy * size : dy / int(zoom);
    int r = 255, g = 255, b = 255;
    for (int y = y0; y < y0 + size && y < image.GetHeight(); ++y)
        for (int x = x0; x < x0 + size && x < image.GetWidth(); ++x) {
            std::uint8_t pr = 0, pg = 0, pb = 0;
            image.GetPixelColor(x + 1, y + 1, pr, pg, pb);
            r = std::min<int>(r, pr);
            g = std::min<int>(g, pg);
            b = std::min<int>(b, pb);
        }
    return ScreenPixel(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
}

TEST(ImageRaster, EveryDepthAndZoomMatchesTheReferenceAndLeavesTheOutsideAlone)
{
    ImageRaster raster;
    for (int bits : {1, 4, 8, 24})
        // The largest is reduced on two threads, half of the rows each.
        for (auto [width, height] : {std::pair{1, 1}, std::pair{13, 7}, std::pair{33, 20}, std::pair{203, 199}}) {
            const CBitmapImage image = test::RandomImage(width, height, bits, unsigned(bits * 100 + width));
            raster.Invalidate();
            for (float zoom : {1.0f / 16, 1.0f / 3, 0.5f, 1.0f, 3.0f, 16.0f}) {
                // An area that starts inside and runs past the image's end.
                const int w = int(std::ceil(width * zoom)), h = int(std::ceil(height * zoom));
                const DeviceRect area{w / 3, h / 4, w + 5, h + 3};
                const int aw = area.right - area.left, ah = area.bottom - area.top;
                std::vector<std::uint32_t> out(std::size_t(aw * ah), kUntouched);
                raster.Render(image, zoom, area, out.data(), aw);
                int wrong = 0;
                for (int dy = area.top; dy < area.bottom; ++dy)
                    for (int dx = area.left; dx < area.right; ++dx) {
                        const std::uint32_t got = out[std::size_t((dy - area.top) * aw + dx - area.left)];
                        const bool inside = dx < w && dy < h;
                        const std::uint32_t want = inside ? reference(image, zoom, dx, dy) : kUntouched;
                        wrong += got != want;
                    }
                EXPECT_EQ(wrong, 0) << bits << " bits, " << width << "x" << height << ", zoom " << zoom;
            }
        }
}

TEST(ImageRaster, ReductionKeepsOnePixelLinesAndForgetsOnInvalidate)
{
    CBitmapImage image;
    image.Create(64, 64, 24);
    std::fill_n(image.GetBits(), image.GetBitsSize(), std::uint8_t(255));
    for (int y = 1; y <= 64; ++y)
        image.SetPixelColor(37, y, 0, 0, 0); // one dark column
    ImageRaster raster;
    std::vector<std::uint32_t> out(4 * 4);
    raster.Render(image, 1.0f / 16, {0, 0, 4, 4}, out.data(), 4);
    EXPECT_EQ(out[2], ScreenPixel(0, 0, 0)) << "column 36 lies in the third block of 16";
    EXPECT_EQ(out[1], ScreenPixel(255, 255, 255));
    EXPECT_GT(raster.MemoryBytes(), 0u);

    image.SetPixelColor(1, 1, 9, 8, 7);
    raster.PixelChanged(image, 0, 0);
    raster.Render(image, 1.0f / 16, {0, 0, 4, 4}, out.data(), 4);
    EXPECT_EQ(out[0], ScreenPixel(9, 8, 7)) << "a changed pixel mends its block";

    for (int y = 1; y <= 64; ++y)
        image.SetPixelColor(37, y, 255, 255, 255);
    raster.Invalidate();
    EXPECT_EQ(raster.MemoryBytes(), 0u);
    raster.Render(image, 1.0f / 16, {0, 0, 4, 4}, out.data(), 4);
    EXPECT_EQ(out[2], ScreenPixel(255, 255, 255));
}

TEST(ImageRaster, PaletteShowsBlackForIndicesBeyondTheHeldTable)
{
    CBitmapImage image;
    const RGBQUAD table[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
    image.Create(4, 1, 8, table);
    const CBitmapImage backup(image); // holds one table entry only
    const std::vector<std::uint32_t> palette = ScreenPalette(backup);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[1], ScreenPixel(0, 0, 0));
    EXPECT_EQ(ScreenPalette(image)[1], ScreenPixel(60, 50, 40));
}

} // namespace
} // namespace orvane
