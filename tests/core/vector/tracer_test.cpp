// The tracing rules on small drawings: ends, runs, bends, junctions, loops,
// point order and the tracer's messages.
#include "vector/tracer.h"

#include "support/progress_check.h"
#include "vector_fixture.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::FromText;
using test::Points;
using test::TraceRun;

TEST(Tracer, ExamplesGiveTheirLinesInOrderFromTheirLaterEnd)
{
    struct Case { const char* what; std::vector<std::string> rows; std::vector<Points> lines; };
    const Case cases[] = {
        {"isolated pixel", {"...", ".#.", "..."}, {}},
        {"east run", {".....", ".....", ".###.", "....."}, {{{3, 2}, {1, 2}}}},
        {"single row", {".###."}, {{{3, 0}, {1, 0}}}},
        {"south run", {".#.", ".#.", ".#.", ".#."}, {{{1, 3}, {1, 0}}}},
        {"south-east run", {"#...", ".#..", "..#.", "...."}, {{{2, 2}, {0, 0}}}},
        {"south-west run", {"...#", "..#.", ".#..", "#..."}, {{{0, 3}, {3, 0}}}},
        // The corner of a thinned L is a diagonal step: both of its pixels
        // are bends, so the line has the lower end, two corner vertices and
        // the left end.
        {"thinned L", {"###..", "...#.", "...#.", "...#."}, {{{3, 3}, {3, 1}, {2, 0}, {0, 0}}}},
        // A right-angled corner makes the pixel before it a junction instead
        // (W, E and SE are set); the corner itself is a bend and the pixel
        // below it, touching the junction diagonally, a junction too.
        {"right-angled L", {"###", "..#", "..#"}, {{{1, 0}, {0, 0}}, {{2, 1}, {2, 0}, {1, 0}}, {{2, 2}, {2, 1}}}},
        {"diamond ring closes at the join pixel", {".#.", "#.#", ".#."}, {{{1, 2}, {2, 1}, {1, 0}, {0, 1}, {1, 2}}}},
        {"T splits at its junctions",
         {"###", ".#.", ".#."},
         {{{1, 0}, {0, 0}}, {{2, 0}, {1, 0}}, {{1, 1}, {1, 0}}, {{1, 2}, {1, 1}}}},
        // The top pixel has two outgoing branches (SW and SE): a vertex with
        // two tips. The left end comes first but the right branch is still
        // open; the line is written from the right end, made last.
        {"line begun in its middle", {"..#..", ".#.#.", "#...#"}, {{{4, 2}, {2, 0}, {0, 2}}}},
        {"V closed by a join", {"#...#", ".#.#.", "..#.."}, {{{0, 0}, {2, 2}, {4, 0}}}},
        // Its branches join at the bottom pixel; the closed line starts and ends there.
        {"ring begun in its middle",
         {"..#..", ".#.#.", "#...#", ".#.#.", "..#.."},
         {{{2, 4}, {4, 2}, {2, 0}, {0, 2}, {2, 4}}}},
    };
    for (const Case& c : cases) {
        TraceRun run;
        run.run(FromText(c.rows));
        EXPECT_EQ(run.result, 1) << c.what;
        EXPECT_TRUE(run.port.messages().empty()) << c.what;
        EXPECT_EQ(run.unwritten, 0u) << c.what << ": every line of a clean drawing is written";
        EXPECT_EQ(run.lines(), c.lines) << c.what;
    }
}

TEST(Tracer, CrowdedPixelStopsTheRunWithItsPositionAndKeepsEarlierLines)
{
    TraceRun run;
    run.run(FromText({"#.........", "#.........", "#...###...", "....###...", "....##....", ".........."}));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.port.messages(), std::vector<std::string>{"Crowded pixel. 7 neighbours found at (X 6,Y 4).\n"
                                                            "Image is not thinned properly.\n"
                                                            "Please run Image-Thinning function.\n"});
    // Lines finished before the crowded pixel stay stored, among them those
    // between the junctions of the blob's first row.
    EXPECT_EQ(run.lines(),
              (std::vector<Points>{{{0, 2}, {0, 0}}, {{5, 2}, {4, 2}}, {{6, 2}, {5, 2}}, {{4, 3}, {4, 2}}}));
    // The run ended at once: no closing texts or position, the display
    // closes with the vectoriser.
    EXPECT_TRUE(test::ShowedProgress(run.port, {"Vectorisation", 100,
                                                {"Converted 0 pixel rows...", "Vectorised 0 pixels...",
                                                 "Vectorised 10 pixels...", "Vectorised 20 pixels...",
                                                 "Vectorised 30 pixels..."},
                                                {0, 1, 0, 1, 2, 3}}));
}

TEST(Tracer, EmptySlotWarnsAndRestartsTheLineAtTheBend)
{
    // Called directly, a bend pixel with no tip waiting in its slot.
    struct Collect final : TracedLineSink {
        int StoreTracedLine(PointList&) override { return ++stored, 1; }
        int stored = 0;
    } sink;
    RecordingPort port;
    CTracer tracer(port, sink);
    ASSERT_EQ(tracer.begin(5), 1);
    tracer.row = 2;
    tracer.nCol = 3;
    tracer.N = tracer.E = 1;
    EXPECT_EQ(tracer.process_pixel(2), 1);
    EXPECT_EQ(port.messages(),
              (std::vector<std::string>{"Warning! v_list[nCol].center is NULL!", "WARNING! extend line:  p is NULL\n"}));
    // An end whose slot is empty is passed over without harm; so is a join.
    tracer.E = 0;
    tracer.nCol = 1;
    tracer.row = 3;
    EXPECT_EQ(tracer.process_pixel(1), 1);
    tracer.W = 1;
    tracer.nCol = 4;
    EXPECT_EQ(tracer.process_pixel(2), 1);
    EXPECT_EQ(port.messages().size(), 2u);
    EXPECT_EQ(sink.stored, 0);
    // The restarted line (end, tip, new tip) was never finished.
    EXPECT_EQ(tracer.end(), 3u);
}

} // namespace
} // namespace orvane
