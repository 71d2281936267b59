// Helper of the scan tests: what the scan reader makes of a file.
//
//   scan_dump FILE   prints "W H BITS", then one "R G B" line per pixel,
//                    rows top to bottom; or the reason on stderr and exit 1
#include "image/bitmap_image.h"
#include "image/scan_info.h"
#include "raster/scan_reader.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scan_dump FILE\n");
        return 2;
    }
    orvane::CBitmapImage image;
    orvane::ScanInfo info;
    std::string why;
    if (!orvane::raster::ReadScan(argv[1], image, info, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    std::printf("%d %d %d\n", image.GetWidth(), image.GetHeight(), image.GetBitCount());
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            std::printf("%d %d %d\n", r, g, b);
        }
    return 0;
}
