// The line report (.TXT): per line its id, length, vertex count, bounding
// rectangle, start and end directions, then its vertices and an empty line.
//
// Placed by the export's frame, the vertices are output coordinates, and the
// length and rectangle are those of the placed vertices, in the same unit.
// The directions stay the bearings on the scan.
#include "formats/output_coordinates.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

#include <algorithm>
#include <cmath>

namespace orvane {
namespace {

/// The length and bounding rectangle of a line's placed vertices.
struct PlacedShape {
    double length = 0;
    OutputBounds bounds;
};

PlacedShape placedShape(const CVectorLine& line, const ExportContext& context)
{
    PlacedShape shape;
    const auto first = OutputPoint(context, line.m_nodes[0].m_dX, line.m_nodes[0].m_dY, UnplacedY::Kept);
    shape.bounds = {first[0], first[1], first[0], first[1]};
    auto previous = first;
    for (const VectorNode& node : line.m_nodes) {
        const auto p = OutputPoint(context, node.m_dX, node.m_dY, UnplacedY::Kept);
        shape.length += std::hypot(p[0] - previous[0], p[1] - previous[1]);
        shape.bounds.minX = std::min(shape.bounds.minX, p[0]);
        shape.bounds.minY = std::min(shape.bounds.minY, p[1]);
        shape.bounds.maxX = std::max(shape.bounds.maxX, p[0]);
        shape.bounds.maxY = std::max(shape.bounds.maxY, p[1]);
        previous = p;
    }
    return shape;
}

void reportLine(std::string& out, const CVectorLine& line, ExportContext& context)
{
    double begin = 0, end = 0;
    int beginSector = 0, endSector = 0;
    line.GetStartDirection(begin, beginSector);
    line.GetEndDirection(end, endSector);
    PlacedShape shape{line.m_dLength, {line.m_dMinX, line.m_dMinY, line.m_dMaxX, line.m_dMaxY}};
    if (context.options.frame.placed)
        shape = placedShape(line, context);
    const int decimals = CoordinateDecimals(context, 6);
    const OutputBounds& mbr = shape.bounds;
    TextOut t(out);
    t.text("ID=").integer(line.m_nId).text(", Length=").fixed(shape.length, decimals).text(", Nodes=");
    t.integer(line.m_nPoints).text(", MBR=(").fixed(mbr.minX, decimals).text(",").fixed(mbr.minY, decimals);
    t.text(",").fixed(mbr.maxX, decimals).text(",").fixed(mbr.maxY, decimals).text(")").eol();
    t.text("Direction: Begin=").fixed(begin).text(" deg (Sector ").integer(beginSector);
    t.text("); End=").fixed(end).text(" deg (Sector ").integer(endSector).text(")").eol();
    const int vertexDecimals = CoordinateDecimals(context, 2);
    for (const VectorNode& node : line.m_nodes) {
        const auto p = OutputPoint(context, node.m_dX, node.m_dY, UnplacedY::Kept);
        t.fixed(p[0], vertexDecimals).text(",").fixed(p[1], vertexDecimals).eol();
    }
    t.eol();
}

} // namespace

const VectorWriter kLineReportWriter = {".TXT", "Orvane Data", nullptr, reportLine, nullptr, {}, nullptr};

} // namespace orvane
