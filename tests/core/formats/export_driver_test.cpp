// The export driver: extensions, progress and cancel, and files that are
// never left half written.
#include "formats/export_driver.h"

#include "format_test_support.h"
#include "support/progress_check.h"

namespace orvane {
namespace {

using test::slurp;
using test::spit;

class ExportDriverTest : public test::ScratchDir {
protected:
    void fill(int lines)
    {
        for (int i = 1; i <= lines; ++i)
            test::addLine(store, i, {{double(i), 1}, {double(i), 2}});
    }
    int save(const std::filesystem::path& path) { return ExportVectorFile(store, 100, 100, path, port); }
    CLineStore store;
    RecordingPort port;
};

TEST_F(ExportDriverTest, ChoosesTheFormatByTheFileNamesExtensionInAnyCase)
{
    fill(1);
    EXPECT_EQ(save(dir / "lower.txt"), 1);
    EXPECT_TRUE(slurp(dir / "lower.txt").starts_with("ID=1, "));
    EXPECT_EQ(save(dir / "Mixed.Dxf"), 1);
    EXPECT_TRUE(slurp(dir / "Mixed.Dxf").ends_with("EOF"));
    EXPECT_EQ(save(dir / "odd.MiF"), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "odd.MiD")) << "the id file takes the extension's letter case";
    EXPECT_TRUE(port.messages().empty());
    EXPECT_EQ(FileExtension("/data/maps.v2/sheet.DXF"), ".DXF");
    EXPECT_EQ(FileExtension("/data/maps.v2/sheet"), "") << "a dot in a folder's name is no extension";
    EXPECT_EQ(FileExtension("a.b.arc"), ".arc");
    EXPECT_EQ(FileExtension("trailing."), ".");
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
              (std::vector<std::string>{
                  "File extension not sepecified!",
                  "Unknown vector file extension \".dat\": use .txt, .arc, .dxf, .mif, .di, .asc or .svg.",
                  "Unable to open file for saving!"}));
    EXPECT_EQ(fileCount(), 1u) << "only the maps.v2 folder";
    EXPECT_TRUE(std::filesystem::is_empty(dir / "maps.v2"));

    CLineStore empty;
    EXPECT_EQ(ExportVectorFile(empty, 1, 1, dir / "none.arc", port), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.arc"));
}

// A position every hundredth of the lines (every line below 200 lines), so
// past 100 when the count is not a multiple; a check before every hundredth
// line and once at the end.
TEST_F(ExportDriverTest, ReportsProgressEveryStepAndChecksCancelEveryHundredLines)
{
    fill(250);
    ASSERT_EQ(save(dir / "a.arc"), 1);
    EXPECT_TRUE(test::ShowedProgress(port, {"Save Vector...", 100, {}, test::Steps(0, 125)}));
    EXPECT_EQ(port.checkCount(), 4);

    CLineStore small;
    for (int i = 1; i <= 99; ++i)
        test::addLine(small, i, {{1, 1}});
    RecordingPort smallPort;
    ASSERT_EQ(ExportVectorFile(small, 10, 10, dir / "b.asc", smallPort), 1);
    EXPECT_TRUE(test::ShowedProgress(smallPort, {"Save Vector...", 100, {}, test::Steps(0, 99)}));
}

TEST_F(ExportDriverTest, ACancelledExportLeavesTheOldFileUntouched)
{
    fill(250);
    spit(dir / "keep.dxf", "precious");
    spit(dir / "keep.mif", "old mif");
    spit(dir / "keep.mid", "old mid");
    for (int cancelAt : {1, 2, 3, 4})
        for (const char* name : {"keep.dxf", "keep.mif"}) {
            RecordingPort cancelling;
            cancelling.cancelFromCheck(cancelAt);
            EXPECT_EQ(ExportVectorFile(store, 100, 100, dir / name, cancelling), 0) << cancelAt;
            const int positions = cancelAt == 4 ? 125 : (cancelAt - 1) * 50;
            EXPECT_TRUE(test::ShowedProgress(cancelling, {"Save Vector...", 100, {}, test::Steps(0, positions)}));
        }
    EXPECT_EQ(slurp(dir / "keep.dxf"), "precious");
    EXPECT_EQ(slurp(dir / "keep.mif"), "old mif");
    EXPECT_EQ(slurp(dir / "keep.mid"), "old mid");
    EXPECT_EQ(fileCount(), 3u) << "no temporary file is left behind";
    EXPECT_EQ(save(dir / "keep.dxf"), 1) << "not cancelled, the same call replaces the file";
    EXPECT_NE(slurp(dir / "keep.dxf"), "precious");
}

TEST_F(ExportDriverTest, AFailedMifExportKeepsTheOldIdFileAndTakesLongNames)
{
    fill(3);
    spit(dir / "out.mid", "old mid");
    std::filesystem::create_directories(dir / "out.mif" / "blocker"); // the .mif cannot be replaced
    EXPECT_EQ(save(dir / "out.mif"), 0);
    EXPECT_EQ(slurp(dir / "out.mid"), "old mid");

    const std::filesystem::path longName = dir / (std::string(246, 'x') + ".mif");
    EXPECT_EQ(save(longName), 1);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(longName).replace_extension(".mid")));
}

} // namespace
} // namespace orvane
