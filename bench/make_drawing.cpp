// Writes the benchmarks' generated scanned drawing to a BMP file, for the
// whole-process benchmarks of orvane-cli.
//
//   make_drawing OUT.bmp [WIDTH HEIGHT [SEED]]
#include "common/drawing.h"
#include "image/bmp_file.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: make_drawing OUT.bmp [WIDTH HEIGHT [SEED]]\n");
        return 2;
    }
    const int width = argc >= 4 ? std::atoi(argv[2]) : 4000;
    const int height = argc >= 4 ? std::atoi(argv[3]) : 3000;
    const unsigned seed = argc == 5 ? unsigned(std::strtoul(argv[4], nullptr, 10)) : 1;
    std::string error;
    if (!orvane::WriteBmpFile(orvane::bench::MakeScannedDrawing(width, height, seed), argv[1], &error)) {
        std::fprintf(stderr, "make_drawing: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
