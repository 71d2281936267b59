// The BMP reader on any bytes. Whatever it accepts must be an image it can
// write and read back unchanged (same header, colour table and pixel bytes,
// and the same file the second time), whose pixels can be read at the
// corners and in the middle, and which refuses pixels outside it.
#include "image/bitmap_image.h"

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

void checkOutside(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 0, g = 0, b = 0;
    FUZZ_CHECK(image.GetPixelColor(x, y, r, g, b) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    CBitmapImage image;
    if (!image.Read(in)) {
        FUZZ_CHECK(image.IsEmpty());
        return 0;
    }
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
        for (int y : ys)
            checkPixel(image, copy, x, y);
    checkOutside(image, 0, 1);
    checkOutside(image, 1, 0);
    checkOutside(image, width + 1, height);
    checkOutside(image, width, height + 1);
    return 0;
}
