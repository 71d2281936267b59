// Reading ARC files back, leniently, without ever losing the user's lines.
#include "formats/arc_reader.h"

#include "format_test_support.h"
#include "formats/export_driver.h"

namespace orvane {
namespace {

using V = std::vector<std::pair<double, double>>;

class ArcReaderTest : public test::ScratchDir {
protected:
    int read(const std::string& text, const std::string& name = "in.arc")
    {
        test::spit(dir / name, text);
        return ReadVectorFile(store, dir / name, port, &why);
    }
    V vertices(int index) const
    {
        V out;
        for (const VectorNode& n : store.line(index).m_nodes)
            out.emplace_back(n.m_dX, n.m_dY);
        return out;
    }
    CLineStore store;
    RecordingPort port;
    std::string why;
};

// The closing END reads as one more, empty line with the last id; lines
// read keep their own ids and leave the id counter alone.
TEST_F(ArcReaderTest, ReadsBackWhatWeWriteWithTheTrailingEnd)
{
    CLineStore original;
    test::addLine(original, 3, {{0.5, 1.25}, {100, 200}, {7, 8}});
    test::addLine(original, 4, {});
    test::addLine(original, 9, {{2, 3}});
    ASSERT_EQ(ExportVectorFile(original, 10, 10, dir / "round.arc", port), 1);
    ASSERT_EQ(ReadVectorFile(store, dir / "round.arc", port), 1);
    ASSERT_EQ(store.GetLineCount(), 3);
    EXPECT_EQ(test::ids(store), (std::vector<int>{3, 9, 9}));
    EXPECT_EQ(vertices(0), (V{{0.5, 1.25}, {100, 200}, {7, 8}}));
    EXPECT_EQ(vertices(1), (V{{2, 3}}));
    EXPECT_TRUE(store.line(2).m_nodes.empty());
    EXPECT_EQ(store.m_nLastLineId, 0);
}

TEST_F(ArcReaderTest, ReadsNumbersLeniently)
{
    ASSERT_EQ(read("5\r\n12,5\r\n3.25, 7.5\r\n1,2,3\r\n-4.5e1,+2\r\n1e-400,0.0001e-330\r\nEND\r\n"
                   "ID 7\nx,y\nEND\n"
                   "7 apples\nend\nEND\n"
                   "1\n2\nEND\n"
                   "3\n,5\nEND\n"
                   "+-5\nEND\n"
                   "9\n1,1\n"), 1); // the last polyline has no END and is dropped
    ASSERT_EQ(store.GetLineCount(), 6);
    EXPECT_EQ(vertices(0), (V{{12, 5}, {3.25, 7.5}, {1, 2}, {-45, 2}, {0, 0}})) << "too small for a double is 0";
    EXPECT_EQ(vertices(1), (V{{0, 0}}));
    // ID 7 and +-5 have no leading number, lower-case end is an id line, of
    // two id lines the second wins, and ,5 is an id line without a number.
    EXPECT_EQ(test::ids(store), (std::vector<int>{5, 0, 0, 2, 0, 0}));
    ASSERT_EQ(port.messages().size(), 1u) << "the lines read only in part are reported";
    EXPECT_NE(port.messages()[0].find("the first is line 4."), std::string::npos) << port.messages()[0];
}

TEST_F(ArcReaderTest, ReportsEveryLineReadOnlyInPartAndRefusesImmeasurableLines)
{
    ASSERT_EQ(read("1\n0,0\n5;6\n2\n3.5 , -4\n5,6,7\n5\t6\nEND\n"), 1);
    EXPECT_EQ(vertices(0), (V{{0, 0}, {3.5, -4}, {5, 6}}));
    EXPECT_EQ(store.line(0).m_nId, 5) << "read as far as it made sense";
    EXPECT_EQ(port.messages(), std::vector<std::string>{"in.arc: 3 lines could not be read as an id or as a vertex "
                                                        "\"x,y\" and were read only as far as they made sense; the "
                                                        "first is line 3."});
    port.clear();
    store.DeleteAllLines();
    ASSERT_EQ(read("1\n1,2\nEND\n"), 1);
    EXPECT_TRUE(port.messages().empty()) << "clean files are read in silence";

    EXPECT_EQ(read("1\n-1e308,0\n1e308,0\nEND\n"), 0);
    EXPECT_EQ(why, "line 4: coordinates so large that the line's length cannot be measured");
    EXPECT_EQ(store.GetLineCount(), 1);
}

TEST_F(ArcReaderTest, AMalformedVertexFailsWithoutTouchingTheLinesAlreadyHeld)
{
    test::addLine(store, 42, {{1, 1}, {2, 2}});
    for (const char* bad : {"1\n1,1\nEND\n2\n5,\nEND\n", "1\nnan,1\nEND\n", "1\n1,inf\nEND\n", "1\n1e999,1\nEND\n",
                            "1\n1,-1234567e400\nEND\n"}) {
        EXPECT_EQ(read(bad), 0) << bad;
        EXPECT_EQ(test::ids(store), std::vector<int>{42}) << bad;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_TRUE(port.messages().empty());
}

TEST_F(ArcReaderTest, OtherFilesAndMissingFiles)
{
    EXPECT_EQ(read("ID=1, Length=...\n1,2\n", "lines.txt"), 1);
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_EQ(ReadVectorFile(store, dir / "absent.arc", port), 0);
    EXPECT_EQ(ReadVectorFile(store, dir / "noextension", port), 0);
    EXPECT_EQ(ReadVectorFile(store, "", port), 0);
    EXPECT_EQ(port.messages(), (std::vector<std::string>{"Unable to open file!", "File extension not sepecified!"}));
}

} // namespace
} // namespace orvane
