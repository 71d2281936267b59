// Exports with options: default options keep every file as it was, and a
// placed frame moves the points, extents and bounds of every format but
// ARC, with the units and coordinate system stated.
#include "formats/export_driver.h"

#include "format_test_support.h"
#include "formats/dxf_common.h"

namespace orvane {
namespace {

using test::addLine;
using test::crlf;

class ExportOptionsTest : public test::ScratchDir {
protected:
    void SetUp() override
    {
        ScratchDir::SetUp();
        addLine(store, 3, {{0, 0}, {0, 10}, {10, 10}});
        addLine(store, 4, {{5, 10}});
    }
    std::string exported(const std::string& name, const ExportOptions& options, int width = 640, int height = 480)
    {
        RecordingPort port;
        EXPECT_EQ(ExportVectorFile(store, width, height, dir / name, port, options), 1) << name;
        EXPECT_TRUE(port.messages().empty());
        return test::slurp(dir / name);
    }
    /// One tenth of a millimetre per pixel, Y up from the image's bottom edge.
    static ExportOptions scaled(OutputUnit unit = OutputUnit::Millimetre)
    {
        ExportOptions options;
        options.frame.placed = true;
        options.frame.transform = {0, 0.1, 0, 48, 0, -0.1};
        options.frame.unit = unit;
        options.frame.pixelMillimetres = 0.1;
        return options;
    }
    /// Two metres per pixel on a projected map.
    static ExportOptions map()
    {
        ExportOptions options;
        options.frame.placed = true;
        options.frame.transform = {500000, 2, 0, 4000000, 0, -2};
        options.frame.unit = OutputUnit::Map;
        options.frame.crsWkt = kUtmWkt;
        options.frame.mifCoordSys = "CoordSys Earth Projection 8, 104, \"m\", 9, 0, 0.9996, 500000, 0";
        return options;
    }
    static constexpr const char* kUtmWkt =
        "PROJCS[\"WGS 84 / UTM zone 33N\",GEOGCS[\"WGS 84\","
        "DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
        "UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],UNIT[\"metre\",1],"
        "AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH]]";
    CLineStore store;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ExportOptionsTest, DefaultOptionsAndAnUnplacedFrameWriteTheLongStandingFiles)
{
    ExportOptions unplaced;
    unplaced.frame.unit = OutputUnit::Millimetre; // ignored until placed
    unplaced.frame.pixelMillimetres = 0.25;
    unplaced.frame.mifCoordSys = "CoordSys Earth Projection 1, 104";
    for (const char* name : {"a.txt", "a.arc", "a.dxf", "a.mif", "a.di", "a.asc"}) {
        RecordingPort port;
        ASSERT_EQ(ExportVectorFile(store, 640, 480, dir / name, port), 1);
        const std::string before = test::slurp(dir / name);
        const std::string mid = test::slurp(dir / "a.mid");
        EXPECT_EQ(exported(name, ExportOptions{}), before) << name;
        EXPECT_EQ(exported(name, unplaced), before) << name;
        EXPECT_EQ(test::slurp(dir / "a.mid"), mid);
    }
}

TEST_F(ExportOptionsTest, ScaledDrawingPlacesEveryFormatButArc)
{
    const ExportOptions options = scaled();
    EXPECT_EQ(exported("s.txt", options),
              crlf("ID=3, Length=2.000000, Nodes=3, MBR=(0.000000,47.000000,1.000000,48.000000)\n"
                   "Direction: Begin=180.000000 deg (Sector 5); End=90.000000 deg (Sector 3)\n"
                   "0.000,48.000\n0.000,47.000\n1.000,47.000\n\n"
                   "ID=4, Length=0.000000, Nodes=1, MBR=(0.500000,47.000000,0.500000,47.000000)\n"
                   "Direction: Begin=90.000000 deg (Sector 3); End=90.000000 deg (Sector 3)\n"
                   "0.500,47.000\n\n"));
    EXPECT_EQ(exported("s.asc", options),
              crlf("1,0.000000,48.000000,0.000000,3\n2,0.000000,47.000000,0.000000,3\n"
                   "3,1.000000,47.000000,0.000000,3\n4,0.500000,47.000000,0.000000,4\n"));
    EXPECT_TRUE(contains(exported("s.di", options), crlf("0.500000 47.000000 0.000000\n")));
    EXPECT_EQ(exported("s.arc", options), crlf("3\n0.00,0.00\n0.00,10.00\n10.00,10.00\nEND\n4\n5.00,10.00\nEND\nEND"))
        << "ARC keeps traced pixels";

    const std::string mif = exported("s.mif", options);
    EXPECT_TRUE(contains(mif, crlf("Delimiter \",\"\nCoordSys NonEarth Units \"mm\" "
                                   "Bounds (0.000000,0.000000) (64.000000,48.000000)\nCOLUMNS 1\n")));
    EXPECT_TRUE(contains(mif, crlf("POINT 0.500000 47.000000\n")));
    EXPECT_TRUE(contains(mif, crlf("PLINE 3\n0.000000\t 48.000000\n0.000000\t 47.000000\n1.000000\t 47.000000\n")));

    const std::string dxf = exported("s.dxf", options);
    EXPECT_TRUE(contains(dxf, crlf("$EXTMIN\n10\n0.000\n20\n0.000\n9\n$EXTMAX\n10\n64.000\n20\n48.000\n")));
    EXPECT_TRUE(contains(dxf, crlf("$LIMMIN\n10\n0.000\n20\n0.000\n9\n$LIMMAX\n10\n64.000\n20\n48.000\n")));
    EXPECT_TRUE(contains(dxf, crlf("0\nVERTEX\n8\n0\n10\n1.000\n20\n47.000\n30\n0\n")));
    EXPECT_TRUE(contains(dxf, crlf("$UNITMODE\n70\n0\n9\n$INSUNITS\n70\n4\n9\n$MEASUREMENT\n70\n1\n0\nENDSEC\n")));

    const std::string inches = exported("i.dxf", scaled(OutputUnit::Inch));
    EXPECT_TRUE(contains(inches, crlf("9\n$INSUNITS\n70\n1\n9\n$MEASUREMENT\n70\n0\n")));
    EXPECT_TRUE(contains(inches, crlf("10\n1.00000\n20\n47.00000\n"))) << "inches keep five decimals";
    EXPECT_TRUE(contains(exported("i.mif", scaled(OutputUnit::Inch)), "CoordSys NonEarth Units \"in\" Bounds"));
}

TEST_F(ExportOptionsTest, MapFrameStatesItsSystemAndKeepsMillimetresOfDegrees)
{
    const std::string mif = exported("m.mif", map());
    EXPECT_TRUE(contains(mif, crlf("Delimiter \",\"\nCoordSys Earth Projection 8, 104, \"m\", 9, 0, 0.9996, 500000, 0\n"
                                   "COLUMNS 1\n")));
    EXPECT_TRUE(contains(mif, crlf("POINT 500010.00000000 3999980.00000000\n")));

    ExportOptions bare = map();
    bare.frame.mifCoordSys = "Earth Projection 1, 104";
    EXPECT_TRUE(contains(exported("b.mif", bare), crlf("\nCoordSys Earth Projection 1, 104\n")))
        << "the keyword is added when missing";

    const std::string dxf = exported("m.dxf", map());
    EXPECT_TRUE(contains(dxf, crlf("$EXTMIN\n10\n500000.00000000\n20\n3999040.00000000\n")));
    EXPECT_TRUE(contains(dxf, crlf("$EXTMAX\n10\n501280.00000000\n20\n4000000.00000000\n")));
    EXPECT_TRUE(contains(dxf, crlf("9\n$INSUNITS\n70\n6\n9\n$MEASUREMENT\n70\n1\n")));

    ExportOptions degrees = map();
    degrees.frame.transform = {14.0, 1e-5, 0, 48.0, 0, -1e-5};
    degrees.frame.crsWkt = "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\"],UNIT[\"degree\",0.0174532925199433]]";
    const std::string geographic = exported("g.dxf", degrees);
    EXPECT_FALSE(contains(geographic, "$INSUNITS")) << "degrees are no drawing unit";
    EXPECT_TRUE(contains(geographic, crlf("10\n14.00010000\n20\n47.99990000\n")));
    EXPECT_TRUE(contains(exported("g.txt", degrees), crlf("14.00005000,47.99990000\n")));
}

// The extents come from all four corners: with the axes swapped and turned,
// placing only the corners that bound an unplaced drawing gives neither
// the lowest nor the highest point.
TEST_F(ExportOptionsTest, ExtentsAreTheRectangleAroundThePlacedCorners)
{
    ExportOptions options;
    options.frame.placed = true;
    options.frame.transform = {10, 0, 1, 20, -1, 0}; // X = 10 + y, Y = 20 - x
    const std::string dxf = exported("r.dxf", options, 100, 50);
    EXPECT_TRUE(contains(dxf, crlf("$EXTMIN\n10\n10.000\n20\n-80.000\n9\n$EXTMAX\n10\n60.000\n20\n20.000\n")));
    EXPECT_TRUE(contains(exported("r.mif", options, 100, 50),
                         "CoordSys NonEarth Units \"m\" Bounds (10.000000,-80.000000) (60.000000,20.000000)"));
}

TEST(DxfUnits, OnlyDrawingsInKnownUnitsStateThem)
{
    OutputFrame frame;
    frame.unit = OutputUnit::Millimetre;
    EXPECT_FALSE(DrawingUnits(frame)) << "unplaced coordinates are pixels";
    frame.placed = true;
    EXPECT_EQ(DrawingUnits(frame)->insUnits, 4);
    frame.unit = OutputUnit::Pixel;
    EXPECT_FALSE(DrawingUnits(frame));

    EXPECT_TRUE(IsProjectedInMetres("PROJCS[\"UTM\",GEOGCS[\"x\",UNIT[\"degree\",0.01]],UNIT[\"Meter\",1]]"));
    EXPECT_TRUE(IsProjectedInMetres("PROJCRS[\"x\",BASEGEOGCRS[\"y\",ANGLEUNIT[\"degree\",0.01]],"
                                    "CS[Cartesian,2],AXIS[\"(E)\",east],LENGTHUNIT[\"metre\",1],ID[\"EPSG\",32633]]"));
    EXPECT_FALSE(IsProjectedInMetres("PROJCS[\"x\",GEOGCS[\"y\",UNIT[\"degree\",0.01]],UNIT[\"US survey foot\",0.3]]"));
    EXPECT_FALSE(IsProjectedInMetres("GEOGCS[\"WGS 84\",UNIT[\"metre\",1]]"));
    EXPECT_FALSE(IsProjectedInMetres(""));
}

} // namespace
} // namespace orvane
