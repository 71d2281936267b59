// Files that appear whole or not at all, with the system's reason when not.
#include "files/atomic_file.h"

#include "support/scratch_dir.h"

#include <csignal>

#include <sys/resource.h>

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::slurp;

class AtomicFileTest : public test::ScratchDir {
protected:
    static bool write(const fs::path& target, const std::string& text, std::string* error = nullptr)
    {
        return WriteFileAtomically(target, [&](std::ostream& o) { return bool(o << text); }, error);
    }
};

TEST_F(AtomicFileTest, ReplacesTheTargetOnlyWhenTheWriterSucceeds)
{
    const fs::path target = dir / "drawing.dxf";
    ASSERT_TRUE(write(target, "first"));
    EXPECT_EQ(slurp(target), "first");

    std::string error;
    EXPECT_FALSE(WriteFileAtomically(
        target, [](std::ostream& o) { o << "half"; return false; }, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(slurp(target), "first");
    EXPECT_EQ(fileCount(), 1u) << "the temporary file must be removed";

    ASSERT_TRUE(write(target, "second"));
    EXPECT_EQ(slurp(target), "second");
    EXPECT_EQ(fileCount(), 1u);
    EXPECT_LT(TemporaryPathBeside(dir / (std::string(248, 'n') + ".bmp")).filename().string().size(), 64u);
}

TEST_F(AtomicFileTest, AReplacedFileKeepsItsLinkAndItsPermissions)
{
    const fs::path real = dir / "shared.dxf", link = dir / "link.dxf";
    ASSERT_TRUE(write(real, "old"));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write);
    fs::create_symlink(real, link);
    ASSERT_TRUE(write(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(slurp(real), "new");
    EXPECT_TRUE((fs::status(real).permissions() & fs::perms::group_write) != fs::perms::none);
}

TEST_F(AtomicFileTest, ReplacesSeveralFilesAsOneStep)
{
    const fs::path mid = dir / "a.mid", mif = dir / "a.mif";
    test::spit(mid, "old mid");
    auto commit = [&](std::string* error) {
        AtomicFile first(mid), second(mif);
        first.Write("new mid");
        second.Write("new mif");
        EXPECT_TRUE(first.Finish() && second.Finish());
        AtomicFile* const files[] = {&first, &second};
        return CommitFiles(files, error);
    };

    // A folder is never replaced by a file, and nothing is touched.
    fs::create_directories(mif / "inside");
    std::string error;
    EXPECT_FALSE(commit(&error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_EQ(slurp(mid), "old mid");
    EXPECT_EQ(fileCount(), 2u) << "no temporary file is left behind";

    fs::remove_all(mif);
    EXPECT_TRUE(commit(&error));
    EXPECT_EQ(slurp(mid), "new mid");
    EXPECT_EQ(slurp(mif), "new mif");
    EXPECT_EQ(fileCount(), 2u) << "no backup is left behind";
}

TEST_F(AtomicFileTest, SaysWhyAFileCannotBeWritten)
{
    struct Case {
        fs::path target;
        std::string reason;
    };
    test::spit(dir / "plain", "a file, not a folder");
    const Case cases[] = {
        {dir / "missing" / "x.bmp", "does not exist"},
        {dir / "plain" / "x.bmp", "is not a folder"},
        {dir / (std::string(300, 'n') + ".dxf"), "too long"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(write(c.target, "x", &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }

    // A full disk, as the system reports it when a file may grow no more.
    const fs::path target = dir / "old.bmp";
    ASSERT_TRUE(write(target, "old"));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool written = write(target, std::string(100000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_EQ(slurp(target), "old");
    EXPECT_EQ(fileCount(), 2u);
}

} // namespace
} // namespace orvane
