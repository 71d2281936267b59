// The line report (.TXT): per line its id, length, vertex count, bounding
// rectangle, start and end directions, then its vertices and an empty line.
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

void reportLine(std::string& out, const CVectorLine& line, ExportContext&)
{
    double begin = 0, end = 0;
    int beginSector = 0, endSector = 0;
    line.GetStartDirection(begin, beginSector);
    line.GetEndDirection(end, endSector);
    TextOut t(out);
    t.text("ID=").integer(line.m_nId).text(", Length=").fixed(line.m_dLength).text(", Nodes=").integer(line.m_nPoints);
    t.text(", MBR=(").fixed(line.m_dMinX).text(",").fixed(line.m_dMinY).text(",").fixed(line.m_dMaxX);
    t.text(",").fixed(line.m_dMaxY).text(")").eol();
    t.text("Direction: Begin=").fixed(begin).text(" deg (Sector ").integer(beginSector);
    t.text("); End=").fixed(end).text(" deg (Sector ").integer(endSector).text(")").eol();
    for (const VectorNode& node : line.m_nodes)
        t.fixed(node.m_dX, 2).text(",").fixed(node.m_dY, 2).eol();
    t.eol();
}

} // namespace

const VectorWriter kLineReportWriter = {".TXT", "Orvane Data", nullptr, reportLine, nullptr, {}, nullptr};

} // namespace orvane
