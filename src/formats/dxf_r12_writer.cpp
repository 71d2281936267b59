// DXF R12 (.DXF with DxfProfile::R12): a minimal but complete R12 (AC1009)
// ASCII file for old machine and cutting software. The header states the
// extents, limits and, when known, the units; the tables hold what R12
// readers look up (the active viewport, line type CONTINUOUS, layer 0, text
// style STANDARD, application ACAD, dimension style STANDARD); there are no
// blocks. Each line is a POLYLINE with its VERTEX entities and a SEQEND on
// layer 0, closed (flag 1, last vertex not repeated) when its last vertex
// repeats its first; a line of one vertex is a POINT. Unplaced, y is negated
// as in the classic file.
#include "formats/dxf_common.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

void header(DxfOut& dxf, const ExportContext& context)
{
    const OutputBounds b = DrawingBounds(context, UnplacedY::Negated);
    const int decimals = DxfDecimals(context);
    dxf.text(0, "SECTION").text(2, "HEADER");
    dxf.variable("$ACADVER").text(1, "AC1009");
    dxf.variable("$INSBASE").point3(10, 0, 0, 0, 1);
    dxf.variable("$EXTMIN").point3(10, b.minX, b.minY, 0, decimals);
    dxf.variable("$EXTMAX").point3(10, b.maxX, b.maxY, 0, decimals);
    dxf.variable("$LIMMIN").point(10, b.minX, b.minY, decimals);
    dxf.variable("$LIMMAX").point(10, b.maxX, b.maxY, decimals);
    if (const auto units = DrawingUnits(context.options.frame))
        WriteUnitVariables(dxf, *units);
    dxf.text(0, "ENDSEC");
}

void beginTable(DxfOut& dxf, std::string_view name, int entries)
{
    dxf.text(0, "TABLE").text(2, name).integer(70, entries);
}

void viewport(DxfOut& dxf, const ExportContext& context)
{
    const DxfView view = ViewOf(DrawingBounds(context, UnplacedY::Negated));
    const int decimals = DxfDecimals(context);
    beginTable(dxf, "VPORT", 1);
    dxf.text(0, "VPORT").text(2, "*ACTIVE").integer(70, 0);
    dxf.point(10, 0, 0, 1).point(11, 1, 1, 1);
    dxf.point(12, view.centreX, view.centreY, decimals);
    dxf.point(13, 0, 0, 1).point(14, 1, 1, 1).point(15, 1, 1, 1);
    dxf.point3(16, 0, 0, 1, 1).point3(17, 0, 0, 0, 1);
    dxf.real(40, view.height * 1.05, decimals).real(41, view.aspect, 6).real(42, 50, 1);
    dxf.real(43, 0, 1).real(44, 0, 1).real(50, 0, 1).real(51, 0, 1);
    dxf.integer(71, 0).integer(72, 100).integer(73, 1).integer(74, 3);
    dxf.integer(75, 0).integer(76, 0).integer(77, 0).integer(78, 0);
    dxf.text(0, "ENDTAB");
}

void tables(DxfOut& dxf, const ExportContext& context)
{
    dxf.text(0, "SECTION").text(2, "TABLES");
    viewport(dxf, context);
    beginTable(dxf, "LTYPE", 1);
    dxf.text(0, "LTYPE").text(2, "CONTINUOUS").integer(70, 0).text(3, "Solid line");
    dxf.integer(72, 65).integer(73, 0).real(40, 0, 1);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "LAYER", 1);
    dxf.text(0, "LAYER").text(2, "0").integer(70, 0).integer(62, 7).text(6, "CONTINUOUS");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "STYLE", 1);
    dxf.text(0, "STYLE").text(2, "STANDARD").integer(70, 0).real(40, 0, 1).real(41, 1, 1).real(50, 0, 1);
    dxf.integer(71, 0).real(42, 2.5, 1).text(3, "txt").text(4, "");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "VIEW", 0);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "UCS", 0);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "APPID", 1);
    dxf.text(0, "APPID").text(2, "ACAD").integer(70, 0);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "DIMSTYLE", 1);
    dxf.text(0, "DIMSTYLE").text(2, "STANDARD").integer(70, 0);
    dxf.text(0, "ENDTAB");
    dxf.text(0, "ENDSEC");
}

void r12Header(std::string& out, const ExportContext& context)
{
    DxfOut dxf(out);
    header(dxf, context);
    tables(dxf, context);
    dxf.text(0, "SECTION").text(2, "BLOCKS").text(0, "ENDSEC");
    dxf.text(0, "SECTION").text(2, "ENTITIES");
}

void r12Line(std::string& out, const CVectorLine& line, ExportContext& context)
{
    DxfOut dxf(out);
    const int decimals = DxfDecimals(context);
    const std::vector<VectorNode>& nodes = line.m_nodes;
    if (nodes.size() == 1) {
        const auto p = DxfPoint(context, nodes[0].m_dX, nodes[0].m_dY);
        dxf.text(0, "POINT").text(8, "0").point3(10, p[0], p[1], 0, decimals);
        return;
    }
    const bool closed = IsClosedLine(line);
    dxf.text(0, "POLYLINE").text(8, "0").integer(66, 1).point3(10, 0, 0, 0, 1).integer(70, closed ? 1 : 0);
    const std::size_t count = closed ? nodes.size() - 1 : nodes.size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto p = DxfPoint(context, nodes[i].m_dX, nodes[i].m_dY);
        dxf.text(0, "VERTEX").text(8, "0").point3(10, p[0], p[1], 0, decimals);
    }
    dxf.text(0, "SEQEND").text(8, "0");
}

void r12Trailer(std::string& out, const ExportContext&) { DxfOut(out).text(0, "ENDSEC").text(0, "EOF"); }

} // namespace

const VectorWriter kDxfR12Writer = {".DXF", "DXF R12", r12Header, r12Line, r12Trailer, {}, nullptr};

} // namespace orvane
