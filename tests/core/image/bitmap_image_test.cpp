// Pixel access, colour lookup, copies and histograms of CBitmapImage.
#include "image/bitmap_image.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace orvane {
namespace {

using Rgb = std::array<int, 3>;

Rgb pixel(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 1, g = 2, b = 3;
    EXPECT_EQ(image.GetPixelColor(x, y, r, g, b), 1) << "(" << x << "," << y << ")";
    return {r, g, b};
}

/// Entry i is red i, green 2i, blue 3i; with `grey`, (i, i, i).
std::vector<RGBQUAD> ramp(int n, bool grey = false)
{
    std::vector<RGBQUAD> t(n);
    for (int i = 0; i < n; ++i)
        t[i] = grey ? RGBQUAD{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0}
                    : RGBQUAD{std::uint8_t(i * 3), std::uint8_t(i * 2), std::uint8_t(i), 0};
    return t;
}

TEST(RowStride, PadsEveryDepthToFourBytes)
{
    struct Case { int width, bits; std::uint64_t stride; };
    for (Case c : {Case{1, 24, 4}, Case{5, 24, 16}, Case{4, 8, 4}, Case{5, 8, 8}, Case{8, 4, 4}, Case{9, 4, 8},
                   Case{1, 1, 4}, Case{32, 1, 4}, Case{33, 1, 8}})
        EXPECT_EQ(RowStride(c.width, c.bits), c.stride) << c.width << "x" << c.bits;
}

TEST(BitmapImage, TwentyFourBitRowsAreStoredBottomUpInBlueGreenRed)
{
    CBitmapImage image;
    ASSERT_EQ(image.Create(2, 2, 24), 1);
    ASSERT_EQ(image.GetBitsSize(), 16u);
    ASSERT_EQ(image.SetPixelColor(1, 1, 10, 20, 30), 1);
    ASSERT_EQ(image.SetPixelColor(2, 2, 40, 50, 60), 1);
    const std::uint8_t* bits = image.GetBits();
    EXPECT_EQ((Rgb{bits[8], bits[9], bits[10]}), (Rgb{30, 20, 10}));
    EXPECT_EQ((Rgb{bits[3], bits[4], bits[5]}), (Rgb{60, 50, 40}));
    EXPECT_EQ(pixel(image, 1, 1), (Rgb{10, 20, 30}));
    EXPECT_EQ(pixel(image, 2, 2), (Rgb{40, 50, 60}));
}

TEST(BitmapImage, FourBitPixelsFillHighNibbleFirst)
{
    CBitmapImage image;
    ASSERT_EQ(image.Create(9, 2, 4, ramp(16)), 1);
    EXPECT_EQ(image.GetStride(), 8u);
    ASSERT_EQ(image.SetPixelColor(1, 1, 5, 10, 15), 1);  // index 5
    ASSERT_EQ(image.SetPixelColor(2, 1, 12, 24, 36), 1); // index 12
    ASSERT_EQ(image.SetPixelColor(9, 1, 1, 2, 3), 1);    // index 1, high nibble of byte 4
    const std::uint8_t* row = image.GetRow(1);
    EXPECT_EQ(row, image.GetBits() + 8);
    EXPECT_EQ(row[0], 0x5C);
    EXPECT_EQ(row[4], 0x10);
    ASSERT_EQ(image.SetPixelColor(1, 1, 0, 0, 0), 1);
    EXPECT_EQ(row[0], 0x0C) << "rewriting one nibble keeps its neighbour";
    EXPECT_EQ(pixel(image, 2, 1), (Rgb{12, 24, 36}));
    EXPECT_EQ(pixel(image, 1, 2), (Rgb{0, 0, 0}));
}

TEST(BitmapImage, OneBitPixelsAreMostSignificantBitFirst)
{
    CBitmapImage image;
    ASSERT_EQ(image.Create(9, 3, 1, std::vector<RGBQUAD>{{0, 0, 0, 0}, {255, 255, 255, 0}}), 1);
    EXPECT_EQ(image.GetStride(), 4u);
    ASSERT_EQ(image.SetPixelColor(9, 2, 255, 255, 255), 1);
    ASSERT_EQ(image.SetPixelColor(1, 2, 255, 255, 255), 1);
    const std::uint8_t* row = image.GetRow(2);
    EXPECT_EQ(row[0], 0x80);
    EXPECT_EQ(row[1], 0x80);
    ASSERT_EQ(image.SetPixelColor(1, 2, 0, 0, 0), 1);
    EXPECT_EQ(row[0], 0x00);
    EXPECT_EQ(pixel(image, 9, 2), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixel(image, 8, 2), (Rgb{0, 0, 0}));
}

// Whole rows of indices read and write exactly what the per-pixel
// accessors do, and leave the padding after the last pixel alone.
TEST(BitmapImage, RowIndicesMatchThePixelAccessors)
{
    for (int bits : {1, 4, 8})
        for (int width : {1, 7, 8, 9, 17, 70}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            CBitmapImage image;
            ASSERT_EQ(image.Create(width, 2, bits, ramp(1 << bits)), 1);
            std::memset(image.GetBits(), 0xA5, image.GetBitsSize()); // padding included
            const int top = 1 << bits;
            std::vector<std::uint8_t> wanted(static_cast<std::size_t>(width)), read(wanted);
            for (int x = 0; x < width; ++x)
                wanted[std::size_t(x)] = std::uint8_t((x * 7 + 3) % top);
            CBitmapImage byPixel = image.Clone();
            image.SetRowIndices(2, wanted.data());
            for (int x = 1; x <= width; ++x)
                byPixel.SetPixelIndex(x, 2, wanted[std::size_t(x - 1)]);
            EXPECT_EQ(std::memcmp(image.GetBits(), byPixel.GetBits(), image.GetBitsSize()), 0);
            image.GetRowIndices(2, read.data());
            EXPECT_EQ(read, wanted);
            image.GetRowIndices(1, read.data());
            for (int x = 1; x <= width; ++x)
                EXPECT_EQ(read[std::size_t(x - 1)], image.GetPixelIndex(x, 1));
        }
}

TEST(BitmapImage, IndexedWritesStoreTheFirstMatchingEntryAndRefuseUnknownColours)
{
    auto table = ramp(256);
    table[200] = table[7]; // a colour held twice: the lower index wins
    CBitmapImage image;
    ASSERT_EQ(image.Create(5, 1, 8, table), 1);
    ASSERT_EQ(image.SetPixelColor(3, 1, 7, 14, 21), 1);
    EXPECT_EQ(image.GetRow(1)[2], 7);
    EXPECT_EQ(image.SetPixelColor(3, 1, 1, 1, 1), 0);
    EXPECT_EQ(image.GetRow(1)[2], 7) << "a refused colour leaves the pixel as it was";
    // The caller's table is searched instead of the image's own.
    ASSERT_EQ(image.SetPixelColorFromTable(4, 1, ramp(256, true), 99, 99, 99), 1);
    EXPECT_EQ(image.GetRow(1)[3], 99);
    EXPECT_EQ(image.SetPixelColorFromTable(4, 1, ramp(256, true), 1, 2, 3), 0);
}

TEST(BitmapImage, RefusesBadSizesCoordinatesOutsideAndEmptyImages)
{
    CBitmapImage image;
    for (auto [w, h, bits] : {std::tuple{0, 5, 24}, {5, -1, 8}, {5, 5, 16}, {5, 5, 2}, {70000, 70000, 24}})
        EXPECT_EQ(image.Create(w, h, bits), 0) << w << "x" << h << "x" << bits; // the last: over 4 GiB
    EXPECT_TRUE(image.IsEmpty());
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    std::vector<std::uint8_t> before(image.GetBits(), image.GetBits() + image.GetBitsSize());
    std::uint8_t r, g, b;
    for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {4, 1}, {1, 3}, {-1, -1}, {INT32_MIN, 1}, {1, INT32_MAX}}) {
        EXPECT_EQ(image.GetPixelColor(x, y, r, g, b), 0);
        EXPECT_EQ(image.SetPixelColor(x, y, 9, 9, 9), 0);
        EXPECT_EQ(image.SetPixelColorFromTable(x, y, {}, 9, 9, 9), 0);
    }
    EXPECT_TRUE(std::equal(before.begin(), before.end(), image.GetBits()));

    CBitmapImage empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.GetPixelColor(1, 1, r, g, b), 0);
    EXPECT_EQ(empty.SetPixelColor(1, 1, 0, 0, 0), 0);
    EXPECT_EQ(empty.GetColorTable(), nullptr);
    EXPECT_EQ(empty.GetColorCount(), 0u);
    EXPECT_EQ(empty.GetSize(), (std::pair{0, 0}));
    std::array<std::uint32_t, 256> hist{};
    EXPECT_EQ(empty.ComputeHistogram(hist, hist, hist), 0);
}

TEST(BitmapImage, CopyKeepsHeaderAndPixelsButNotTheColourTable)
{
    CBitmapImage image;
    ASSERT_EQ(image.Create(4, 3, 8, ramp(256)), 1);
    ASSERT_EQ(image.SetPixelColor(2, 2, 9, 18, 27), 1);
    CBitmapImage copy(image);
    EXPECT_EQ(copy.GetSize(), image.GetSize());
    EXPECT_EQ(copy.GetBitCount(), 8);
    ASSERT_EQ(copy.GetBitsSize(), image.GetBitsSize());
    EXPECT_EQ(std::memcmp(copy.GetBits(), image.GetBits(), image.GetBitsSize()), 0);
    EXPECT_NE(copy.GetBits(), image.GetBits());
    EXPECT_EQ(copy.GetColorTableSize(), 1u);
    EXPECT_EQ(copy.GetColorTable()[0].rgbRed, 0);
    EXPECT_EQ(copy.GetColorCount(), 1u) << "never more than the table holds";
    std::uint8_t r, g, b;
    EXPECT_EQ(copy.GetPixelColor(2, 2, r, g, b), 0) << "index 9 lies beyond the copy's table";

    // The copy restores the original's pixels; a short buffer is refused.
    ASSERT_EQ(image.SetPixelColor(2, 2, 0, 0, 0), 1);
    EXPECT_EQ(image.SetBits({copy.GetBits(), copy.GetBitsSize()}), 1);
    EXPECT_EQ(pixel(image, 2, 2), (Rgb{9, 18, 27}));
    EXPECT_EQ(image.SetBits({}), 1);
    EXPECT_EQ(image.SetBits({copy.GetBits(), 3}), 0);
    EXPECT_EQ(pixel(image, 2, 2), (Rgb{9, 18, 27}));
}

TEST(BitmapImage, HistogramCountsEveryChannel)
{
    CBitmapImage image;
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    image.SetPixelColor(1, 1, 255, 0, 7);
    image.SetPixelColor(3, 2, 255, 1, 7);
    std::vector<std::uint32_t> red(256, 99), green(256, 99), blue(256, 99), shortRed(8, 99);
    ASSERT_EQ(image.ComputeHistogram(red, green, blue), 1);
    EXPECT_EQ((std::array{red[0], red[255], green[0], green[1], blue[0], blue[7]}),
              (std::array<std::uint32_t, 6>{4, 2, 5, 1, 4, 2}));
    ASSERT_EQ(image.ComputeHistogram(shortRed, green, blue), 1) << "a short array is not overrun";
    EXPECT_EQ(shortRed[0], 4u);
}

// The histogram counts rows at a time; it must count what the pixel
// accessor reads, at every depth, odd widths, and indices the table lacks.
TEST(BitmapImage, HistogramCountsWhatThePixelsRead)
{
    unsigned seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0xFF; };
    for (int bits : {1, 4, 8, 24})
        for (auto [w, h] : {std::pair{1, 1}, std::pair{13, 5}, std::pair{67, 9}}) {
            CBitmapImage image;
            // A table shorter than the depth allows: the last indices have no colour.
            const int entries = bits == 24 ? 0 : (1 << bits) - (bits == 1 ? 1 : 3);
            ASSERT_EQ(image.Create(w, h, bits, ramp(entries)), 1);
            for (std::uint32_t i = 0; i < image.GetBitsSize(); ++i)
                image.GetBits()[i] = std::uint8_t(next());
            std::array<std::uint32_t, 256> expected[3]{};
            for (int y = 1; y <= h; ++y)
                for (int x = 1; x <= w; ++x) {
                    std::uint8_t r, g, b;
                    if (image.GetPixelColor(x, y, r, g, b)) {
                        ++expected[0][r];
                        ++expected[1][g];
                        ++expected[2][b];
                    }
                }
            std::array<std::uint32_t, 256> red, green, blue;
            ASSERT_EQ(image.ComputeHistogram(red, green, blue), 1);
            EXPECT_EQ(red, expected[0]) << bits << " bits, " << w << "x" << h;
            EXPECT_EQ(green, expected[1]) << bits << " bits, " << w << "x" << h;
            EXPECT_EQ(blue, expected[2]) << bits << " bits, " << w << "x" << h;
        }
}

} // namespace
} // namespace orvane
