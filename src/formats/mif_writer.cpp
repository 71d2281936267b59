// MIF (.MIF): a coordinate system bounded by the drawing, one integer ID
// column, and one object per line: a point, a two-point line or a polyline.
// The ID values go to the companion .MID file, one line per object in the
// same order, which readers need to open the .MIF at all.
//
// Unplaced, the system is non-earth in "m" bounded by the image and y is
// negated. Placed on a map with a known system, the file states that
// system; a placed drawing without one is non-earth in its own unit,
// bounded by the placed image corners.
#include "formats/output_coordinates.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

#include <cctype>

namespace orvane {
namespace {

constexpr const char* kPen = "    Pen (1,2,65280)\n";

bool startsWithCoordSys(std::string_view clause)
{
    constexpr std::string_view keyword = "coordsys";
    if (clause.size() < keyword.size())
        return false;
    for (std::size_t i = 0; i < keyword.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(clause[i])) != keyword[i])
            return false;
    return true;
}

const char* unitName(OutputUnit unit)
{
    switch (unit) {
    case OutputUnit::Millimetre:
        return "mm";
    case OutputUnit::Inch:
        return "in";
    case OutputUnit::Pixel:
    case OutputUnit::Map:
        break;
    }
    return "m";
}

void placedCoordSys(TextOut& t, const ExportContext& context)
{
    const OutputFrame& frame = context.options.frame;
    if (!frame.mifCoordSys.empty()) {
        // The clause as a coordinate system library gives it may lack the
        // keyword.
        if (!startsWithCoordSys(frame.mifCoordSys))
            t.text("CoordSys ");
        t.text(frame.mifCoordSys).eol();
        return;
    }
    const int decimals = CoordinateDecimals(context, 6);
    const OutputBounds b = DrawingBounds(context, UnplacedY::Negated);
    t.text("CoordSys NonEarth Units \"").text(unitName(frame.unit)).text("\" ");
    t.text("Bounds (").fixed(b.minX, decimals).text(",").fixed(b.minY, decimals).text(") (");
    t.fixed(b.maxX, decimals).text(",").fixed(b.maxY, decimals).text(")\n");
}

void mifHeader(std::string& out, const ExportContext& context)
{
    TextOut t(out);
    t.text("VERSION 300\nCharset \"WindowsLatin1\"\n");
    t.text("Delimiter \",\"\n");
    if (context.options.frame.placed) {
        placedCoordSys(t, context);
    } else {
        t.text("CoordSys Nonearth Units \"m\" ");
        t.text("Bounds (").fixed(0.0).text(",").fixed(0.0).text(") (").fixed(context.width).text(",");
        t.fixed(-context.height).text(")\n");
    }
    t.text("COLUMNS 1\n    ID integer\n");
    t.text("DATA\n\n");
}

void mifLine(std::string& out, const CVectorLine& line, ExportContext& context)
{
    TextOut t(out);
    const int decimals = CoordinateDecimals(context, 6);
    auto point = [&](const VectorNode& node, std::string_view between) {
        const auto p = OutputPoint(context, node.m_dX, node.m_dY, UnplacedY::Negated);
        t.fixed(p[0], decimals).text(between).fixed(p[1], decimals);
    };
    const std::vector<VectorNode>& nodes = line.m_nodes;
    if (nodes.size() == 1) {
        t.text("POINT ");
        point(nodes[0], " ");
        t.eol().text(kPen);
        return;
    }
    if (nodes.size() == 2) {
        t.text("LINE ");
        for (const VectorNode& node : nodes) {
            point(node, " ");
            t.text("  ");
        }
        t.eol().text(kPen);
        return;
    }
    t.text("PLINE ").integer(std::int64_t(nodes.size())).eol();
    for (const VectorNode& node : nodes) {
        point(node, "\t ");
        t.eol();
    }
    t.text(kPen);
}

void midLine(std::string& out, const CVectorLine& line) { TextOut(out).integer(line.m_nId).eol(); }

} // namespace

const VectorWriter kMifWriter = {".MIF", "MapInfo Interchange", mifHeader, mifLine, nullptr, ".MID", midLine};

} // namespace orvane
