// Helper for the BMP interoperability test: writes sample images of every
// depth with our writer, and dumps what our reader sees in a file.
//
//   bmp_tool write DIR   writes DIR/ours_<bits>_<w>x<h>.bmp
//   bmp_tool dump FILE   prints "W H" then one "R G B" line per pixel,
//                        rows top to bottom, or exits 1 when Read refuses it
#include "image/bitmap_image.h"
#include "image/bmp_file.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace orvane;

namespace {

int writeSamples(const std::filesystem::path& dir)
{
    const int depths[] = {1, 4, 8, 24};
    const int sizes[][2] = {{1, 1}, {3, 2}, {7, 5}, {9, 4}, {17, 3}, {33, 6}};
    unsigned state = 12345;
    auto next = [&] { state = state * 1103515245u + 12345u; return (state >> 16) & 0x7FFF; };
    for (int bits : depths)
        for (auto& size : sizes) {
            std::vector<RGBQUAD> table(bits <= 8 ? 1u << bits : 0);
            for (std::size_t i = 0; i < table.size(); ++i)
                table[i] = RGBQUAD{std::uint8_t(next()), std::uint8_t(next()), std::uint8_t(next()), 0};
            CBitmapImage image;
            if (!image.Create(size[0], size[1], bits, table))
                return 1;
            for (int y = 1; y <= size[1]; ++y)
                for (int x = 1; x <= size[0]; ++x) {
                    if (bits == 24) {
                        image.SetPixelColor(x, y, std::uint8_t(next()), std::uint8_t(next()), std::uint8_t(next()));
                        continue;
                    }
                    // Distinct table colours are not guaranteed; write the index directly
                    // through the first entry of its colour, which is what a reader decodes.
                    const RGBQUAD& c = table[next() % table.size()];
                    image.SetPixelColor(x, y, c.rgbRed, c.rgbGreen, c.rgbBlue);
                }
            const std::string name =
                "ours_" + std::to_string(bits) + "_" + std::to_string(size[0]) + "x" + std::to_string(size[1]) + ".bmp";
            if (!WriteBmpFile(image, dir / name))
                return 1;
        }
    return 0;
}

int dump(const std::filesystem::path& file)
{
    CBitmapImage image;
    if (!ReadBmpFile(image, file))
        return 1;
    std::printf("%d %d\n", image.GetWidth(), image.GetHeight());
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r, g, b;
            if (!image.GetPixelColor(x, y, r, g, b))
                return 1;
            std::printf("%d %d %d\n", r, g, b);
        }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bmp_tool write DIR | dump FILE\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "write")
        return writeSamples(argv[2]);
    if (command == "dump")
        return dump(argv[2]);
    std::fprintf(stderr, "bmp_tool: unknown command %s\n", argv[1]);
    return 2;
}
