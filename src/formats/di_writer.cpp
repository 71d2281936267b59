// DI (.DI): per line a fixed-width header record (id in 5 characters, the
// type word POINT or LINE in 10, the id again as a number in 35, the vertex
// count in 5), then one "x y z" record per vertex with z = 0. y is kept,
// or the points are placed by the export's frame.
#include "formats/output_coordinates.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

void diLine(std::string& out, const CVectorLine& line, ExportContext& context)
{
    TextOut t(out);
    const std::size_t n = line.m_nodes.size();
    std::size_t mark = t.size();
    t.integer(line.m_nId).padFrom(mark, 5);
    mark = t.size();
    t.text(n == 1 ? "POINT" : "LINE").padFrom(mark, 10);
    mark = t.size();
    t.fixed(double(line.m_nId)).padFrom(mark, 35);
    mark = t.size();
    t.integer(std::int64_t(n)).padFrom(mark, 5).eol();
    const int decimals = CoordinateDecimals(context, 6);
    for (const VectorNode& node : line.m_nodes) {
        const auto p = OutputPoint(context, node.m_dX, node.m_dY, UnplacedY::Kept);
        t.fixed(p[0], decimals).text(" ").fixed(p[1], decimals).text(" ").fixed(0.0).eol();
    }
}

} // namespace

const VectorWriter kDiWriter = {".DI", "Genamap Type 19-Input File", nullptr, diLine, nullptr, {}, nullptr};

} // namespace orvane
