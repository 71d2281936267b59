// BMP files on disk.
#include "image/bmp_file.h"

#include "image/bitmap_image.h"
#include "files/atomic_file.h"

#include <fstream>

namespace orvane {

int ReadBmpFile(CBitmapImage& image, const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        image = CBitmapImage();
        return 0;
    }
    return image.Read(in);
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
