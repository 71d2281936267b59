// Clean tracing of strokes that turn sharply, as lettering and arrowheads
// do: the point of a V, the corners of an N, an I with serifs. A stroke
// that turns by more than a right angle is one line through its corner,
// and a short bar across the end of another is one line, no crossing.
#include "commands/processing_commands.h"

#include "core/vector/vector_fixture.h"
#include "support/drawings.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace orvane {
namespace {

using test::Points;
using Point = std::pair<double, double>;

constexpr double kPi = 3.14159265358979323846;


std::vector<Points> traceClean(CBitmapImage image, int method)
{
    AppSettings settings;
    settings.m_nOneTouchMethod = std::int16_t(method);
    settings.m_nTopology = kTopologyClean;
    RecordingPort port;
    CLineStore store;
    EXPECT_TRUE(OneTouchCommand(image, store, port, settings, nullptr).succeeded);
    std::vector<Points> lines;
    for (const auto& line : store.lines())
        lines.push_back(test::pointsOf(*line));
    return lines;
}

/// Drawn points count columns and rows from 1, traced points from 0.
Point traced(double x, double y) { return {x - 1, y - 1}; }

double distanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.first - a.first, dy = b.second - a.second, lengthSq = dx * dx + dy * dy;
    const double t =
        lengthSq > 0 ? std::clamp(((p.first - a.first) * dx + (p.second - a.second) * dy) / lengthSq, 0.0, 1.0) : 0.0;
    return std::hypot(a.first + t * dx - p.first, a.second + t * dy - p.second);
}

double distanceToLine(Point p, const Points& line)
{
    double nearest = std::hypot(line[0].first - p.first, line[0].second - p.second);
    for (std::size_t i = 1; i < line.size(); ++i)
        nearest = std::min(nearest, distanceToSegment(p, line[i - 1], line[i]));
    return nearest;
}


/// The farthest any vertex of the traced lines lies from the drawn strokes.
double farthestFromDrawn(const std::vector<Points>& lines, const std::vector<Points>& drawn)
{
    double farthest = 0;
    for (const Points& line : lines)
        for (Point p : line) {
            double nearest = 1e9;
            for (const Points& stroke : drawn)
                nearest = std::min(nearest, distanceToLine(p, stroke));
            farthest = std::max(farthest, nearest);
        }
    return farthest;
}

/// Draws a pen stroke through the points (drawing coordinates) and returns
/// it in traced coordinates.
Points drawPolyline(CBitmapImage& image, const Points& points, double width)
{
    Points stroke;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0)
            test::DrawStroke(image, points[i - 1].first, points[i - 1].second, points[i].first, points[i].second,
                             width);
        stroke.push_back(traced(points[i].first, points[i].second));
    }
    return stroke;
}

class CleanTopologyCorners : public ::testing::TestWithParam<int> {};

TEST_P(CleanTopologyCorners, AStrokeTurningSharplyIsOneLineThroughItsCorner)
{
    // (Thinning rounds the point of a wider V, 60 degrees at 4 pixels, by
    // more, with no junction left to mend.)
    for (double angle : {30.0, 40.0, 60.0})
        for (double width : {2.5, 3.0, 4.0}) {
            if (angle == 60.0 && width == 4.0)
                continue;
            SCOPED_TRACE(testing::Message() << "V of " << angle << " degrees, " << width << " wide");
            CBitmapImage image = test::WhiteImage(100, 100);
            const double half = angle / 2 * kPi / 180, legs = 60;
            const Point corner{50.3, 80.6};
            const Points v = drawPolyline(image,
                                          {{corner.first - legs * std::sin(half), corner.second - legs * std::cos(half)},
                                           corner,
                                           {corner.first + legs * std::sin(half), corner.second - legs * std::cos(half)}},
                                          width);
            const std::vector<Points> lines = traceClean(image.Clone(), GetParam());
            ASSERT_EQ(lines.size(), 1u);
            // The line turns at the corner, not short of it (smoothing
            // takes the pixel or so of a sharp corner's point).
            EXPECT_LE(distanceToLine(v[1], lines[0]), 2.0);
            EXPECT_LE(farthestFromDrawn(lines, {v}), 1.5);
        }
    {
        SCOPED_TRACE("N");
        CBitmapImage image = test::WhiteImage(80, 100);
        const Points n = drawPolyline(image, {{20.5, 85.5}, {20.5, 15.5}, {60.5, 85.5}, {60.5, 15.5}}, 3);
        const std::vector<Points> lines = traceClean(image.Clone(), GetParam());
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_LE(distanceToLine(n[1], lines[0]), 2.0);
        EXPECT_LE(distanceToLine(n[2], lines[0]), 2.0);
        EXPECT_LE(farthestFromDrawn(lines, {n}), 1.5);
    }
}

TEST_P(CleanTopologyCorners, AYKeepsItsStemAndAnIsSerifsAreBarsAcrossIt)
{
    {
        SCOPED_TRACE("Y");
        CBitmapImage image = test::WhiteImage(100, 100);
        const Points arms = drawPolyline(image, {{25.5, 15.5}, {50.5, 50.5}, {75.5, 15.5}}, 3);
        const Points stem = drawPolyline(image, {{50.5, 50.5}, {50.5, 88.5}}, 3);
        const std::vector<Points> lines = traceClean(image.Clone(), GetParam());
        EXPECT_LE(farthestFromDrawn(lines, {arms, stem}), 1.5);
        // The stem is traced to its end.
        double reach = 0;
        for (const Points& line : lines)
            for (Point p : line)
                reach = std::max(reach, p.second);
        EXPECT_GE(reach, stem[1].second - 1.5);
    }
    // An I of lettering 18 to 30 pixels high, serifs a third of a stem
    // across: the serifs' ends lie close enough to the stem for two
    // straight lines from corner to corner to seem to run along it.
    for (double height : {18.0, 24.0, 30.0})
        for (double offset : {0.0, 0.25, 0.5, 0.75}) {
            SCOPED_TRACE(testing::Message() << "I " << height << " high, " << offset << " off the pixel grid");
            CBitmapImage image = test::WhiteImage(60, 60);
            const double u = height / 6, x = 30 + offset, top = 15 + offset;
            const Points stem = drawPolyline(image, {{x, top}, {x, top + height}}, 2.5);
            const Points upper = drawPolyline(image, {{x - u, top}, {x + u, top}}, 2.5);
            const Points lower = drawPolyline(image, {{x - u, top + height}, {x + u, top + height}}, 2.5);
            const std::vector<Points> lines = traceClean(image.Clone(), GetParam());
            EXPECT_LE(farthestFromDrawn(lines, {stem, upper, lower}), 1.5);
            // Each serif is traced out to both its ends, whichever way
            // thinning left its pixels stored. (At 18 pixels a serif's half
            // is no longer than thinning's spurs, and may go as one.)
            for (const Points* serif : {&upper, &lower})
                if (height > 18.0)
                    for (Point end : *serif) {
                        double nearest = 1e9;
                        for (const Points& line : lines)
                            nearest = std::min(nearest, distanceToLine(end, line));
                        EXPECT_LE(nearest, 2.0) << end.first << ", " << end.second;
                    }
            // A serif is one line across the stem's end, not two stubs
            // meeting there. (Where thinning leaves only one half of it,
            // that half is all there is.)
            for (std::size_t i = 0; i < lines.size(); ++i)
                for (std::size_t j = i + 1; j < lines.size(); ++j) {
                    if (test::lengthOf(lines[i]) >= 5.0 || test::lengthOf(lines[j]) >= 5.0)
                        continue;
                    for (Point p : {lines[i].front(), lines[i].back()}) {
                        EXPECT_FALSE(p == lines[j].front() || p == lines[j].back())
                            << "two stubs meet at " << p.first << ", " << p.second;
                    }
                }
        }
}

INSTANTIATE_TEST_SUITE_P(BothMethods, CleanTopologyCorners, ::testing::Values(kOneTouchZhangSuen, kOneTouchStentiford));

} // namespace
} // namespace orvane
