#include "processing/threshold.h"

#include "image/bitmap_image.h"
#include "port/recording_port.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb pixel(const CBitmapImage& image, int x, int y)
{
    Rgb c{0, 0, 0};
    image.GetPixelColor(x, y, c.r, c.g, c.b);
    return c;
}

CBitmapImage direct(std::initializer_list<Rgb> colours)
{
    CBitmapImage image;
    image.Create(int(colours.size()), 1, 24);
    int x = 1;
    for (const Rgb& c : colours)
        image.SetPixelColor(x++, 1, c.r, c.g, c.b);
    return image;
}

const std::uint32_t kBlack = PackColor(0, 0, 0), kWhite = PackColor(255, 255, 255);

TEST(ThresholdTest, DirectColourComparesPackedValues)
{
    CBitmapImage image = direct({{255, 255, 50}, {200, 200, 200}, {100, 100, 100}, {0, 0, 101}});
    SilentPort port;
    ASSERT_EQ(Threshold(image, port, kBlack, PackColor(100, 100, 100)), 1);
    EXPECT_EQ(pixel(image, 1, 1), (Rgb{255, 255, 50}));
    EXPECT_EQ(pixel(image, 2, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixel(image, 3, 1), (Rgb{100, 100, 100}));
    EXPECT_EQ(pixel(image, 4, 1), (Rgb{255, 255, 255})); // blue 101 decides
    CBitmapImage all = direct({{1, 2, 3}, {0, 0, 0}, {255, 255, 255}});
    const std::vector<std::uint8_t> before(all.GetBits(), all.GetBits() + all.GetBitsSize());
    Threshold(all, port, kBlack, kWhite);
    EXPECT_EQ(std::vector<std::uint8_t>(all.GetBits(), all.GetBits() + all.GetBitsSize()), before);
    Threshold(all, port, PackColor(0, 0, 200), PackColor(0, 0, 100)); // lower above upper
    for (int x = 1; x <= 3; ++x)
        EXPECT_EQ(pixel(all, x, 1), (Rgb{255, 255, 255}));
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
    CBitmapImage image;
    image.Create(1, 3, 24);
    for (int y = 1; y <= 3; ++y)
        image.SetPixelColor(1, y, 200, 200, 200);
    RecordingPort port;
    port.cancelFromCheck(2);
    EXPECT_EQ(Threshold(image, port, kBlack, PackColor(100, 100, 100)), 1);
    EXPECT_EQ(pixel(image, 1, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixel(image, 1, 2), (Rgb{200, 200, 200}));
    EXPECT_EQ(port.positions(), std::vector<int>({1}));
    CBitmapImage empty;
    EXPECT_EQ(Threshold(empty, port, kBlack, kWhite), 0);
}

} // namespace
} // namespace orvane
