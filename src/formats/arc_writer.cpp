// ARC (.ARC): per line its id, its vertices as "x,y" with two decimals and
// "END"; the file closes with one more "END" and no line end.
//
// ARC is the program's own file, read back over the scan it was traced
// from, so its vertices are always the traced pixel coordinates: the
// export's frame never places them.
#include "formats/text_out.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

void arcLine(std::string& out, const CVectorLine& line, ExportContext&)
{
    TextOut t(out);
    t.integer(line.m_nId).eol();
    for (const VectorNode& node : line.m_nodes)
        t.fixed(node.m_dX, 2).text(",").fixed(node.m_dY, 2).eol();
    t.text("END").eol();
}

void arcTrailer(std::string& out, const ExportContext&) { out += "END"; }

} // namespace

const VectorWriter kArcWriter = {".ARC", "R2U ARC File", nullptr, arcLine, arcTrailer, {}, nullptr};

} // namespace orvane
