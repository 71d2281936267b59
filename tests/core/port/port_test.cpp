// The platform port's formatting front ends, the recorder, settings and
// atomic file writing.
#include "port/port.h"

#include "port/atomic_file.h"
#include "port/recording_port.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;

TEST(SetStatusText, FormatsByPrintfRulesAndMapsPanes)
{
    RecordingPort port;
    SetStatusText(&port, 0, "Vectorised %ld pixels...", 42L);
    SetStatusText(&port, 1, "(%d,%d)", 3, 4);
    SetStatusText(&port, 2, "CAP");
    SetStatusText(&port, 3, "NUM");
    SetStatusText(&port, 4, "SCRL");
    SetStatusText(&port, 7, "seven");
    SetStatusText(&port, -1, "minus one");
    EXPECT_EQ(port.statusTexts(StatusPane::Message),
              (std::vector<std::string>{"Vectorised 42 pixels...", "seven", "minus one"}));
    EXPECT_EQ(port.statusTexts(StatusPane::Coordinates), std::vector<std::string>{"(3,4)"});
    EXPECT_EQ(port.statusTexts(StatusPane::Caps), std::vector<std::string>{"CAP"});
    EXPECT_EQ(port.statusTexts(StatusPane::Num), std::vector<std::string>{"NUM"});
    EXPECT_EQ(port.statusTexts(StatusPane::Scroll), std::vector<std::string>{"SCRL"});
}

TEST(SetStatusText, ShowsUpTo255CharactersAndKeepsTrailingSpaces)
{
    RecordingPort port;
    const std::string exact(255, 'a');
    SetStatusText(&port, 0, "%s", exact.c_str());
    SetStatusText(&port, 0, "%s", std::string(300, 'b').c_str());
    SetStatusText(&port, 0, "Grey Scale done. ");
    auto texts = port.statusTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], exact);
    EXPECT_EQ(texts[1], std::string(255, 'b'));
    EXPECT_EQ(texts[2], "Grey Scale done. ");
}

TEST(RecordingPort, AnswersFromTheScriptThenWithTheFirstButton)
{
    RecordingPort port;
    port.scriptAnswers({MessageAnswer::No, MessageAnswer::Cancel});
    EXPECT_EQ(ShowMessageBox(port, MessageButtons::YesNoCancel, "Q%d", 1), MessageAnswer::No);
    EXPECT_EQ(ShowMessageBox(port, MessageButtons::YesNoCancel, "Q%d", 2), MessageAnswer::Cancel);
    EXPECT_EQ(ShowMessageBox(port, MessageButtons::YesNo, "Q%d", 3), MessageAnswer::Yes);
    EXPECT_EQ(ShowMessageBox(port, MessageButtons::Ok, "Q%d", 4), MessageAnswer::Ok);
    EXPECT_EQ(port.messages(), (std::vector<std::string>{"Q1", "Q2", "Q3", "Q4"}));
    EXPECT_EQ(port.events()[0].buttons, MessageButtons::YesNoCancel);
}

TEST(RecordingPort, CancelsFromTheNthCheckOn)
{
    RecordingPort port;
    port.cancelFromCheck(3);
    std::vector<bool> answers;
    for (int i = 0; i < 5; ++i)
        answers.push_back(port.CheckCancel());
    EXPECT_EQ(answers, (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(port.checkCount(), 5);
}

TEST(ProgressSession, OpensWithTitleClosesOnScopeExitAndTruncatesRangeTo16Bits)
{
    RecordingPort port;
    {
        ProgressSession progress(port, "Grey Scale");
        progress.setStatus("Working...");
        progress.setRange(65536);
        progress.setRange(70000);
        progress.setRange(480);
        progress.setPos(0);
        progress.setPos(480);
        EXPECT_FALSE(progress.CheckCancel());
    }
    using K = PortEvent::Kind;
    std::vector<PortEvent> expected = {
        {K::ProgressOpen, "Grey Scale"}, {K::ProgressStatus, "Working..."}, {K::ProgressRange, {}, 0},
        {K::ProgressRange, {}, 4464},    {K::ProgressRange, {}, 480},       {K::ProgressPos, {}, 0},
        {K::ProgressPos, {}, 480},       {K::Check, {}, 0},                 {K::ProgressClose},
    };
    EXPECT_EQ(port.events(), expected);
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("orvane-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string slurp(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entries() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }
    fs::path dir;
};

TEST_F(AtomicFileTest, ReplacesTheTargetOnlyWhenTheWriterSucceeds)
{
    const fs::path target = dir / "drawing.dxf";
    ASSERT_TRUE(WriteFileAtomically(target, [](std::ostream& o) { return bool(o << "first"); }));
    EXPECT_EQ(slurp(target), "first");

    std::string error;
    EXPECT_FALSE(WriteFileAtomically(
        target, [](std::ostream& o) { o << "half"; return false; }, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(slurp(target), "first");
    EXPECT_EQ(entries(), 1u) << "the temporary file must be removed";

    ASSERT_TRUE(WriteFileAtomically(target, [](std::ostream& o) { return bool(o << "second"); }));
    EXPECT_EQ(slurp(target), "second");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, WritesNamesAsLongAsTheFileSystemAllows)
{
    const fs::path target = dir / (std::string(248, 'n') + ".bmp");
    ASSERT_TRUE(WriteFileAtomically(target, [](std::ostream& o) { return bool(o << "long"); }));
    EXPECT_EQ(slurp(target), "long");
    EXPECT_LT(TemporaryPathBeside(target).filename().string().size(), 64u);
}

TEST_F(AtomicFileTest, ReplacesSeveralFilesAsOneStep)
{
    const fs::path first = dir / "a.mid", second = dir / "a.mif";
    const fs::path newFirst = dir / "new-first", newSecond = dir / "new-second";
    std::ofstream(first) << "old mid";
    std::ofstream(newFirst) << "new mid";
    const std::pair<fs::path, fs::path> renames[] = {{newFirst, first}, {newSecond, second}};

    // The second rename fails (its file is missing) after the first was done.
    std::string error;
    EXPECT_FALSE(ReplaceFiles(renames, &error));
    EXPECT_EQ(slurp(first), "old mid") << "the first replacement is undone";
    EXPECT_FALSE(fs::exists(second));

    // A folder is never replaced by a file, and nothing is touched.
    std::ofstream(newSecond) << "new mif";
    fs::create_directories(second / "inside");
    EXPECT_FALSE(ReplaceFiles(renames, &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_EQ(slurp(first), "old mid");

    fs::remove_all(second);
    std::ofstream(newFirst) << "new mid"; // a failed step may have used it up
    EXPECT_TRUE(ReplaceFiles(renames));
    EXPECT_EQ(slurp(first), "new mid");
    EXPECT_EQ(slurp(second), "new mif");
    EXPECT_EQ(entries(), 2u) << "no backup is left behind";
}

TEST_F(AtomicFileTest, ReportsAFolderThatCannotBeWritten)
{
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "x.bmp", [](std::ostream&) { return true; }, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

} // namespace
} // namespace orvane
