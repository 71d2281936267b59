// The tracing rules on small drawings: ends, runs, bends, junctions, loops,
// point order and the tracer's messages.
#include "vector/tracer.h"

#include "trace_fixture.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::drawing;
using test::Points;
using test::TraceRun;

std::vector<Points> trace(const std::vector<std::string>& rows)
{
    TraceRun run;
    run.run(drawing(rows));
    EXPECT_EQ(run.result, 1);
    EXPECT_TRUE(run.port.messages().empty());
    EXPECT_EQ(run.unwritten, 0u) << "every line of a clean drawing is written";
    return run.lines();
}

TEST(Tracer, IsolatedPixelMakesNoLine)
{
    EXPECT_TRUE(trace({"...", ".#.", "..."}).empty());
}

TEST(Tracer, StraightRunsAreWrittenFromTheirLaterEnd)
{
    EXPECT_EQ(trace({".....", ".....", ".....", ".....", ".###.", "....."}),
              (std::vector<Points>{{{3, 4}, {1, 4}}}));
    EXPECT_EQ(trace({".#.", ".#.", ".#.", ".#."}), (std::vector<Points>{{{1, 3}, {1, 0}}}));
    EXPECT_EQ(trace({"#...", ".#..", "..#.", "...."}), (std::vector<Points>{{{2, 2}, {0, 0}}}));
    EXPECT_EQ(trace({"...#", "..#.", ".#..", "#..."}), (std::vector<Points>{{{0, 3}, {3, 0}}}));
}

TEST(Tracer, ThinnedLTurnsThroughItsDiagonalStep)
{
    // The corner of a thinned L is a diagonal step: both of its pixels are
    // bends, so the line has the lower end, two corner vertices and the left end.
    EXPECT_EQ(trace({"###..", "...#.", "...#.", "...#."}), (std::vector<Points>{{{3, 3}, {3, 1}, {2, 0}, {0, 0}}}));
    // A right-angled corner makes the pixel before it a junction instead
    // (W, E and SE are set); the corner itself is a bend and the pixel below
    // it, touching the junction diagonally, a junction too.
    EXPECT_EQ(trace({"###", "..#", "..#"}),
              (std::vector<Points>{{{1, 0}, {0, 0}}, {{2, 1}, {2, 0}, {1, 0}}, {{2, 2}, {2, 1}}}));
}

TEST(Tracer, DiamondRingClosesAtTheJoinPixel)
{
    EXPECT_EQ(trace({".#.", "#.#", ".#."}), (std::vector<Points>{{{1, 2}, {2, 1}, {1, 0}, {0, 1}, {1, 2}}}));
}

TEST(Tracer, TeeSplitsIntoFourLinesAtItsJunctions)
{
    EXPECT_EQ(trace({"###", ".#.", ".#."}),
              (std::vector<Points>{{{1, 0}, {0, 0}}, {{2, 0}, {1, 0}}, {{1, 1}, {1, 0}}, {{1, 2}, {1, 1}}}));
}

TEST(Tracer, LineBegunInItsMiddleIsWrittenOnceBothEndsAreKnown)
{
    // The top pixel has two outgoing branches (SW and SE): a vertex with two
    // tips. The left end comes first but the right branch is still open; the
    // line is written from the right end, made last.
    EXPECT_EQ(trace({"..#..", ".#.#.", "#...#"}), (std::vector<Points>{{{4, 2}, {2, 0}, {0, 2}}}));
    // A V whose branches meet at the bottom closes the line by a join.
    EXPECT_EQ(trace({"#...#", ".#.#.", "..#.."}), (std::vector<Points>{{{0, 0}, {2, 2}, {4, 0}}}));
}

TEST(Tracer, CrowdedPixelStopsTheRunWithItsPositionAndKeepsEarlierLines)
{
    TraceRun run;
    run.run(drawing({"#.........", "#.........", "#...###...", "....###...", "....##....", ".........."}));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.port.messages(), std::vector<std::string>{"Crowded pixel. 7 neighbours found at (X 6,Y 4).\n"
                                                            "Image is not thinned properly.\n"
                                                            "Please run Image-Thinning function.\n"});
    // Lines finished before the crowded pixel stay stored, among them those
    // between the junctions of the blob's first row.
    EXPECT_EQ(run.lines(),
              (std::vector<Points>{{{0, 2}, {0, 0}}, {{5, 2}, {4, 2}}, {{6, 2}, {5, 2}}, {{4, 3}, {4, 2}}}));
    // The run ended at once: no closing texts, the display closes with the
    // vectoriser.
    EXPECT_EQ(run.port.progressTexts().back(), "Vectorised 30 pixels...");
    EXPECT_EQ(run.port.events().back().kind, PortEvent::Kind::ProgressClose);
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
    tracer.N = 1;
    tracer.E = 1;
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

TEST(Tracer, RingBegunInItsMiddleClosesWhereItsBranchesMeet)
{
    // The top pixel starts two branches; they join at the bottom pixel and
    // the closed line starts and ends there.
    TraceRun run;
    run.run(drawing({"..#..", ".#.#.", "#...#", ".#.#.", "..#.."}));
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.lines(), (std::vector<Points>{{{2, 4}, {4, 2}, {2, 0}, {0, 2}, {2, 4}}}));
    EXPECT_EQ(run.unwritten, 0u);
}

} // namespace
} // namespace orvane
