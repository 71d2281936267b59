#include "processing/threshold.h"

#include "image/bitmap_image.h"
#include "support/recording_port.h"

#include <gtest/gtest.h>

#include <array>

namespace orvane {
namespace {

using Rgb = std::array<int, 3>;

/// A 24-bit image one pixel wide or high holding these colours.
CBitmapImage direct(std::vector<Rgb> colours, bool column = false)
{
    CBitmapImage image;
    const int n = int(colours.size());
    image.Create(column ? 1 : n, column ? n : 1, 24);
    for (int k = 1; k <= n; ++k) {
        const Rgb& c = colours[k - 1];
        image.SetPixelColor(column ? 1 : k, column ? k : 1, std::uint8_t(c[0]), std::uint8_t(c[1]),
                            std::uint8_t(c[2]));
    }
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

const std::uint32_t kBlack = PackColor(0, 0, 0), kWhite = PackColor(255, 255, 255);
const Rgb white = {255, 255, 255};

TEST(ThresholdTest, DirectColourComparesPackedValues)
{
    CBitmapImage image = direct({{255, 255, 50}, {200, 200, 200}, {100, 100, 100}, {0, 0, 101}});
    SilentPort port;
    ASSERT_EQ(Threshold(image, port, kBlack, PackColor(100, 100, 100)), 1);
    // (255, 255, 50) packs below (100, 100, 100); blue 101 decides the last.
    EXPECT_EQ(pixels(image), (std::vector<Rgb>{{255, 255, 50}, white, {100, 100, 100}, white}));
    CBitmapImage all = direct({{1, 2, 3}, {0, 0, 0}, {255, 255, 255}});
    Threshold(all, port, kBlack, kWhite);
    EXPECT_EQ(pixels(all), (std::vector<Rgb>{{1, 2, 3}, {0, 0, 0}, white}));
    Threshold(all, port, PackColor(0, 0, 200), PackColor(0, 0, 100)); // lower above upper
    EXPECT_EQ(pixels(all), (std::vector<Rgb>{white, white, white}));
}

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
    EXPECT_EQ(port.eventsOf({PortEvent::Kind::ProgressRange})[0].value, 16);
    std::vector<int> entries(16);
    for (int i = 0; i < 16; ++i)
        entries[i] = i;
    EXPECT_EQ(port.positions(), entries);
    EXPECT_EQ(port.progressTexts(), std::vector<std::string>({"Threshold", "Working..."}));
}

TEST(ThresholdTest, CancelLeavesLaterRowsAndEmptyFails)
{
    CBitmapImage image = direct({{200, 200, 200}, {200, 200, 200}, {200, 200, 200}}, true);
    RecordingPort port;
    port.cancelFromCheck(2);
    EXPECT_EQ(Threshold(image, port, kBlack, PackColor(100, 100, 100)), 1);
    EXPECT_EQ(pixels(image), (std::vector<Rgb>{white, {200, 200, 200}, {200, 200, 200}}));
    EXPECT_EQ(port.positions(), std::vector<int>({1}));
    CBitmapImage empty;
    EXPECT_EQ(Threshold(empty, port, kBlack, kWhite), 0);
}

} // namespace
} // namespace orvane
