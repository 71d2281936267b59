// The BMP reader on any bytes. Whatever it accepts must be an image it can
// write and read back unchanged (same header, colour table and pixel bytes,
// and the same file the second time), whose pixels can be read at the
// corners and in the middle, and which refuses pixels outside it. Reading
// only the ink must accept and refuse the same bytes, and give black
// exactly where the full image has ink, when it reads the ink.
#include "image/bitmap_image.h"
#include "image/ink_rule.h"

#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>

namespace {

using orvane::BitmapInfoHeader;
using orvane::CBitmapImage;

bool sameHeader(const BitmapInfoHeader& a, const BitmapInfoHeader& b)
{
    return a.biSize == b.biSize && a.biWidth == b.biWidth && a.biHeight == b.biHeight && a.biPlanes == b.biPlanes &&
           a.biBitCount == b.biBitCount && a.biCompression == b.biCompression && a.biSizeImage == b.biSizeImage &&
           a.biXPelsPerMeter == b.biXPelsPerMeter && a.biYPelsPerMeter == b.biYPelsPerMeter &&
           a.biClrUsed == b.biClrUsed && a.biClrImportant == b.biClrImportant;
}

std::string written(const CBitmapImage& image)
{
    std::ostringstream out(std::ios::binary);
    FUZZ_CHECK(image.Write(out) == 1);
    return std::move(out).str();
}

/// A pixel inside an image read from a file always has a colour: 24-bit
/// pixels hold theirs, and an indexed image holds its whole colour table.
void checkPixel(const CBitmapImage& first, const CBitmapImage& second, int x, int y)
{
    std::uint8_t r1 = 1, g1 = 2, b1 = 3, r2 = 4, g2 = 5, b2 = 6;
    FUZZ_CHECK(first.GetPixelColor(x, y, r1, g1, b1) == 1);
    FUZZ_CHECK(second.GetPixelColor(x, y, r2, g2, b2) == 1);
    FUZZ_CHECK(r1 == r2 && g1 == g2 && b1 == b2);
}

/// The ink image against the full one at (x, y): black where the full
/// image has ink, white elsewhere (when it was read as ink at all).
void checkInk(const CBitmapImage& image, const CBitmapImage& ink, int x, int y)
{
    std::uint8_t r = 0, g = 0, b = 0, ri = 1, gi = 1, bi = 1;
    FUZZ_CHECK(image.GetPixelColor(x, y, r, g, b) == 1);
    FUZZ_CHECK(ink.GetPixelColor(x, y, ri, gi, bi) == 1);
    if (ink.GetBitCount() != 1 || image.GetBitCount() == 1)
        FUZZ_CHECK(r == ri && g == gi && b == bi); // read in full
    else if (orvane::IsInkColour(r, g, b))
        FUZZ_CHECK(ri == 0 && gi == 0 && bi == 0);
    else
        FUZZ_CHECK(ri == 255 && gi == 255 && bi == 255);
}

void checkOutside(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 0, g = 0, b = 0;
    FUZZ_CHECK(image.GetPixelColor(x, y, r, g, b) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    std::istringstream inkIn(in.str(), std::ios::binary);
    CBitmapImage image, ink;
    const int inkRead = ink.ReadInk(inkIn);
    if (!image.Read(in)) {
        FUZZ_CHECK(image.IsEmpty());
        FUZZ_CHECK(inkRead == 0 && ink.IsEmpty());
        return 0;
    }
    FUZZ_CHECK(inkRead == 1 && ink.GetWidth() == image.GetWidth() && ink.GetHeight() == image.GetHeight());
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int depth = image.GetBitCount();
    FUZZ_CHECK(width > 0 && height > 0);
    FUZZ_CHECK(depth == 1 || depth == 4 || depth == 8 || depth == 24);
    FUZZ_CHECK(std::uint64_t(image.GetStride()) * std::uint64_t(height) == image.GetBitsSize());
    FUZZ_CHECK(image.GetBitsSize() <= size);

    const std::string file = written(image);
    std::istringstream back(file, std::ios::binary);
    CBitmapImage copy;
    FUZZ_CHECK(copy.Read(back) == 1);
    FUZZ_CHECK(copy.GetWidth() == width && copy.GetHeight() == height && copy.GetBitCount() == depth);
    FUZZ_CHECK(sameHeader(image.GetInfoHeader(), copy.GetInfoHeader()));
    FUZZ_CHECK(copy.GetColorTableSize() == image.GetColorTableSize());
    FUZZ_CHECK(copy.GetColorCount() == image.GetColorCount());
    FUZZ_CHECK(std::memcmp(copy.GetColorTable(), image.GetColorTable(),
                           4 * std::size_t(image.GetColorTableSize())) == 0);
    FUZZ_CHECK(copy.GetBitsSize() == image.GetBitsSize());
    FUZZ_CHECK(std::memcmp(copy.GetBits(), image.GetBits(), image.GetBitsSize()) == 0);
    FUZZ_CHECK(written(copy) == file);

    const int xs[] = {1, width, (width + 1) / 2};
    const int ys[] = {1, height, (height + 1) / 2};
    for (int x : xs)
        for (int y : ys) {
            checkPixel(image, copy, x, y);
            checkInk(image, ink, x, y);
        }
    checkOutside(image, 0, 1);
    checkOutside(image, 1, 0);
    checkOutside(image, width + 1, height);
    checkOutside(image, width, height + 1);
    return 0;
}
