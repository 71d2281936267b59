// The vectorisation run: what counts as ink, progress, cancel, and traces of
// unthinned drawings. Traces of really thinned drawings, and the smoothing
// and reduction of their lines, are tested with One-Touch in the commands
// tests.
#include "vector/vectoriser.h"

#include "support/progress_check.h"
#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace orvane {
namespace {

using test::FromText;
using test::Points;
using test::TraceRun;

test::Text blank(int width, int height) { return {std::size_t(height), std::string(width, '.')}; }

TEST(Vectoriser, OnlyPixelsWithAllChannelsZeroAreInkOnEveryRow)
{
    CBitmapImage image = FromText(blank(6, 4));
    for (int x = 2; x <= 4; ++x) {
        image.SetPixelColor(x, 1, 255, 0, 0); // red: background on the first row
        image.SetPixelColor(x, 2, 0, 255, 0); // green: background on later rows too
        image.SetPixelColor(x, 3, 1, 1, 1);   // near black is not black
        image.SetPixelColor(x, 4, 0, 0, 0);
    }
    TraceRun run;
    EXPECT_EQ(run.run(image).lines(), (std::vector<Points>{{{3, 3}, {1, 3}}}));
    TraceRun empty;
    EXPECT_EQ(empty.run(CBitmapImage{}).result, 0);
    EXPECT_TRUE(empty.port.events().empty()) << "an empty image fails without showing anything";
}

// Range 100; a stage text and a position every hundredth of the height
// (every row below 200 rows), one cancel check per row.
TEST(Vectoriser, ProgressTextsAndPositionsStepByAHundredthOfTheHeight)
{
    for (int height : {99, 100, 250}) {
        TraceRun run;
        ASSERT_EQ(run.run(FromText(blank(3, height))).result, 1);
        const int step = std::max(height / 100, 1);
        test::ProgressShown expected{"Vectorisation", 100, {"Converted 0 pixel rows..."}, {0, 1}};
        for (int i = 0; i < height; i += step) {
            expected.stages.push_back("Vectorised " + std::to_string(i * 3) + " pixels...");
            expected.positions.push_back(i / step);
        }
        expected.stages.push_back("Done.");
        expected.positions.push_back(100);
        EXPECT_TRUE(test::ShowedProgress(run.port, expected)) << height;
        EXPECT_EQ(run.port.checkCount(), height);
    }
}

TEST(Vectoriser, CancelStopsBeforeTheRowAndLeavesStoredLinesToTheCaller)
{
    test::Text rows = blank(6, 8);
    rows[0] = rows[6] = ".###..";
    TraceRun run;
    run.port.cancelFromCheck(3);
    EXPECT_EQ(run.run(FromText(rows)).result, 0);
    EXPECT_EQ(run.lines(), (std::vector<Points>{{{3, 0}, {1, 0}}}));
    EXPECT_EQ(run.store.m_nTotalLines, 1);
    EXPECT_TRUE(test::ShowedProgress(run.port, {"Vectorisation", 100,
                                                {"Converted 0 pixel rows...", "Vectorised 0 pixels...",
                                                 "Vectorised 6 pixels...", "Done."},
                                                {0, 1, 0, 1, 100}}));
}

// Random one-pixel strokes as drawn, never thinned: their corners and
// crossings hold the crowded and L-shaped clusters that thinning removes
// (a user may trace such a drawing directly). A pixel too crowded stops
// the trace with a message; the lines stored until then must still hold.
TEST(Vectoriser, UnthinnedStrokesAreCoveredByLinesMeetingOnlyAtTheirEnds)
{
    int clean = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        CBitmapImage image = FromText(blank(120, 90));
        for (int i = 0; i < 10; ++i)
            test::DrawStroke(image, random() % 120, random() % 90, random() % 120, random() % 90, 1.0);
        TraceRun run;
        run.run(image);
        const bool complete = run.port.messages().empty();
        ASSERT_EQ(run.result == 1, complete);
        test::ExpectLinesFollowStrokes(run.store, test::ToText(image), complete);
        EXPECT_TRUE(!complete || run.unwritten == 0);
        clean += complete;
    }
    EXPECT_GE(clean, 8) << "most drawings trace without a message";
}

} // namespace
} // namespace orvane
