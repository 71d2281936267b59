// The line quality report's file: written whole, read back equal, and a
// file that is not a report named as such.
#include "formats/line_quality_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;

TEST(LineQualityReport, RoundTripAndRefusals)
{
    const fs::path folder = fs::temp_directory_path() / "orvane-report-test";
    fs::create_directories(folder);
    const std::vector<LineQuality> rows = {{1, 5, 120.414, false, 2, 0.354, 0.121},
                                           {7, 33, 188.5, true, 0, 0.5, 0.25}};
    std::string error;
    ASSERT_TRUE(WriteLineQualityReport((folder / "r.csv").string(), rows, error)) << error;
    std::ifstream in(folder / "r.csv");
    std::string header, first;
    std::getline(in, header);
    std::getline(in, first);
    EXPECT_EQ(header, kLineQualityHeader);
    EXPECT_EQ(first, "1,5,120.41,open,2,0.35,0.12");

    std::vector<LineQuality> back;
    ASSERT_TRUE(ReadLineQualityReport((folder / "r.csv").string(), back, error)) << error;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].id, 7);
    EXPECT_TRUE(back[1].closed);
    EXPECT_DOUBLE_EQ(back[0].length, 120.41);

    std::ofstream(folder / "other.csv") << "a,b\n1,2\n";
    EXPECT_FALSE(ReadLineQualityReport((folder / "other.csv").string(), back, error));
    EXPECT_NE(error.find("not a line quality report"), std::string::npos);
    std::ofstream(folder / "bad.csv") << kLineQualityHeader << "\n1,2,3,open,1,0.1,0.1\n2,2,x,open,1,0,0\n";
    EXPECT_FALSE(ReadLineQualityReport((folder / "bad.csv").string(), back, error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    EXPECT_FALSE(ReadLineQualityReport((folder / "missing.csv").string(), back, error));
    EXPECT_FALSE(WriteLineQualityReport((folder / "no" / "r.csv").string(), rows, error));
    EXPECT_FALSE(error.empty());
    fs::remove_all(folder);
}

} // namespace
} // namespace orvane
