// Clean tracing of ink that thins to a mesh rather than to strokes: scanner
// noise on a dark scan, a photograph, hatching finer than a stroke. Such
// ink has junctions a pixel or two apart everywhere, and joining near
// junctions into one place must not chain them into one junction for the
// whole picture (which took hours and gigabytes, and traced a grid as a
// single line).
#include "commands/processing_commands.h"

#include "core/vector/vector_fixture.h"
#include "support/drawings.h"

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>

namespace orvane {
namespace {

using test::Points;


void ink(CBitmapImage& image, int x, int y) { image.SetPixelColor(x, y, 0, 0, 0); }

struct Traced {
    std::vector<Points> lines;
    bool succeeded = false;
};

Traced traceClean(CBitmapImage image, int method)
{
    AppSettings settings;
    settings.m_nOneTouchMethod = std::int16_t(method);
    settings.m_nTopology = kTopologyClean;
    settings.m_nDespeckleSize = 0; // the noise is the drawing here
    RecordingPort port;
    CLineStore store;
    Traced traced;
    traced.succeeded = OneTouchCommand(image, store, port, settings, nullptr).succeeded;
    for (const auto& line : store.lines())
        traced.lines.push_back(test::pointsOf(*line));
    return traced;
}

/// The most line ends that meet at one point.
int mostEndsAtOnePoint(const std::vector<Points>& lines)
{
    std::map<std::pair<double, double>, int> ends;
    int most = 0;
    for (const Points& line : lines)
        for (const auto& end : {line.front(), line.back()})
            most = std::max(most, ++ends[end]);
    return most;
}


TEST(CleanTopologyMesh, NoiseIsTracedAsManyShortLinesNotOneJunction)
{
    // Half the pixels ink, at random: thinning leaves a mesh with a
    // junction every pixel or two.
    CBitmapImage image = test::WhiteImage(320, 240);
    std::mt19937 random(7);
    for (int y = 1; y <= 240; ++y)
        for (int x = 1; x <= 320; ++x)
            if (random() & 1)
                ink(image, x, y);
    for (int method : {kOneTouchZhangSuen, kOneTouchStentiford}) {
        SCOPED_TRACE(method);
        const Traced traced = traceClean(image.Clone(), method);
        ASSERT_TRUE(traced.succeeded);
        EXPECT_GT(traced.lines.size(), 100u);
        // A place where strokes meet gathers a few dozen branches at most.
        EXPECT_LE(mostEndsAtOnePoint(traced.lines), 48);
    }
}

TEST(CleanTopologyMesh, AFineGridStaysManyLinesEachShorterThanTheGrid)
{
    // Lines one pixel wide, three pixels apart both ways: every crossing is
    // within merging distance of the next.
    CBitmapImage image = test::WhiteImage(100, 100);
    for (int y = 10; y <= 90; ++y)
        for (int x = 10; x <= 90; ++x)
            if ((x - 10) % 3 == 0 || (y - 10) % 3 == 0)
                ink(image, x, y);
    for (int method : {kOneTouchZhangSuen, kOneTouchStentiford}) {
        SCOPED_TRACE(method);
        const Traced traced = traceClean(image.Clone(), method);
        ASSERT_TRUE(traced.succeeded);
        EXPECT_GE(traced.lines.size(), 54u); // 27 lines each way were drawn
        for (const Points& line : traced.lines)
            EXPECT_LE(test::lengthOf(line), 2 * 81.0); // no line wanders over the grid
        EXPECT_LE(mostEndsAtOnePoint(traced.lines), 48);
    }
}

} // namespace
} // namespace orvane
