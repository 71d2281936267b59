// Helper for the vector-file interoperability test: writes a fixed set of
// lines in the format the output name's extension selects and prints the
// lines it wrote, one per text line: "id x1 y1 x2 y2 ...".
//
//   vector_tool OUT.ext
#include "formats/export_driver.h"
#include "port/port.h"
#include "vector/line_store.h"

#include <cmath>
#include <cstdio>

using namespace orvane;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vector_tool OUT.ext\n");
        return 2;
    }
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

    SilentPort port;
    if (!ExportVectorFile(store, 100, 80, argv[1], port))
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
