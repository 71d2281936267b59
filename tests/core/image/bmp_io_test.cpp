// Reading and writing BMP streams: layout, round trips and refusal of
// damaged or hostile files.
#include "image/bitmap_image.h"

#include "support/drawings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sstream>

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

    std::string bytes() const
    {
        std::string s = {'B', magic1};
        auto put16 = [&](std::uint32_t v) { s += {char(v & 0xFF), char((v >> 8) & 0xFF)}; };
        auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
        const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
        const std::uint64_t pixels = RowStride(width, bitCount) * std::uint64_t(height > 0 ? height : 0);
        const std::uint64_t offBits = 14 + infoSize + 4 * std::uint64_t(entries) + gap;
        for (std::uint64_t v : {offBits + pixels + bfSizeDelta, std::uint64_t(0), offBits + offBitsDelta,
                                std::uint64_t(infoSize), std::uint64_t(std::uint32_t(width)),
                                std::uint64_t(std::uint32_t(height))})
            put32(std::uint32_t(v));
        put16(planes);
        put16(bitCount);
        for (std::uint32_t v : {compression, 0u, 2835u, 2835u, clrUsed, 0u})
            put32(v);
        s.append(infoSize > 40 ? infoSize - 40 : 0, '\0');
        for (std::uint32_t i = 0; i < entries; ++i)
            s += {char(3 * i), char(2 * i), char(i), '\0'};
        s.append(gap, '\x55');
        // Huge claimed sizes get at most 1 MiB of rows: such files are meant to be short.
        for (std::int64_t k = 0; k < std::min<std::int64_t>(std::int64_t(pixels) + pixelDelta, 1 << 20); ++k)
            s += char(k * 7 + 1);
        return s;
    }
};

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
        {"v4 header", with([](BmpBuilder& b) { b.infoSize = 108; })},
        {"run-length", with([](BmpBuilder& b) { b.bitCount = 8; b.compression = 1; })},
        {"bit fields", with([](BmpBuilder& b) { b.compression = 3; })},
        {"zero width", with([](BmpBuilder& b) { b.width = 0; })},
        {"negative width", with([](BmpBuilder& b) { b.width = -3; })},
        {"zero height", with([](BmpBuilder& b) { b.height = 0; })},
        {"top-down", with([](BmpBuilder& b) { b.height = -2; })},
        {"2 bits", with([](BmpBuilder& b) { b.bitCount = 2; })},
        {"16 bits", with([](BmpBuilder& b) { b.bitCount = 16; })},
        {"32 bits", with([](BmpBuilder& b) { b.bitCount = 32; })},
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
