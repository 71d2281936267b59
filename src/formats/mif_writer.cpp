// MIF (.MIF): a non-earth coordinate system bounded by the image, one
// integer ID column, and one object per line: a point, a two-point line or
// a polyline. y is negated. The ID values go to the companion .MID file,
// one line per object in the same order, which readers need to open the
// .MIF at all.
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

constexpr const char* kPen = "    Pen (1,2,65280)\n";

void mifHeader(std::string& out, const ExportContext& context)
{
    TextOut t(out);
    t.text("VERSION 300\nCharset \"WindowsLatin1\"\n");
    t.text("Delimiter \",\"\n");
    t.text("CoordSys Nonearth Units \"m\" ");
    t.text("Bounds (").fixed(0.0).text(",").fixed(0.0).text(") (").fixed(context.width).text(",");
    t.fixed(-context.height).text(")\n");
    t.text("COLUMNS 1\n    ID integer\n");
    t.text("DATA\n\n");
}

void mifLine(std::string& out, const CVectorLine& line, ExportContext&)
{
    TextOut t(out);
    const std::vector<VectorNode>& nodes = line.m_nodes;
    if (nodes.size() == 1) {
        t.text("POINT ").fixed(nodes[0].m_dX).text(" ").fixed(-nodes[0].m_dY).eol().text(kPen);
        return;
    }
    if (nodes.size() == 2) {
        t.text("LINE ");
        for (const VectorNode& node : nodes)
            t.fixed(node.m_dX).text(" ").fixed(-node.m_dY).text("  ");
        t.eol().text(kPen);
        return;
    }
    t.text("PLINE ").integer(std::int64_t(nodes.size())).eol();
    for (const VectorNode& node : nodes)
        t.fixed(node.m_dX).text("\t ").fixed(-node.m_dY).eol();
    t.text(kPen);
}

void midLine(std::string& out, const CVectorLine& line) { TextOut(out).integer(line.m_nId).eol(); }

} // namespace

const VectorWriter kMifWriter = {".MIF", "MapInfo Interchange", mifHeader, mifLine, nullptr, ".MID", midLine};

} // namespace orvane
