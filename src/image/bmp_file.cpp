// BMP files on disk.
#include "image/bmp_file.h"

#include "image/bitmap_image.h"
#include "files/atomic_file.h"

#include <cstdint>
#include <fstream>

namespace orvane {

namespace {

/// Opens the file and reads it with `read` (a reading member of the image);
/// a file that cannot be opened leaves the image empty.
int readFile(CBitmapImage& image, const std::filesystem::path& path, int (CBitmapImage::*read)(std::istream&))
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        image = CBitmapImage();
        return 0;
    }
    return (image.*read)(in);
}

} // namespace

int ReadBmpFile(CBitmapImage& image, const std::filesystem::path& path)
{
    return readFile(image, path, &CBitmapImage::Read);
}

int ReadBmpFileAsInk(CBitmapImage& image, const std::filesystem::path& path)
{
    return readFile(image, path, &CBitmapImage::ReadInk);
}

bool ReadBmpSize(const std::filesystem::path& path, int& width, int& height, int& bitsPerPixel)
{
    std::ifstream in(path, std::ios::binary);
    std::uint8_t headers[54];
    if (!in.read(reinterpret_cast<char*>(headers), sizeof headers) || headers[0] != 'B' || headers[1] != 'M')
        return false;
    auto le32 = [&](int at) {
        return std::int32_t(std::uint32_t(headers[at]) | std::uint32_t(headers[at + 1]) << 8 |
                            std::uint32_t(headers[at + 2]) << 16 | std::uint32_t(headers[at + 3]) << 24);
    };
    width = le32(18);
    height = le32(22);
    bitsPerPixel = headers[28] | headers[29] << 8;
    if (bitsPerPixel == 32)
        bitsPerPixel = 24; // read as 24-bit
    if (height < 0 && height != INT32_MIN)
        height = -height;
    return width > 0 && height > 0;
}

int WriteBmpFile(const CBitmapImage& image, const std::filesystem::path& path, std::string* error)
{
    if (image.IsEmpty()) {
        if (error)
            *error = "there is no image to write";
        return 0;
    }
    bool ok = WriteFileAtomically(path, [&](std::ostream& out) { return image.Write(out) == 1; }, error);
    return ok ? 1 : 0;
}

} // namespace orvane
