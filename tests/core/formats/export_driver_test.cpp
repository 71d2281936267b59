// The export driver: extensions, progress and cancel, and files that are
// never left half written.
#include "formats/export_driver.h"

#include "format_test_support.h"
#include "support/recording_port.h"

namespace orvane {
namespace {

using test::addLine;

class ExportDriverTest : public test::ScratchDir {
protected:
    void fill(int lines)
    {
        for (int i = 1; i <= lines; ++i)
            addLine(store, i, {{double(i), 1}, {double(i), 2}});
    }
    int save(const std::filesystem::path& path) { return ExportVectorFile(store, 100, 100, path, port); }
    CLineStore store;
    RecordingPort port;
};

TEST_F(ExportDriverTest, ChoosesTheFormatByTheFileNamesExtensionInAnyCase)
{
    fill(1);
    EXPECT_EQ(save(dir / "lower.txt"), 1);
    EXPECT_TRUE(test::slurp(dir / "lower.txt").starts_with("ID=1, "));
    EXPECT_EQ(save(dir / "Mixed.Dxf"), 1);
    EXPECT_TRUE(test::slurp(dir / "Mixed.Dxf").ends_with("EOF"));
    EXPECT_EQ(save(dir / "odd.MiF"), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "odd.MiD"));
    EXPECT_TRUE(port.messages().empty());
}

TEST_F(ExportDriverTest, RefusesMissingAndUnknownExtensionsWithoutWritingAnything)
{
    fill(1);
    std::filesystem::create_directories(dir / "maps.v2");
    EXPECT_EQ(save(dir / "maps.v2" / "out"), 0);
    EXPECT_EQ(save(dir / "drawing.dat"), 0);
    EXPECT_EQ(save(dir / "missing-folder" / "x.dxf"), 0);
    EXPECT_EQ(save(""), 0);
    EXPECT_EQ(port.messages(),
              (std::vector<std::string>{"File extension not sepecified!",
                                        "Unknown vector file extension \".dat\": use .txt, .arc, .dxf, .mif, .di or .asc.",
                                        "Unable to open file for saving!"}));
    EXPECT_EQ(fileCount(), 1u) << "only the maps.v2 folder";
    EXPECT_TRUE(std::filesystem::is_empty(dir / "maps.v2"));

    CLineStore empty;
    EXPECT_EQ(ExportVectorFile(empty, 1, 1, dir / "none.arc", port), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.arc"));
}

TEST_F(ExportDriverTest, ReportsProgressEveryStepAndChecksCancelEveryHundredLines)
{
    fill(250);
    ASSERT_EQ(save(dir / "a.arc"), 1);
    std::vector<int> expected;
    for (int p = 0; p <= 124; ++p)
        expected.push_back(p);
    EXPECT_EQ(port.positions(), expected);
    EXPECT_EQ(port.progressTexts(), std::vector<std::string>{"Save Vector..."});
    EXPECT_EQ(port.checkCount(), 4) << "before lines 0, 100 and 200, and once at the end";
    const auto range = port.eventsOf({PortEvent::Kind::ProgressRange});
    ASSERT_EQ(range.size(), 1u);
    EXPECT_EQ(range[0].value, 100);
    EXPECT_EQ(port.events().back().kind, PortEvent::Kind::ProgressClose);

    CLineStore small;
    for (int i = 1; i <= 99; ++i)
        addLine(small, i, {{1, 1}});
    RecordingPort smallPort;
    ASSERT_EQ(ExportVectorFile(small, 10, 10, dir / "b.asc", smallPort), 1);
    EXPECT_EQ(smallPort.positions().size(), 99u);
    EXPECT_EQ(smallPort.positions().back(), 98);
}

TEST_F(ExportDriverTest, ACancelledExportLeavesTheOldFileUntouched)
{
    fill(250);
    test::spit(dir / "keep.dxf", "precious");
    test::spit(dir / "keep.mif", "old mif");
    test::spit(dir / "keep.mid", "old mid");
    for (int cancelAt : {1, 2, 3, 4}) {
        RecordingPort cancelling;
        cancelling.cancelFromCheck(cancelAt);
        EXPECT_EQ(ExportVectorFile(store, 100, 100, dir / "keep.dxf", cancelling), 0) << cancelAt;
        EXPECT_EQ(ExportVectorFile(store, 100, 100, dir / "keep.mif", cancelling), 0) << cancelAt;
        EXPECT_EQ(cancelling.events().back().kind, PortEvent::Kind::ProgressClose);
    }
    EXPECT_EQ(test::slurp(dir / "keep.dxf"), "precious");
    EXPECT_EQ(test::slurp(dir / "keep.mif"), "old mif");
    EXPECT_EQ(test::slurp(dir / "keep.mid"), "old mid");
    EXPECT_EQ(fileCount(), 3u) << "no temporary file is left behind";

    // Not cancelled, the same call replaces the file.
    EXPECT_EQ(save(dir / "keep.dxf"), 1);
    EXPECT_NE(test::slurp(dir / "keep.dxf"), "precious");
}

TEST_F(ExportDriverTest, AFailedMifExportKeepsTheOldIdFileAndTakesLongNames)
{
    fill(3);
    test::spit(dir / "out.mid", "old mid");
    std::filesystem::create_directories(dir / "out.mif" / "blocker"); // the .mif cannot be replaced
    EXPECT_EQ(save(dir / "out.mif"), 0);
    EXPECT_EQ(test::slurp(dir / "out.mid"), "old mid");

    const std::filesystem::path longName = dir / (std::string(246, 'x') + ".mif");
    EXPECT_EQ(save(longName), 1);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(longName).replace_extension(".mid")));
}

TEST(FileExtension, IsTakenFromTheFileNameOnly)
{
    EXPECT_EQ(FileExtension("/data/maps.v2/sheet.DXF"), ".DXF");
    EXPECT_EQ(FileExtension("/data/maps.v2/sheet"), "");
    EXPECT_EQ(FileExtension("a.b.arc"), ".arc");
    EXPECT_EQ(FileExtension("trailing."), ".");
}

} // namespace
} // namespace orvane
