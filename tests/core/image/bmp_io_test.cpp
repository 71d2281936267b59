// Reading and writing BMP streams: layout, round trips and refusal of
// damaged or hostile files.
#include "image/bitmap_image.h"

#include "support/drawings.h"

#include <gtest/gtest.h>

#include <array>

#include <atomic>
#include <cstring>
#include <sstream>
#include <tuple>

namespace orvane {
namespace test {
extern std::atomic<std::size_t> largestAllocation; // allocation_probe.cpp
}
namespace {

/// A BMP built field by field, so tests can damage any one of them. Table
/// entry i is (i, 2i, 3i) and pixel byte k is k * 7 + 1.
struct BmpBuilder {
    std::int32_t width = 3, height = 2;
    std::uint16_t bitCount = 24;
    std::uint32_t infoSize = 40, compression = 0, clrUsed = 0;
    std::uint32_t gap = 0;         ///< bytes between the table and the pixels
    std::int64_t bfSizeDelta = 0;  ///< added to the correct bfSize
    std::int64_t offBitsDelta = 0; ///< added to the correct bfOffBits
    std::int64_t pixelDelta = 0;   ///< pixel bytes added (or removed when negative)
    std::uint16_t planes = 1;
    char magic1 = 'M';
    std::int64_t tableEntries = -1; ///< entries stored; -1 for the whole table
    /// Red, green and blue masks of bit-field pixels: inside a header of 52
    /// bytes or more, else right after the 40-byte header.
    std::array<std::uint32_t, 3> masks = {0x00FF0000, 0x0000FF00, 0x000000FF};

    std::string bytes() const
    {
        std::string s = {'B', magic1};
        auto put16 = [&](std::uint32_t v) { s += {char(v & 0xFF), char((v >> 8) & 0xFF)}; };
        auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
        const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
        const std::uint64_t stored = tableEntries >= 0 ? std::uint64_t(tableEntries) : entries;
        const bool masksAfter = compression == 3 && infoSize == 40;
        const std::uint64_t rows = std::uint64_t(height > 0 ? height : height == INT32_MIN ? 0 : -std::int64_t(height));
        const std::uint64_t pixels = RowStride(width, bitCount) * rows;
        const std::uint64_t offBits = 14 + infoSize + (masksAfter ? 12 : 0) + 4 * stored + gap;
        for (std::uint64_t v : {offBits + pixels + bfSizeDelta, std::uint64_t(0), offBits + offBitsDelta,
                                std::uint64_t(infoSize), std::uint64_t(std::uint32_t(width)),
                                std::uint64_t(std::uint32_t(height))})
            put32(std::uint32_t(v));
        put16(planes);
        put16(bitCount);
        for (std::uint32_t v : {compression, 0u, 2835u, 2835u, clrUsed, 0u})
            put32(v);
        if (infoSize >= 52 || masksAfter)
            for (std::uint32_t m : masks)
                put32(m);
        s.append(infoSize >= 52 ? infoSize - 52 : 0, '\0');
        for (std::uint32_t i = 0; i < stored; ++i)
            s += {char(3 * i), char(2 * i), char(i), '\0'};
        s.append(gap, '\x55');
        // Huge claimed sizes get at most 1 MiB of rows: such files are meant to be short.
        for (std::int64_t k = 0; k < std::min<std::int64_t>(std::int64_t(pixels) + pixelDelta, 1 << 20); ++k)
            s += char(k * 7 + 1);
        return s;
    }
};

using Rgb = std::array<int, 3>;

Rgb pixel(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 1, g = 2, b = 3;
    EXPECT_EQ(image.GetPixelColor(x, y, r, g, b), 1);
    return {r, g, b};
}

std::uint32_t le32(const std::string& s, std::size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}

std::string written(const CBitmapImage& image)
{
    std::ostringstream out;
    EXPECT_EQ(image.Write(out), 1);
    return out.str();
}

int readFrom(CBitmapImage& image, const std::string& bytes)
{
    std::istringstream in(bytes);
    return image.Read(in);
}

TEST(BmpWrite, HeaderOffsetsAndSizesForEachDepth)
{
    struct Case { int width, height, bits; std::uint32_t offBits, pixelBytes; };
    for (Case c : {Case{3, 2, 24, 54, 24}, Case{3, 2, 8, 1078, 8}, Case{8, 3, 4, 118, 12}, Case{9, 2, 1, 62, 8}}) {
        CBitmapImage image;
        ASSERT_EQ(image.Create(c.width, c.height, c.bits), 1);
        const std::string file = written(image);
        SCOPED_TRACE(c.bits);
        EXPECT_EQ(file.substr(0, 2), "BM");
        EXPECT_EQ(le32(file, 2), c.offBits + c.pixelBytes) << "bfSize";
        EXPECT_EQ(le32(file, 6), 0u) << "reserved";
        EXPECT_EQ(le32(file, 10), c.offBits) << "bfOffBits";
        EXPECT_EQ(file.size(), c.offBits + c.pixelBytes);
    }
}

TEST(BmpReadWrite, RoundTripsOfAllFourDepthsAreBitExact)
{
    for (int bits : {1, 4, 8, 24})
        for (int width : {1, 2, 3, 5, 8, 9, 17, 31}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
            CBitmapImage image = test::RandomImage(width, 3, bits, unsigned(width * 100 + bits));
            const std::string file = written(image);
            CBitmapImage back;
            ASSERT_EQ(readFrom(back, file), 1);
            EXPECT_EQ(back.GetSize(), image.GetSize());
            EXPECT_EQ(back.GetBitCount(), bits);
            ASSERT_EQ(back.GetBitsSize(), image.GetBitsSize());
            EXPECT_EQ(std::memcmp(back.GetBits(), image.GetBits(), image.GetBitsSize()), 0);
            EXPECT_EQ(written(back), file);
        }
}

TEST(BmpRead, OffsetsCountFromTheStreamPositionGapsAreDroppedAndTheColourCountIsCapped)
{
    BmpBuilder b;
    b.bitCount = 8;
    b.gap = 6;
    b.clrUsed = 16; // the whole 256-entry table is read all the same
    const std::string file = b.bytes();
    std::istringstream in("junk!" + file);
    in.seekg(5);
    CBitmapImage image;
    ASSERT_EQ(image.Read(in), 1);
    EXPECT_EQ(image.GetColorTableSize(), 256u);
    EXPECT_EQ(image.GetColorCount(), 16u);
    EXPECT_EQ(image.GetColorTable()[255].rgbRed, 255);
    EXPECT_EQ(image.GetColorTable()[255].rgbBlue, std::uint8_t(3 * 255));
    EXPECT_EQ(image.GetBits()[0], 1) << "pixels found through bfOffBits, past the gap";
    const std::string again = written(image);
    EXPECT_EQ(le32(again, 10), 1078u);
    EXPECT_EQ(again.size(), file.size() - 6);
    EXPECT_EQ(again.substr(1078), file.substr(1078 + 6));

    b.bitCount = 4;
    b.clrUsed = 1000;
    ASSERT_EQ(readFrom(image, b.bytes()), 1);
    EXPECT_EQ(image.GetColorCount(), 16u);
}

TEST(BmpRead, RefusesWhatIsNotAnUncompressedBitmapOfASupportedDepth)
{
    struct Case { const char* why; BmpBuilder b; };
    auto with = [](auto change) { BmpBuilder b; change(b); return b; };
    const Case cases[] = {
        {"magic", with([](BmpBuilder& b) { b.magic1 = 'A'; })},
        {"core header", with([](BmpBuilder& b) { b.infoSize = 12; })},
        {"64-byte header", with([](BmpBuilder& b) { b.infoSize = 64; })},
        {"run-length", with([](BmpBuilder& b) { b.bitCount = 8; b.compression = 1; })},
        {"bit fields", with([](BmpBuilder& b) { b.compression = 3; })},
        {"zero width", with([](BmpBuilder& b) { b.width = 0; })},
        {"negative width", with([](BmpBuilder& b) { b.width = -3; })},
        {"zero height", with([](BmpBuilder& b) { b.height = 0; })},
        {"top-down without end", with([](BmpBuilder& b) { b.height = INT32_MIN; })},
        {"2 bits", with([](BmpBuilder& b) { b.bitCount = 2; })},
        {"16 bits", with([](BmpBuilder& b) { b.bitCount = 16; })},
        {"32 bits, unusual masks", with([](BmpBuilder& b) { b.bitCount = 32; b.compression = 3; b.masks = {0xFF, 0xFF00, 0xFF0000}; })},
        {"32 bits, run-length", with([](BmpBuilder& b) { b.bitCount = 32; b.compression = 1; })},
        {"short table, pixels inside it", with([](BmpBuilder& b) { b.bitCount = 8; b.clrUsed = 16; b.tableEntries = 16; b.offBitsDelta = -4; })},
        {"offset past end", with([](BmpBuilder& b) { b.offBitsDelta = 1000; })},
        {"pixels inside the headers", with([](BmpBuilder& b) { b.offBitsDelta = -54; b.pixelDelta = 54; })},
        {"pixels inside the colour table", with([](BmpBuilder& b) { b.bitCount = 8; b.offBitsDelta = -4; })},
        {"no planes", with([](BmpBuilder& b) { b.planes = 0; })},
        {"two planes", with([](BmpBuilder& b) { b.planes = 2; })},
        {"offset far past end", with([](BmpBuilder& b) { b.offBitsDelta = 0x7FFFFFF0; })},
        {"declared short", with([](BmpBuilder& b) { b.bfSizeDelta = -1; })},
        {"declared negative", with([](BmpBuilder& b) { b.bfSizeDelta = -30; })}, // bfSize below bfOffBits
        {"ends early", with([](BmpBuilder& b) { b.pixelDelta = -1; })},
        {"stride x height overflows", with([](BmpBuilder& b) { b.width = 0x7FFFFFFF; b.height = 0x7FFFFFFF; })},
        {"rows beyond 4 GiB", with([](BmpBuilder& b) { b.width = 100000; b.height = 100000; })},
    };
    for (const Case& c : cases) {
        CBitmapImage image;
        ASSERT_EQ(image.Create(2, 2, 24), 1);
        EXPECT_EQ(readFrom(image, c.b.bytes()), 0) << c.why;
        EXPECT_TRUE(image.IsEmpty()) << c.why << ": a refused file leaves the image empty";
        EXPECT_EQ(image.GetColorTable(), nullptr);
    }
}

// Bitmaps as other tools write them: later headers, rows from the top
// down, 32-bit pixels with or without channel masks, and tables of only the
// colours used. Each reads as the classic file of the same picture, and is
// written back as one.
TEST(BmpRead, BitmapsOfOtherToolsReadAsTheClassicFile)
{
    auto variant = [](int bits, auto change) {
        BmpBuilder b;
        b.width = 5;
        b.height = 3;
        b.bitCount = std::uint16_t(bits);
        change(b);
        return b;
    };
    struct Case { const char* what; BmpBuilder classic, other; };
    auto flipRows = [](const std::string& file, std::size_t offBits, std::size_t stride, int rows) {
        std::string out = file.substr(0, offBits);
        for (int r = rows - 1; r >= 0; --r)
            out += file.substr(offBits + std::size_t(r) * stride, stride);
        return out;
    };
    for (int bits : {1, 4, 8, 24}) {
        const BmpBuilder classic = variant(bits, [](BmpBuilder&) {});
        for (std::uint32_t infoSize : {52u, 56u, 108u, 124u}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, header " << infoSize);
            CBitmapImage expected, image;
            ASSERT_EQ(readFrom(expected, classic.bytes()), 1);
            ASSERT_EQ(readFrom(image, variant(bits, [&](BmpBuilder& b) { b.infoSize = infoSize; }).bytes()), 1);
            EXPECT_EQ(written(image), written(expected));
        }
        // The same rows stored from the top: the picture must come out the same.
        SCOPED_TRACE(testing::Message() << bits << " bits, top-down");
        BmpBuilder topDown = classic;
        topDown.height = -3;
        const std::string bottomUp = classic.bytes();
        const std::size_t offBits = le32(bottomUp, 10), stride = RowStride(5, bits);
        std::string file = flipRows(topDown.bytes(), offBits, stride, 3);
        CBitmapImage expected, image;
        ASSERT_EQ(readFrom(expected, bottomUp), 1);
        ASSERT_EQ(readFrom(image, file), 1);
        EXPECT_EQ(written(image), written(expected));
    }

    // 32-bit pixels: blue, green, red and a fourth byte that is dropped.
    for (auto [infoSize, compression] : {std::pair{40u, 0u}, std::pair{40u, 3u}, std::pair{124u, 3u}, std::pair{108u, 0u}}) {
        SCOPED_TRACE(testing::Message() << "32 bits, header " << infoSize << ", compression " << compression);
        BmpBuilder b = variant(32, [&](BmpBuilder& x) { x.infoSize = infoSize; x.compression = compression; });
        CBitmapImage image;
        ASSERT_EQ(readFrom(image, b.bytes()), 1);
        EXPECT_EQ(image.GetBitCount(), 24);
        const std::string file = b.bytes();
        const std::size_t offBits = le32(file, 10);
        for (int y = 1; y <= 3; ++y)
            for (int x = 1; x <= 5; ++x) {
                const std::size_t at = offBits + std::size_t(3 - y) * 20 + 4 * std::size_t(x - 1);
                EXPECT_EQ(pixel(image, x, y), (Rgb{std::uint8_t(file[at + 2]), std::uint8_t(file[at + 1]),
                                                   std::uint8_t(file[at])}))
                    << x << "," << y;
            }
        const std::string again = written(image);
        EXPECT_EQ(le32(again, 14), 40u);
        EXPECT_EQ(again[28], 24);
    }

    // Only the colours used stored: the rest of the table is black.
    BmpBuilder shortTable = variant(8, [](BmpBuilder& b) { b.clrUsed = 5; b.tableEntries = 5; });
    CBitmapImage image;
    ASSERT_EQ(readFrom(image, shortTable.bytes()), 1);
    EXPECT_EQ(image.GetColorTableSize(), 256u);
    EXPECT_EQ(image.GetColorTable()[4].rgbBlue, 12);
    EXPECT_EQ(image.GetColorTable()[5].rgbBlue, 0);
    EXPECT_EQ(image.GetColorTable()[255].rgbBlue, 0);
    EXPECT_EQ(image.GetBits()[0], 1) << "the pixels follow the short table";
}

TEST(BmpRead, ReadingOnlyTheInkKeepsEveryPixelOfEveryLayout)
{
    // Widths around a byte of bits, rows either way up, 24 and 32 bits: the
    // ink image is black exactly where the full image has ink.
    for (int width : {1, 7, 8, 9, 17})
        for (std::int32_t height : {3, -3})
            for (auto [bits, infoSize, compression] :
                 {std::tuple{24, 40u, 0u}, std::tuple{32, 40u, 0u}, std::tuple{32, 124u, 3u}}) {
                SCOPED_TRACE(testing::Message() << width << " x " << height << ", " << bits << " bits");
                BmpBuilder b;
                b.width = width;
                b.height = height;
                b.bitCount = std::uint16_t(bits);
                b.infoSize = infoSize;
                b.compression = compression;
                CBitmapImage whole, ink;
                ASSERT_EQ(readFrom(whole, b.bytes()), 1);
                std::istringstream in(b.bytes());
                ASSERT_EQ(ink.ReadInk(in), 1);
                ASSERT_EQ(ink.GetBitCount(), 1);
                ASSERT_EQ(std::pair(ink.GetWidth(), ink.GetHeight()), std::pair(whole.GetWidth(), whole.GetHeight()));
                for (int y = 1; y <= whole.GetHeight(); ++y)
                    for (int x = 1; x <= width; ++x) {
                        const Rgb c = pixel(whole, x, y);
                        const bool isInk = c[0] < 170 || c[1] < 170 || c[2] < 170;
                        EXPECT_EQ(pixel(ink, x, y), isInk ? (Rgb{0, 0, 0}) : (Rgb{255, 255, 255})) << x << "," << y;
                    }
            }
    // What cannot be read in full cannot be read as ink either.
    BmpBuilder shortFile;
    shortFile.pixelDelta = -1;
    CBitmapImage image;
    std::istringstream in(shortFile.bytes());
    EXPECT_EQ(image.ReadInk(in), 0);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(BmpRead, ATinyFileClaimingAHugeImageIsRefusedBeforeAnyLargeAllocation)
{
    BmpBuilder b;
    b.bitCount = 8;
    b.width = b.height = 60000; // 3.6 GB of rows: representable, but not in this file
    b.pixelDelta = -(60000LL * 60000LL);
    // 60 bytes of header, then the header and the whole table but no rows.
    for (const std::string& file : {b.bytes().substr(0, 60), b.bytes()}) {
        test::largestAllocation = 0;
        CBitmapImage image;
        EXPECT_EQ(readFrom(image, file), 0);
        EXPECT_LT(test::largestAllocation, 64u * 1024) << "memory taken must be justified by the file's size";
    }
}

TEST(BmpRead, SidesAboveTheLimitAreRefused)
{
    // A complete one-row 1-bit file at the limit, then the same file one pixel wider.
    CBitmapImage image;
    ASSERT_EQ(image.Create(kMaxImageSide, 1, 1), 1);
    EXPECT_EQ(image.Create(kMaxImageSide + 1, 1, 1), 0);
    ASSERT_EQ(image.Create(kMaxImageSide, 1, 1), 1);
    std::string file = written(image);
    ASSERT_EQ(readFrom(image, file), 1);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(file.data() + at, &v, 4); };
    put32(18, std::uint32_t(kMaxImageSide) + 1);
    file.append(4, '\0'); // the wider row's stride
    put32(2, std::uint32_t(file.size()));
    EXPECT_EQ(readFrom(image, file), 0);
}

TEST(BmpRead, EveryTruncationOfAValidFileIsRefused)
{
    for (int bits : {1, 4, 8, 24}) {
        const std::string file = written(test::RandomImage(5, 3, bits, 7));
        CBitmapImage image;
        ASSERT_EQ(readFrom(image, file), 1);
        for (std::size_t length = 0; length < file.size(); ++length) {
            ASSERT_EQ(readFrom(image, file.substr(0, length)), 0) << bits << " bits cut at " << length;
            ASSERT_TRUE(image.IsEmpty());
        }
    }
}

/// A stream buffer that accepts `left` bytes and then fails, like a full disk.
struct FullDisk : std::streambuf {
    explicit FullDisk(std::size_t capacity) : left(capacity) {}
    int_type overflow(int_type c) override { return left ? (--left, traits_type::not_eof(c)) : traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        const std::streamsize taken = std::min<std::streamsize>(n, std::streamsize(left));
        left -= std::size_t(taken);
        return taken;
    }
    std::size_t left;
};

TEST(BmpWrite, ReportsAFailingStream)
{
    CBitmapImage image = test::RandomImage(7, 4, 8, 3); // 1078 + 32 bytes
    for (std::size_t capacity : {0, 10, 14, 100, 1078, 1078 + 31, 1078 + 32}) {
        FullDisk disk(capacity);
        std::ostream out(&disk);
        EXPECT_EQ(image.Write(out), capacity == 1078 + 32) << "capacity " << capacity;
    }
    std::ostringstream sink;
    EXPECT_EQ(CBitmapImage().Write(sink), 0) << "no image, nothing to write";
}

} // namespace
} // namespace orvane
