// DXF R2000 (.DXF with DxfProfile::R2000): a complete R2000 (AC1015) ASCII
// file, no larger than full readers accept. Every object has a handle and
// names its owner; the header gives the extents, limits, units ($INSUNITS
// 0 when unknown) and $HANDSEED; the tables hold the active viewport, the
// line types ByBlock, ByLayer and Continuous, layer 0, text style and
// dimension style Standard, application ACAD and the block records of model
// and paper space, whose blocks are the whole BLOCKS section; the objects
// are the root dictionary with the group dictionary and the layout
// dictionary of the Model and Layout1 layouts.
//
// Each line is one LWPOLYLINE in model space on layer 0, closed (flag 1,
// last vertex not repeated) when its last vertex repeats its first; a line
// of one vertex is a POINT. Unplaced, y is negated as in the classic file.
#include "formats/dxf_common.h"
#include "formats/vector_writer.h"
#include "vector/line_store.h"

namespace orvane {
namespace {

// The fixed handles. Lines take kFirstLine onwards, one each in store order
// (lines without vertices keep theirs unused), so $HANDSEED is known before
// the first line is written.
enum Handle : std::uint64_t {
    kVportTable = 1,
    kLtypeTable,
    kLayerTable,
    kStyleTable,
    kViewTable,
    kUcsTable,
    kAppidTable,
    kDimstyleTable,
    kBlockRecordTable,
    kRootDictionary,
    kGroupDictionary,
    kLayoutDictionary,
    kActiveViewport,
    kByBlock,
    kByLayer,
    kContinuous,
    kLayer0,
    kStandardStyle,
    kAcadApp,
    kStandardDimstyle,
    kModelRecord,
    kPaperRecord,
    kModelBlock,
    kModelBlockEnd,
    kPaperBlock,
    kPaperBlockEnd,
    kModelLayout,
    kPaperLayout,
    kFirstLine = 0x30,
};

void header(DxfOut& dxf, const ExportContext& context)
{
    const OutputBounds b = DrawingBounds(context, UnplacedY::Negated);
    const int decimals = DxfDecimals(context);
    dxf.text(0, "SECTION").text(2, "HEADER");
    dxf.variable("$ACADVER").text(1, "AC1015");
    dxf.variable("$DWGCODEPAGE").text(3, "ANSI_1252");
    dxf.variable("$INSBASE").point3(10, 0, 0, 0, 1);
    dxf.variable("$EXTMIN").point3(10, b.minX, b.minY, 0, decimals);
    dxf.variable("$EXTMAX").point3(10, b.maxX, b.maxY, 0, decimals);
    dxf.variable("$LIMMIN").point(10, b.minX, b.minY, decimals);
    dxf.variable("$LIMMAX").point(10, b.maxX, b.maxY, decimals);
    if (const auto units = DrawingUnits(context.options.frame))
        WriteUnitVariables(dxf, *units);
    else
        dxf.variable("$INSUNITS").integer(70, 0);
    dxf.variable("$HANDSEED").handle(5, kFirstLine + std::uint64_t(context.lineCount));
    dxf.text(0, "ENDSEC");
}

void beginTable(DxfOut& dxf, std::string_view name, Handle handle, int entries)
{
    dxf.text(0, "TABLE").text(2, name).handle(5, handle).handle(330, 0);
    dxf.text(100, "AcDbSymbolTable").integer(70, entries);
}

/// A table record's common part, up to its name and flags.
void record(DxfOut& dxf, std::string_view type, Handle handle, Handle table, std::string_view subclass,
            std::string_view name)
{
    dxf.text(0, type).handle(type == "DIMSTYLE" ? 105 : 5, handle).handle(330, table);
    dxf.text(100, "AcDbSymbolTableRecord").text(100, subclass).text(2, name).integer(70, 0);
}

void viewport(DxfOut& dxf, const ExportContext& context)
{
    const DxfView view = ViewOf(DrawingBounds(context, UnplacedY::Negated));
    const int decimals = DxfDecimals(context);
    beginTable(dxf, "VPORT", kVportTable, 1);
    record(dxf, "VPORT", kActiveViewport, kVportTable, "AcDbViewportTableRecord", "*Active");
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

void lineType(DxfOut& dxf, Handle handle, std::string_view name, std::string_view description)
{
    record(dxf, "LTYPE", handle, kLtypeTable, "AcDbLinetypeTableRecord", name);
    dxf.text(3, description).integer(72, 65).integer(73, 0).real(40, 0, 1);
}

void tables(DxfOut& dxf, const ExportContext& context)
{
    dxf.text(0, "SECTION").text(2, "TABLES");
    viewport(dxf, context);
    beginTable(dxf, "LTYPE", kLtypeTable, 3);
    lineType(dxf, kByBlock, "ByBlock", "");
    lineType(dxf, kByLayer, "ByLayer", "");
    lineType(dxf, kContinuous, "Continuous", "Solid line");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "LAYER", kLayerTable, 1);
    record(dxf, "LAYER", kLayer0, kLayerTable, "AcDbLayerTableRecord", "0");
    dxf.integer(62, 7).text(6, "Continuous").integer(370, -3);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "STYLE", kStyleTable, 1);
    record(dxf, "STYLE", kStandardStyle, kStyleTable, "AcDbTextStyleTableRecord", "Standard");
    dxf.real(40, 0, 1).real(41, 1, 1).real(50, 0, 1).integer(71, 0).real(42, 2.5, 1).text(3, "txt").text(4, "");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "VIEW", kViewTable, 0);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "UCS", kUcsTable, 0);
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "APPID", kAppidTable, 1);
    record(dxf, "APPID", kAcadApp, kAppidTable, "AcDbRegAppTableRecord", "ACAD");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "DIMSTYLE", kDimstyleTable, 1);
    dxf.text(100, "AcDbDimStyleTable");
    record(dxf, "DIMSTYLE", kStandardDimstyle, kDimstyleTable, "AcDbDimStyleTableRecord", "Standard");
    dxf.text(0, "ENDTAB");
    beginTable(dxf, "BLOCK_RECORD", kBlockRecordTable, 2);
    dxf.text(0, "BLOCK_RECORD").handle(5, kModelRecord).handle(330, kBlockRecordTable);
    dxf.text(100, "AcDbSymbolTableRecord").text(100, "AcDbBlockTableRecord").text(2, "*Model_Space");
    dxf.handle(340, kModelLayout);
    dxf.text(0, "BLOCK_RECORD").handle(5, kPaperRecord).handle(330, kBlockRecordTable);
    dxf.text(100, "AcDbSymbolTableRecord").text(100, "AcDbBlockTableRecord").text(2, "*Paper_Space");
    dxf.handle(340, kPaperLayout);
    dxf.text(0, "ENDTAB");
    dxf.text(0, "ENDSEC");
}

void block(DxfOut& dxf, std::string_view name, Handle begin, Handle end, Handle owner)
{
    dxf.text(0, "BLOCK").handle(5, begin).handle(330, owner).text(100, "AcDbEntity").text(8, "0");
    dxf.text(100, "AcDbBlockBegin").text(2, name).integer(70, 0).point3(10, 0, 0, 0, 1).text(3, name).text(1, "");
    dxf.text(0, "ENDBLK").handle(5, end).handle(330, owner).text(100, "AcDbEntity").text(8, "0");
    dxf.text(100, "AcDbBlockEnd");
}

void r2000Header(std::string& out, const ExportContext& context)
{
    DxfOut dxf(out);
    header(dxf, context);
    dxf.text(0, "SECTION").text(2, "CLASSES").text(0, "ENDSEC");
    tables(dxf, context);
    dxf.text(0, "SECTION").text(2, "BLOCKS");
    block(dxf, "*Model_Space", kModelBlock, kModelBlockEnd, kModelRecord);
    block(dxf, "*Paper_Space", kPaperBlock, kPaperBlockEnd, kPaperRecord);
    dxf.text(0, "ENDSEC");
    dxf.text(0, "SECTION").text(2, "ENTITIES");
}

void r2000Line(std::string& out, const CVectorLine& line, ExportContext& context)
{
    DxfOut dxf(out);
    const int decimals = DxfDecimals(context);
    const std::vector<VectorNode>& nodes = line.m_nodes;
    const std::uint64_t handle = kFirstLine + std::uint64_t(context.linesWritten);
    if (nodes.size() == 1) {
        const auto p = DxfPoint(context, nodes[0].m_dX, nodes[0].m_dY);
        dxf.text(0, "POINT").handle(5, handle).handle(330, kModelRecord).text(100, "AcDbEntity").text(8, "0");
        dxf.text(100, "AcDbPoint").point3(10, p[0], p[1], 0, decimals);
        return;
    }
    const bool closed = IsClosedLine(line);
    const std::size_t count = closed ? nodes.size() - 1 : nodes.size();
    dxf.text(0, "LWPOLYLINE").handle(5, handle).handle(330, kModelRecord).text(100, "AcDbEntity").text(8, "0");
    dxf.text(100, "AcDbPolyline").integer(90, std::int64_t(count)).integer(70, closed ? 1 : 0);
    for (std::size_t i = 0; i < count; ++i) {
        const auto p = DxfPoint(context, nodes[i].m_dX, nodes[i].m_dY);
        dxf.point(10, p[0], p[1], decimals);
    }
}

/// A layout of an A3 sheet in millimetres, printed on no device.
void layout(DxfOut& dxf, Handle handle, std::string_view name, int tab, Handle blockRecord)
{
    dxf.text(0, "LAYOUT").handle(5, handle).handle(330, kLayoutDictionary);
    dxf.text(100, "AcDbPlotSettings").text(1, "").text(2, "none_device").text(4, "").text(6, "");
    dxf.real(40, 0, 1).real(41, 0, 1).real(42, 0, 1).real(43, 0, 1).real(44, 420, 1).real(45, 297, 1);
    dxf.real(46, 0, 1).real(47, 0, 1).real(48, 0, 1).real(49, 0, 1).real(140, 0, 1).real(141, 0, 1);
    dxf.real(142, 1, 1).real(143, 1, 1).integer(70, tab == 0 ? 1024 : 0).integer(72, 1).integer(73, 0);
    dxf.integer(74, 5).text(7, "").integer(75, 16).real(147, 1, 1).real(148, 0, 1).real(149, 0, 1);
    dxf.text(100, "AcDbLayout").text(1, name).integer(70, 1).integer(71, tab);
    dxf.point(10, 0, 0, 1).point(11, 420, 297, 1).point3(12, 0, 0, 0, 1);
    dxf.point3(14, 0, 0, 0, 1).point3(15, 0, 0, 0, 1).real(146, 0, 1);
    dxf.point3(13, 0, 0, 0, 1).point3(16, 1, 0, 0, 1).point3(17, 0, 1, 0, 1).integer(76, 1);
    dxf.handle(330, blockRecord);
}

void objects(DxfOut& dxf)
{
    dxf.text(0, "SECTION").text(2, "OBJECTS");
    dxf.text(0, "DICTIONARY").handle(5, kRootDictionary).handle(330, 0).text(100, "AcDbDictionary").integer(281, 1);
    dxf.text(3, "ACAD_GROUP").handle(350, kGroupDictionary);
    dxf.text(3, "ACAD_LAYOUT").handle(350, kLayoutDictionary);
    dxf.text(0, "DICTIONARY").handle(5, kGroupDictionary).handle(330, kRootDictionary);
    dxf.text(100, "AcDbDictionary").integer(281, 1);
    dxf.text(0, "DICTIONARY").handle(5, kLayoutDictionary).handle(330, kRootDictionary);
    dxf.text(100, "AcDbDictionary").integer(281, 1);
    dxf.text(3, "Model").handle(350, kModelLayout).text(3, "Layout1").handle(350, kPaperLayout);
    layout(dxf, kModelLayout, "Model", 0, kModelRecord);
    layout(dxf, kPaperLayout, "Layout1", 1, kPaperRecord);
    dxf.text(0, "ENDSEC");
}

void r2000Trailer(std::string& out, const ExportContext&)
{
    DxfOut dxf(out);
    dxf.text(0, "ENDSEC");
    objects(dxf);
    dxf.text(0, "EOF");
}

} // namespace

const VectorWriter kDxfR2000Writer = {".DXF", "DXF R2000", r2000Header, r2000Line, r2000Trailer, {}, nullptr};

} // namespace orvane
