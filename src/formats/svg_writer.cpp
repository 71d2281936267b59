// SVG (.SVG): a drawing of the scan. The view box is the image, 0 0 W H, in
// which the pixel in column x, row y, counted from 0, has its centre at
// (x + 0.5, y + 0.5),
// so the drawing lies exactly over the scan. Each line is one black path of
// one pixel's width, id "line-<id>", its vertices joined by straight
// segments and closed by "Z" (last vertex not repeated) when its last vertex
// repeats its first; a line of one vertex is a round dot. Coordinates keep
// two decimals without trailing zeros. The drawing is as wide and high as
// the scan in millimetres when the pixel size is known, else in pixels; a
// map placement does not apply.
#include "formats/output_coordinates.h"
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

/// `value` with at most `decimals` decimals, trailing zeros and a trailing
/// point dropped, never "-0".
void trimmed(TextOut& t, double value, int decimals)
{
    std::string digits;
    TextOut(digits).fixed(value, decimals);
    if (digits.find('.') != std::string::npos) {
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    t.text(digits == "-0" ? "0" : digits);
}

void size(TextOut& t, const char* name, double pixels, double pixelMillimetres)
{
    t.text(" ").text(name).text("=\"");
    if (pixelMillimetres > 0) {
        trimmed(t, pixels * pixelMillimetres, 3);
        t.text("mm");
    } else {
        trimmed(t, pixels, 0);
    }
    t.text("\"");
}

void svgHeader(std::string& out, const ExportContext& context)
{
    const double mm = context.options.frame.pixelMillimetres;
    TextOut t(out);
    t.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    t.text("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"");
    size(t, "width", context.width, mm);
    size(t, "height", context.height, mm);
    t.text(" viewBox=\"0 0 ");
    trimmed(t, context.width, 0);
    t.text(" ");
    trimmed(t, context.height, 0);
    t.text("\">\n");
    t.text("<g stroke-width=\"1\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n");
}

void vertex(TextOut& t, const VectorNode& node)
{
    trimmed(t, node.m_dX + 0.5, 2);
    t.text(" ");
    trimmed(t, node.m_dY + 0.5, 2);
}

void svgLine(std::string& out, const CVectorLine& line, ExportContext&)
{
    const std::vector<VectorNode>& nodes = line.m_nodes;
    const bool closed = IsClosedLine(line);
    const std::size_t count = closed ? nodes.size() - 1 : nodes.size();
    TextOut t(out);
    t.text("<path id=\"line-").integer(line.m_nId).text("\" fill=\"none\" stroke=\"black\" d=\"M ");
    vertex(t, nodes[0]);
    // A single vertex is a segment of no length, which round caps draw as a
    // dot.
    for (std::size_t i = count == 1 ? 0 : 1; i < count; ++i) {
        t.text(" L ");
        vertex(t, nodes[i]);
    }
    if (closed)
        t.text(" Z");
    t.text("\"/>\n");
}

void svgTrailer(std::string& out, const ExportContext&) { TextOut(out).text("</g>\n</svg>\n"); }

} // namespace

const VectorWriter kSvgWriter = {".SVG", "Scalable Vector Graphics", svgHeader, svgLine, svgTrailer, {}, nullptr};

} // namespace orvane
