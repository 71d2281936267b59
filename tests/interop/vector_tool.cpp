// Helper for the vector-file interoperability tests: writes a fixed set of
// lines in the format the output name's extension selects and prints the
// lines it wrote, one per text line: "id x1 y1 x2 y2 ..." in traced pixels.
//
//   vector_tool [--dxf classic|r12|r2000] [--scale MM] OUT.ext
//
// --dxf picks the DXF written for .dxf. --scale places the drawing at MM
// millimetres per pixel with y up from the image's bottom edge, so pixel
// (x, y) lands at (MM x, MM (80 - y)), and gives SVG that pixel size.
#include "formats/export_driver.h"
#include "port/port.h"
#include "vector/line_store.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace orvane;

namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 80;

int usage()
{
    std::fprintf(stderr, "usage: vector_tool [--dxf classic|r12|r2000] [--scale MM] OUT.ext\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    ExportOptions options;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dxf" && i + 1 < argc) {
            const std::string profile = argv[++i];
            if (profile == "r12")
                options.dxf = DxfProfile::R12;
            else if (profile == "r2000")
                options.dxf = DxfProfile::R2000;
            else if (profile != "classic")
                return usage();
        } else if (arg == "--scale" && i + 1 < argc) {
            const double mm = std::strtod(argv[++i], nullptr);
            if (!(mm > 0))
                return usage();
            options.frame.placed = true;
            options.frame.transform = {0, mm, 0, mm * kHeight, 0, -mm};
            options.frame.unit = OutputUnit::Millimetre;
            options.frame.pixelMillimetres = mm;
        } else if (!out && !arg.starts_with("--")) {
            out = argv[i];
        } else {
            return usage();
        }
    }
    if (!out)
        return usage();

    CLineStore store;
    auto add = [&](int id, std::initializer_list<std::pair<double, double>> vertices) {
        PointList points;
        for (auto [x, y] : vertices)
            points.append(x, y);
        store.AddLineWithId(id, points);
    };
    add(1, {{10, 0}, {10, 50}, {60, 50}, {60, 0}});
    add(2, {{0.5, 1.25}, {99.75, 80.5}});
    add(3, {});
    add(5, {{7, 9}});
    add(17, {{30, 30}, {31, 31}, {32, 31}, {40, 35}, {41, 70}, {5, 79}});
    // A spiral of many vertices with fractional coordinates.
    PointList spiral;
    for (int i = 0; i < 200; ++i)
        spiral.append(50 + 0.2 * i * std::cos(i * 0.1), 40 + 0.2 * i * std::sin(i * 0.1));
    store.AddLineWithId(250, spiral);
    // A closed loop: its last vertex repeats its first.
    add(300, {{70, 60}, {90, 60}, {90, 75}, {70, 75}, {70, 60}});

    SilentPort port;
    if (!ExportVectorFile(store, kWidth, kHeight, out, port, options))
        return 1;
    for (const auto& line : store.lines()) {
        if (line->m_nodes.empty())
            continue;
        std::printf("%d", line->m_nId);
        for (const VectorNode& n : line->m_nodes)
            std::printf(" %.17g %.17g", n.m_dX, n.m_dY);
        std::printf("\n");
    }
    return 0;
}
