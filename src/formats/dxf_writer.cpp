// DXF (.DXF), ASCII form: a header whose extents and limits are the image,
// one line type and one layer, no blocks, and one POLYLINE per line. The
// image's top-left corner is the drawing origin: y is negated, z is 0.
// Placed by the export's frame, the points and the image's corners are
// output coordinates, and a drawing in known units states them.
#include "formats/dxf_common.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

/// A "$NAME" variable with a 10/20 point.
void pointVariable(TextOut& t, const char* name, double x, double y, int decimals)
{
    t.text("9\n").text(name).text("\n10\n").fixed(x, decimals).text("\n20\n").fixed(y, decimals).eol();
}

void dxfHeader(std::string& out, const ExportContext& context)
{
    TextOut t(out);
    const OutputBounds b = DrawingBounds(context, UnplacedY::Negated);
    const int decimals = DxfDecimals(context);
    t.text("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1003\n");
    t.text("9\n$INSBASE\n10\n0.0\n20\n0.0\n30\n0.0\n");
    pointVariable(t, "$EXTMIN", b.minX, b.minY, decimals);
    pointVariable(t, "$EXTMAX", b.maxX, b.maxY, decimals);
    pointVariable(t, "$LIMMIN", b.minX, b.minY, decimals);
    pointVariable(t, "$LIMMAX", b.maxX, b.maxY, decimals);
    t.text("9\n$LTSCALE\n40\n1.0\n");
    t.text("9\n$CLAYER\n8\n0\n");
    t.text("9\n$LUNITS\n70\n2\n9\n$LUPREC\n70\n3\n");
    t.text("9\n$LIMCHECK\n70\n0\n");
    t.text("9\n$UCSNAME\n2\n\n");
    t.text("9\n$UCSORG\n10\n0.0\n20\n0.0\n30\n0.0\n");
    t.text("9\n$UCSXDIR\n10\n1.0\n20\n0.0\n30\n0.0\n");
    t.text("9\n$UCSYDIR\n10\n0.0\n20\n1.0\n30\n0.0\n");
    t.text("9\n$WORLDVIEW\n70\n1\n");
    t.text("9\n$UNITMODE\n70\n0\n");
    if (const auto units = DrawingUnits(context.options.frame)) {
        DxfOut dxf(out);
        WriteUnitVariables(dxf, *units);
    }
    t.text("0\nENDSEC\n");

    t.text("0\nSECTION\n2\nTABLES\n");
    t.text("0\nTABLE\n2\nLTYPE\n70\n1\n");
    t.text("0\nLTYPE\n2\nCONTINUOUS\n70\n64\n3\nSolid line\n72\n65\n73\n0\n40\n0.000\n");
    t.text("0\nENDTAB\n");
    t.text("0\nTABLE\n2\nLAYER\n70\n1\n");
    t.text("0\nLAYER\n2\n0\n70\n64\n62\n7\n6\nCONTINUOUS\n");
    t.text("0\nENDTAB\n");
    t.text("0\nENDSEC\n");

    t.text("0\nSECTION\n2\nBLOCKS\n");
    t.text("0\nENDSEC\n");
    t.text("0\nSECTION\n2\nENTITIES\n");
}

void dxfLine(std::string& out, const CVectorLine& line, ExportContext& context)
{
    TextOut t(out);
    const int decimals = DxfDecimals(context);
    t.text("0\nPOLYLINE\n8\n0\n6\nCONTINUOUS\n66\n1\n10\n0.0\n20\n0.0\n30\n0\n");
    for (const VectorNode& node : line.m_nodes) {
        const auto p = DxfPoint(context, node.m_dX, node.m_dY);
        t.text("0\nVERTEX\n8\n0\n10\n").fixed(p[0], decimals).text("\n20\n").fixed(p[1], decimals);
        t.text("\n30\n0\n");
    }
    t.text("0\nSEQEND\n");
}

void dxfTrailer(std::string& out, const ExportContext&) { TextOut(out).text("0\nENDSEC\n0\nEOF"); }

} // namespace

const VectorWriter kDxfWriter = {".DXF", "AutoCAD DXF", dxfHeader, dxfLine, dxfTrailer, {}, nullptr};

} // namespace orvane
