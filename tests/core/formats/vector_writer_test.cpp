// The layout of each vector format, byte for byte.
#include "formats/vector_writer.h"

#include "format_test_support.h"
#include "formats/export_driver.h"
#include "formats/text_out.h"

#include <cstdio>
#include <random>

namespace orvane {
namespace {

using test::addLine;
using test::crlf;

class VectorWriterTest : public test::ScratchDir {
protected:
    /// Exports `store` as `name` (the extension picks the format) and returns the file.
    std::string exported(const std::string& name, int width = 640, int height = 480)
    {
        RecordingPort port;
        EXPECT_EQ(ExportVectorFile(store, width, height, dir / name, port), 1) << name;
        EXPECT_TRUE(port.messages().empty());
        return test::slurp(dir / name);
    }
    CLineStore store;
};

TEST(TextOut, FormatsNumbersExactlyAsPrintfDoes)
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> wide(-1e7, 1e7);
    std::uniform_real_distribution<double> coordinate(-40000, 40000);
    std::uniform_int_distribution<int> whole(-5000, 5000);
    for (int i = 0; i < 60000; ++i) {
        // Halves, quarters and eighths sit exactly on rounding boundaries;
        // thousandths lie just beside them once in binary.
        const double value = i % 4 == 0   ? wide(rng)
                             : i % 4 == 1 ? coordinate(rng)
                             : i % 4 == 2 ? whole(rng) / 1000.0
                                          : whole(rng) / double(1 << (i % 5));
        for (int decimals : {0, 2, 3, 6}) {
            std::string ours;
            TextOut(ours).fixed(value, decimals);
            char theirs[400];
            std::snprintf(theirs, sizeof theirs, "%.*f", decimals, value);
            ASSERT_EQ(ours, theirs) << value;
        }
    }
    std::string zero;
    TextOut(zero).fixed(-0.0, 3).text(" ").integer(-42).text("\n");
    EXPECT_EQ(zero, "-0.000 -42\r\n");
}

TEST_F(VectorWriterTest, ArcFileOfOneLine)
{
    addLine(store, 7, {{10, 20}, {13.5, 20}});
    EXPECT_EQ(exported("a.arc"), crlf("7\n10.00,20.00\n13.50,20.00\nEND\nEND"));
}

// Begin and end give the bearing and sector of the first and the last step.
TEST_F(VectorWriterTest, LineReport)
{
    addLine(store, 3, {{0, 0}, {0, 10}, {10, 10}});
    EXPECT_EQ(exported("r.txt"),
              crlf("ID=3, Length=20.000000, Nodes=3, MBR=(0.000000,0.000000,10.000000,10.000000)\n"
                   "Direction: Begin=180.000000 deg (Sector 5); End=90.000000 deg (Sector 3)\n"
                   "0.00,0.00\n0.00,10.00\n10.00,10.00\n\n"));
}

std::string dxfHeader(const char* extMinY, const char* extMaxX)
{
    return std::string("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1003\n") +
           "9\n$INSBASE\n10\n0.0\n20\n0.0\n30\n0.0\n" + "9\n$EXTMIN\n10\n0.000\n20\n" + extMinY + "\n9\n$EXTMAX\n10\n" +
           extMaxX + "\n20\n0.000\n" + "9\n$LIMMIN\n10\n0.000\n20\n" + extMinY + "\n9\n$LIMMAX\n10\n" + extMaxX +
           "\n20\n0.000\n" + "9\n$LTSCALE\n40\n1.0\n" + "9\n$CLAYER\n8\n0\n" + "9\n$LUNITS\n70\n2\n9\n$LUPREC\n70\n3\n" +
           "9\n$LIMCHECK\n70\n0\n" + "9\n$UCSNAME\n2\n\n" + "9\n$UCSORG\n10\n0.0\n20\n0.0\n30\n0.0\n" +
           "9\n$UCSXDIR\n10\n1.0\n20\n0.0\n30\n0.0\n" + "9\n$UCSYDIR\n10\n0.0\n20\n1.0\n30\n0.0\n" +
           "9\n$WORLDVIEW\n70\n1\n" + "9\n$UNITMODE\n70\n0\n" + "0\nENDSEC\n" + "0\nSECTION\n2\nTABLES\n" +
           "0\nTABLE\n2\nLTYPE\n70\n1\n" + "0\nLTYPE\n2\nCONTINUOUS\n70\n64\n3\nSolid line\n72\n65\n73\n0\n40\n0.000\n" +
           "0\nENDTAB\n" + "0\nTABLE\n2\nLAYER\n70\n1\n" + "0\nLAYER\n2\n0\n70\n64\n62\n7\n6\nCONTINUOUS\n" +
           "0\nENDTAB\n" + "0\nENDSEC\n" + "0\nSECTION\n2\nBLOCKS\n0\nENDSEC\n" + "0\nSECTION\n2\nENTITIES\n";
}

TEST_F(VectorWriterTest, DxfFile)
{
    addLine(store, 1, {{12, 0}, {3.5, 7.25}});
    addLine(store, 2, {{5, 5}});
    const std::string polyline = "0\nPOLYLINE\n8\n0\n6\nCONTINUOUS\n66\n1\n10\n0.0\n20\n0.0\n30\n0\n";
    const std::string expected = dxfHeader("-480.000", "640.000") + polyline +
                                 "0\nVERTEX\n8\n0\n10\n12.000\n20\n-0.000\n30\n0\n" +
                                 "0\nVERTEX\n8\n0\n10\n3.500\n20\n-7.250\n30\n0\n" + "0\nSEQEND\n" + polyline +
                                 "0\nVERTEX\n8\n0\n10\n5.000\n20\n-5.000\n30\n0\n" + "0\nSEQEND\n" +
                                 "0\nENDSEC\n0\nEOF";
    EXPECT_EQ(exported("d.dxf"), crlf(expected));
}

TEST_F(VectorWriterTest, MifFileWithItsIdFile)
{
    addLine(store, 4, {{5, 10}});
    addLine(store, 5, {{0, 0}, {3, 4}});
    addLine(store, 6, {{1, 2}, {3, 4}, {5, 6}});
    const std::string expected = "VERSION 300\nCharset \"WindowsLatin1\"\nDelimiter \",\"\n"
                                 "CoordSys Nonearth Units \"m\" Bounds (0.000000,0.000000) (640.000000,-480.000000)\n"
                                 "COLUMNS 1\n    ID integer\nDATA\n\n"
                                 "POINT 5.000000 -10.000000\n    Pen (1,2,65280)\n"
                                 "LINE 0.000000 -0.000000  3.000000 -4.000000  \n    Pen (1,2,65280)\n"
                                 "PLINE 3\n1.000000\t -2.000000\n3.000000\t -4.000000\n5.000000\t -6.000000\n"
                                 "    Pen (1,2,65280)\n";
    EXPECT_EQ(exported("m.mif"), crlf(expected));
    EXPECT_EQ(test::slurp(dir / "m.mid"), crlf("4\n5\n6\n"));
}

TEST_F(VectorWriterTest, DiFile)
{
    addLine(store, 4, {{1, 12.5}});
    addLine(store, 123456, {{1, 2}, {3, 4}});
    // Header records: id, type word, the id again as a number, the vertex count.
    char point[100], line[100];
    std::snprintf(point, sizeof point, "%-5d%-10s%-35f%-5d\n", 4, "POINT", 4.0, 1);
    std::snprintf(line, sizeof line, "%-5d%-10s%-35f%-5d\n", 123456, "LINE", 123456.0, 2);
    ASSERT_EQ(std::string(point).size(), 5u + 10 + 35 + 5 + 1);
    const std::string expected = std::string(point) + "1.000000 12.500000 0.000000\n" + line +
                                 "1.000000 2.000000 0.000000\n3.000000 4.000000 0.000000\n";
    EXPECT_EQ(exported("x.di"), crlf(expected));
}

TEST_F(VectorWriterTest, AscFileNumbersVerticesAcrossLines)
{
    addLine(store, 4, {{1, 2}, {3, 4}});
    addLine(store, 8, {});
    addLine(store, 9, {{5, 12.5}});
    EXPECT_EQ(exported("p.asc"),
              crlf("1,1.000000,2.000000,0.000000,4\n2,3.000000,4.000000,0.000000,4\n3,5.000000,12.500000,0.000000,9\n"));
}

// Pixel centres sit half a pixel in from the view box's corner; a loop
// closes with Z, a single vertex is a dot; the size is in millimetres when
// the pixel size is known, and a map placement leaves the drawing alone.
TEST_F(VectorWriterTest, SvgFileOverlaysTheScan)
{
    addLine(store, 7, {{1, 1}, {10.25, 3}, {0.498, 8}});
    addLine(store, 8, {{2, 2}, {6, 2}, {6, 5}, {2, 2}});
    addLine(store, 9, {});
    addLine(store, 10, {{4, 4}});
    const std::string black = "fill=\"none\" stroke=\"black\"";
    const std::string paths = "<g stroke-width=\"1\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
                              "<path id=\"line-7\" " + black + " d=\"M 1.5 1.5 L 10.75 3.5 L 1 8.5\"/>\n"
                              "<path id=\"line-8\" " + black + " d=\"M 2.5 2.5 L 6.5 2.5 L 6.5 5.5 Z\"/>\n"
                              "<path id=\"line-10\" " + black + " d=\"M 4.5 4.5 L 4.5 4.5\"/>\n"
                              "</g>\n</svg>\n";
    const std::string prologue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    EXPECT_EQ(exported("v.svg", 16, 8), crlf(prologue + " width=\"16\" height=\"8\" viewBox=\"0 0 16 8\">\n" + paths));

    ExportOptions options;
    options.frame.placed = true;
    options.frame.transform = {500000, 2, 0, 4000000, 0, -2};
    options.frame.unit = OutputUnit::Map;
    options.frame.pixelMillimetres = 0.0254;
    RecordingPort port;
    ASSERT_EQ(ExportVectorFile(store, 16, 8, dir / "m.SVG", port, options), 1);
    EXPECT_EQ(test::slurp(dir / "m.SVG"),
              crlf(prologue + " width=\"0.406mm\" height=\"0.203mm\" viewBox=\"0 0 16 8\">\n" + paths));
}

TEST_F(VectorWriterTest, LinesWithoutVerticesAreSkippedByEveryFormat)
{
    addLine(store, 1, {});
    addLine(store, 2, {});
    EXPECT_EQ(exported("e.arc"), "END");
    EXPECT_EQ(exported("e.txt"), "");
    EXPECT_EQ(exported("e.di"), "");
    EXPECT_EQ(exported("e.asc"), "");
    EXPECT_TRUE(exported("e.svg").ends_with(">\r\n</g>\r\n</svg>\r\n"));
    EXPECT_EQ(exported("e.dxf", 100, 50), crlf(dxfHeader("-50.000", "100.000") + "0\nENDSEC\n0\nEOF"));
    const std::string mif = exported("e.mif", 100, 50);
    EXPECT_NE(mif.find("Bounds (0.000000,0.000000) (100.000000,-50.000000)"), std::string::npos);
    EXPECT_TRUE(mif.ends_with("DATA\r\n\r\n"));
    EXPECT_EQ(test::slurp(dir / "e.mid"), "");
}

} // namespace
} // namespace orvane
