#include "processing/threshold.h"

#include "image/bitmap_image.h"
#include "support/progress_check.h"

#include <gtest/gtest.h>

#include <array>

namespace orvane {
namespace {

using Rgb = std::array<int, 3>;
const Rgb white = {255, 255, 255};

/// A 24-bit image one pixel high holding these colours, or one wide.
CBitmapImage direct(const std::vector<Rgb>& colours, bool column = false)
{
    CBitmapImage image;
    const int n = int(colours.size());
    image.Create(column ? 1 : n, column ? n : 1, 24);
    for (int k = 1; k <= n; ++k)
        image.SetPixelColor(column ? 1 : k, column ? k : 1, colours[k - 1][0], colours[k - 1][1], colours[k - 1][2]);
    return image;
}

std::vector<Rgb> pixels(const CBitmapImage& image)
{
    std::vector<Rgb> result;
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            result.push_back({r, g, b});
        }
    return result;
}

TEST(ThresholdTest, DirectColourComparesPackedValues)
{
    CBitmapImage image = direct({{255, 255, 50}, {200, 200, 200}, {100, 100, 100}, {0, 0, 101}});
    RecordingPort port;
    ASSERT_EQ(Threshold(image, port, PackColor(0, 0, 0), PackColor(100, 100, 100)), 1);
    // (255, 255, 50) packs below (100, 100, 100); blue 101 decides the last.
    EXPECT_EQ(pixels(image), (std::vector<Rgb>{{255, 255, 50}, white, {100, 100, 100}, white}));
    EXPECT_TRUE(test::ShowedProgress(port, {"Threshold", 1, {"Working..."}, {1}}));
    CBitmapImage all = direct({{1, 2, 3}, {0, 0, 0}, {255, 255, 255}});
    Threshold(all, port, PackColor(0, 0, 0), PackColor(255, 255, 255));
    EXPECT_EQ(pixels(all), (std::vector<Rgb>{{1, 2, 3}, {0, 0, 0}, white}));
    Threshold(all, port, PackColor(0, 0, 200), PackColor(0, 0, 100)); // lower above upper
    EXPECT_EQ(pixels(all), (std::vector<Rgb>{white, white, white}));
}

// Only an entry below the lower bound in all three channels, or above the
// upper in all three, turns white.
TEST(ThresholdTest, PaletteComparesEachChannel)
{
    std::vector<RGBQUAD> table(16);
    table[0] = {50, 255, 255, 9}; // (255, 255, 50)
    table[1] = {200, 200, 200, 9};
    table[2] = {5, 5, 5, 9};
    CBitmapImage image;
    image.Create(3, 1, 4, table);
    RecordingPort port;
    ASSERT_EQ(Threshold(image, port, PackColor(10, 10, 10), PackColor(100, 100, 100)), 1);
    const RGBQUAD* t = image.GetColorTable();
    EXPECT_TRUE(t[0].rgbRed == 255 && t[0].rgbGreen == 255 && t[0].rgbBlue == 50);
    EXPECT_TRUE(t[1].rgbRed == 255 && t[1].rgbGreen == 255 && t[1].rgbBlue == 255 && t[1].rgbReserved == 9);
    EXPECT_TRUE(t[2].rgbRed == 255 && t[2].rgbBlue == 255);
    EXPECT_TRUE(test::ShowedProgress(port, {"Threshold", 16, {"Working..."}, test::Steps(0, 16)}));
}

TEST(ThresholdTest, CancelLeavesLaterRowsAndEmptyFails)
{
    CBitmapImage image = direct({{200, 200, 200}, {200, 200, 200}, {200, 200, 200}}, true);
    RecordingPort port;
    port.cancelFromCheck(2);
    EXPECT_EQ(Threshold(image, port, PackColor(0, 0, 0), PackColor(100, 100, 100)), 1);
    EXPECT_EQ(pixels(image), (std::vector<Rgb>{white, {200, 200, 200}, {200, 200, 200}}));
    EXPECT_TRUE(test::ShowedProgress(port, {"Threshold", 3, {"Working..."}, {1}}));
    CBitmapImage empty;
    RecordingPort none;
    EXPECT_EQ(Threshold(empty, none, 0, 0), 0);
    EXPECT_TRUE(none.events().empty());
}

} // namespace
} // namespace orvane
