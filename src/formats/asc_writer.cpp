// ASCII X,Y,Z (.ASC): one record per vertex: a running vertex number over
// the whole file, x, y, z = 0 and the id of the vertex's line. y is kept,
// or the points are placed by the export's frame.
#include "formats/output_coordinates.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

void ascLine(std::string& out, const CVectorLine& line, ExportContext& context)
{
    TextOut t(out);
    const int decimals = CoordinateDecimals(context, 6);
    for (const VectorNode& node : line.m_nodes) {
        const auto p = OutputPoint(context, node.m_dX, node.m_dY, UnplacedY::Kept);
        t.integer(context.nextPoint++).text(",").fixed(p[0], decimals).text(",").fixed(p[1], decimals).text(",");
        t.fixed(0.0).text(",").integer(line.m_nId).eol();
    }
}

} // namespace

const VectorWriter kAscWriter = {".ASC", "ASCII X,Y,Z Format", nullptr, ascLine, nullptr, {}, nullptr};

} // namespace orvane
