// Writes the benchmarks' generated scanned drawing, or one of the small
// feature scenes, to a BMP file, for the whole-process benchmarks of
// orvane-cli; optionally the same drawing as a PBM bitmap (black where
// thinning sees ink) for other tracers, and where its strokes truly run as
// JSON (common/drawing.h describes it), for scoring traced lines.
//
//   make_drawing OUT.bmp [WIDTH HEIGHT [SEED]] [--realistic] [--bits 24|8|1] [--pbm OUT.pbm] [--truth OUT.json]
//   make_drawing OUT.bmp --scene NAME [--bits 24|8|1] [--pbm OUT.pbm] [--truth OUT.json]
//   make_drawing PREFIX --all-depths [WIDTH HEIGHT [SEED]] [--realistic] [--truth OUT.json]
//       writes PREFIX-24.bmp, PREFIX-8.bmp, PREFIX-1.bmp and PREFIX.pbm of one drawing
//   make_drawing --list-scenes
//       prints the names of the feature scenes, one a line
#include "common/drawing.h"
#include "image/bmp_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

/// Writes a binary PBM: 1 bits are black, rows padded to whole bytes.
bool writePbm(const orvane::CBitmapImage& drawing, const char* path)
{
    const orvane::CBitmapImage bitmap = orvane::bench::WithDepth(drawing, 1);
    std::ofstream out(path, std::ios::binary);
    out << "P4\n" << bitmap.GetWidth() << ' ' << bitmap.GetHeight() << '\n';
    const std::size_t bytes = (std::size_t(bitmap.GetWidth()) + 7) / 8;
    std::vector<char> row(bytes);
    for (int y = 1; y <= bitmap.GetHeight(); ++y) {
        const std::uint8_t* stored = bitmap.GetRow(y);
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = char(~stored[i]); // index 0 (black) is PBM's 1
        if (bitmap.GetWidth() % 8) // the padding bits stay white
            row[bytes - 1] = char(row[bytes - 1] & char(0xFF << (8 - bitmap.GetWidth() % 8)));
        out.write(row.data(), std::streamsize(bytes));
    }
    return bool(out);
}

bool writeText(const std::string& text, const char* path)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out.flush());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<const char*> positional;
    bool realistic = false;
    int bits = 24;
    const char* pbm = nullptr;
    const char* truthPath = nullptr;
    const char* scene = nullptr;
    bool allDepths = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--realistic") == 0)
            realistic = true;
        else if (std::strcmp(argv[i], "--all-depths") == 0)
            allDepths = true;
        else if (std::strcmp(argv[i], "--bits") == 0 && i + 1 < argc)
            bits = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--pbm") == 0 && i + 1 < argc)
            pbm = argv[++i];
        else if (std::strcmp(argv[i], "--truth") == 0 && i + 1 < argc)
            truthPath = argv[++i];
        else if (std::strcmp(argv[i], "--scene") == 0 && i + 1 < argc)
            scene = argv[++i];
        else if (std::strcmp(argv[i], "--list-scenes") == 0) {
            for (const std::string& name : orvane::bench::FeatureSceneNames())
                std::printf("%s\n", name.c_str());
            return 0;
        }
        else
            positional.push_back(argv[i]);
    }
    if ((positional.size() != 1 && positional.size() != 3 && positional.size() != 4) ||
        (bits != 24 && bits != 8 && bits != 1) || (scene && (positional.size() != 1 || allDepths || realistic))) {
        std::fprintf(stderr, "usage: make_drawing OUT.bmp [WIDTH HEIGHT [SEED]] [--realistic] [--bits 24|8|1] "
                             "[--pbm OUT.pbm] [--truth OUT.json]\n"
                             "       make_drawing OUT.bmp --scene NAME [--bits 24|8|1] [--pbm OUT.pbm] "
                             "[--truth OUT.json]\n"
                             "       make_drawing --list-scenes\n");
        return 2;
    }
    orvane::bench::DrawingTruth truth;
    orvane::CBitmapImage drawing;
    if (scene) {
        drawing = orvane::bench::MakeFeatureScene(scene, &truth);
        if (drawing.GetWidth() == 0) {
            std::fprintf(stderr, "make_drawing: no scene is called %s (--list-scenes names them)\n", scene);
            return 2;
        }
    } else {
        const int width = positional.size() >= 3 ? std::atoi(positional[1]) : 4000;
        const int height = positional.size() >= 3 ? std::atoi(positional[2]) : 3000;
        const unsigned seed = positional.size() == 4 ? unsigned(std::strtoul(positional[3], nullptr, 10)) : 1;
        drawing = orvane::bench::MakeScannedDrawing(width, height, seed,
                                                    realistic ? orvane::bench::DrawingProfile::Realistic
                                                              : orvane::bench::DrawingProfile::Light,
                                                    truthPath ? &truth : nullptr);
    }
    if (truthPath && !writeText(orvane::bench::TruthJson(truth), truthPath)) {
        std::fprintf(stderr, "make_drawing: cannot write %s\n", truthPath);
        return 1;
    }
    std::string error;
    if (allDepths) {
        const std::string prefix = positional[0];
        for (int depth : {24, 8, 1})
            if (!orvane::WriteBmpFile(depth == 24 ? drawing : orvane::bench::WithDepth(drawing, depth),
                                      prefix + "-" + std::to_string(depth) + ".bmp", &error)) {
                std::fprintf(stderr, "make_drawing: %s\n", error.c_str());
                return 1;
            }
        return writePbm(drawing, (prefix + ".pbm").c_str()) ? 0 : 1;
    }
    if (!orvane::WriteBmpFile(bits == 24 ? drawing : orvane::bench::WithDepth(drawing, bits), positional[0], &error)) {
        std::fprintf(stderr, "make_drawing: %s\n", error.c_str());
        return 1;
    }
    if (pbm && !writePbm(drawing, pbm)) {
        std::fprintf(stderr, "make_drawing: cannot write %s\n", pbm);
        return 1;
    }
    return 0;
}
