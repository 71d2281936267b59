#include "processing/grey_scale.h"

#include "support/drawings.h"
#include "support/progress_check.h"

#include <gtest/gtest.h>

#include <array>

namespace orvane {
namespace {

using test::ShowedProgress;

/// Converts a one-row 24-bit image of these (r, g, b) pixels; the grey
/// levels it gets (each pixel must come out grey).
std::vector<int> greyOf(const std::vector<std::array<int, 3>>& colours)
{
    CBitmapImage image;
    image.Create(int(colours.size()), 1, 24);
    for (int x = 1; x <= int(colours.size()); ++x)
        image.SetPixelColor(x, 1, colours[x - 1][0], colours[x - 1][1], colours[x - 1][2]);
    SilentPort port;
    EXPECT_EQ(ConvertToGreyScale(image, port), 1);
    std::vector<int> levels;
    for (int x = 1; x <= int(colours.size()); ++x) {
        std::uint8_t r = 0, g = 0, b = 0;
        image.GetPixelColor(x, 1, r, g, b);
        EXPECT_TRUE(r == g && g == b) << x;
        levels.push_back(r);
    }
    return levels;
}

TEST(GreyScaleTest, LevelsOfDirectColourAndTheGreyRamp)
{
    EXPECT_EQ(greyOf({{255, 255, 255}, {1, 1, 1}, {128, 128, 128}, {254, 254, 254}, {255, 0, 0}, {0, 255, 0},
                      {0, 0, 255}, {127, 127, 127}, {126, 126, 126}}),
              (std::vector<int>{255, 0, 127, 253, 76, 149, 29, 126, 126}));
    // The weighted sum is truncated: on the 8-bit ramp every level stays or
    // loses one, and exactly 65 of them lose one.
    std::vector<std::array<int, 3>> ramp;
    for (int v = 0; v < 256; ++v)
        ramp.push_back({v, v, v});
    const std::vector<int> levels = greyOf(ramp);
    int lower = 0;
    for (int v = 0; v < 256; ++v) {
        EXPECT_TRUE(levels[v] == v || levels[v] == v - 1) << v;
        lower += levels[v] == v - 1;
    }
    EXPECT_EQ(lower, 65);
}

TEST(GreyScaleTest, PaletteImageBecomesGreyRamp)
{
    std::vector<RGBQUAD> table(256);
    table[0] = {0, 0, 255, 0};     // red
    table[1] = {0, 255, 0, 0};     // green
    table[2] = {128, 128, 128, 7}; // grey, reserved byte 7
    CBitmapImage image;
    image.Create(3, 2, 8, table);
    std::uint8_t* top = image.GetRow(1);
    top[0] = 0, top[1] = 1, top[2] = 2;
    RecordingPort port;
    ASSERT_EQ(ConvertToGreyScale(image, port), 1);
    EXPECT_EQ(image.GetBitCount(), 8);
    EXPECT_EQ((std::array<int, 3>{top[0], top[1], top[2]}), (std::array<int, 3>{76, 149, 127}));
    const RGBQUAD* ramp = image.GetColorTable();
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(ramp[i].rgbRed == i && ramp[i].rgbGreen == i && ramp[i].rgbBlue == i) << i;
    EXPECT_EQ(ramp[2].rgbReserved, 7);
    EXPECT_TRUE(ShowedProgress(port, {"Grey Scale", 2, {"Working..."}, {1, 2}}));
}

TEST(GreyScaleTest, RefusesShallowImagesAndEmptyOnes)
{
    CBitmapImage image;
    image.Create(4, 4, 4);
    const std::vector<std::uint8_t> before(image.GetBits(), image.GetBits() + image.GetBitsSize());
    RecordingPort port;
    EXPECT_EQ(ConvertToGreyScale(image, port), 0);
    EXPECT_EQ(port.messages(), std::vector<std::string>{"Image depth must be greater than 8 bits."});
    EXPECT_EQ(std::vector<std::uint8_t>(image.GetBits(), image.GetBits() + image.GetBitsSize()), before);
    CBitmapImage empty;
    RecordingPort none;
    EXPECT_EQ(ConvertToGreyScale(empty, none), 0);
    EXPECT_TRUE(none.events().empty());
}

// A cancel at the third row check: rows 1 and 2 are grey, the rest keep
// their colour; an 8-bit image still gets the ramp.
TEST(GreyScaleTest, CancelKeepsConvertedRows)
{
    CBitmapImage image = test::FromText({"##", "##", "##", "##"});
    for (int y = 1; y <= 4; ++y)
        image.SetPixelColor(1, y, 255, 0, 0);
    RecordingPort port;
    port.cancelFromCheck(3);
    EXPECT_EQ(ConvertToGreyScale(image, port), 1);
    for (int y = 1; y <= 4; ++y) {
        std::uint8_t r = 0, g = 0, b = 0;
        image.GetPixelColor(1, y, r, g, b);
        EXPECT_EQ(r, y <= 2 ? 76 : 255) << y;
    }
    EXPECT_TRUE(ShowedProgress(port, {"Grey Scale", 4, {"Working..."}, {1, 2}}));

    CBitmapImage palette;
    palette.Create(2, 3, 8, std::vector<RGBQUAD>(256, RGBQUAD{0, 0, 255, 0}));
    RecordingPort cancelAtOnce;
    cancelAtOnce.cancelFromCheck(1);
    EXPECT_EQ(ConvertToGreyScale(palette, cancelAtOnce), 1);
    EXPECT_EQ(palette.GetRow(1)[0], 0); // untouched index now reads as grey 0
    EXPECT_EQ(palette.GetColorTable()[200].rgbRed, 200);
}

} // namespace
} // namespace orvane
