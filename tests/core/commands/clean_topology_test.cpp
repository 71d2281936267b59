// Clean tracing through One-Touch on small drawn cases: one line per drawn
// stroke, lines meeting at a junction at exactly one point, closed shapes
// closed, spurs and specks gone, nothing refused, and no line farther than
// the tolerance from its centre pixels.
#include "commands/processing_commands.h"

#include "core/vector/vector_fixture.h"
#include "support/drawings.h"
#include "image/ink_mask.h"
#include "vector/line_quality.h"
#include "vector/skeleton_graph.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <tuple>

namespace orvane {
namespace {

using test::Points;

constexpr double kPi = 3.14159265358979323846;


/// A circle outline of the given stroke width, as short strokes.
void drawCircle(CBitmapImage& image, double cx, double cy, double radius, double width)
{
    const int steps = 72;
    for (int i = 0; i < steps; ++i) {
        const double a = 2 * kPi * i / steps, b = 2 * kPi * (i + 1) / steps;
        test::DrawStroke(image, cx + radius * std::cos(a), cy + radius * std::sin(a), cx + radius * std::cos(b),
                         cy + radius * std::sin(b), width);
    }
}

struct Traced {
    std::vector<Points> lines;
    std::vector<LineQuality> quality;
    std::vector<std::string> messages;
    bool succeeded = false;
};

Traced clean(CBitmapImage image, int method, int despeckle = -1)
{
    AppSettings settings;
    settings.m_nOneTouchMethod = std::int16_t(method);
    settings.m_nTopology = kTopologyClean;
    settings.m_nDespeckleSize = despeckle;
    settings.m_bRetainOriginal = 0;
    RecordingPort port;
    CLineStore store;
    Traced traced;
    traced.succeeded = OneTouchCommand(image, store, port, settings, &traced.quality).succeeded;
    for (const auto& line : store.lines())
        traced.lines.push_back(test::pointsOf(*line));
    traced.messages = port.messages();
    return traced;
}

double distance(std::pair<double, double> a, std::pair<double, double> b)
{
    return std::hypot(a.first - b.first, a.second - b.second);
}

/// Whether the line runs from near one point to near the other (either way).
bool spans(const Points& line, std::pair<double, double> a, std::pair<double, double> b, double slack)
{
    const auto first = line.front(), last = line.back();
    return (distance(first, a) <= slack && distance(last, b) <= slack) ||
           (distance(first, b) <= slack && distance(last, a) <= slack);
}

bool hasVertex(const Points& line, std::pair<double, double> p)
{
    return std::find(line.begin(), line.end(), p) != line.end();
}

void expectWithinTolerance(const Traced& traced)
{
    for (const LineQuality& q : traced.quality)
        EXPECT_LE(q.maxDistance, 0.5 + 1e-9) << "line " << q.id;
}

// Image columns and rows from 1 in drawing calls; traced points count from
// 0, so the point of drawn (x, y) is (x - 1, y - 1).
std::pair<double, double> at(double x, double y) { return {x - 1, y - 1}; }

class CleanTopology : public ::testing::TestWithParam<int> {};

TEST_P(CleanTopology, CrossingsGiveOneLinePerStroke)
{
    for (double angle : {90.0, 60.0, 35.0, 20.0, 12.0}) {
        SCOPED_TRACE(angle);
        CBitmapImage image = test::WhiteImage(120, 120);
        const double r = 45, a = angle * kPi / 180;
        test::DrawStroke(image, 60 - r, 60, 60 + r, 60, 5);
        test::DrawStroke(image, 60 - r * std::cos(a), 60 - r * std::sin(a), 60 + r * std::cos(a),
                         60 + r * std::sin(a), 5);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_TRUE(t.succeeded);
        ASSERT_EQ(t.lines.size(), 2u);
        int horizontal = spans(t.lines[0], at(60 - r, 60), at(60 + r, 60), 2.0) ? 0 : 1;
        EXPECT_TRUE(spans(t.lines[horizontal], at(60 - r, 60), at(60 + r, 60), 2.0));
        EXPECT_TRUE(spans(t.lines[1 - horizontal], at(60 - r * std::cos(a), 60 - r * std::sin(a)),
                          at(60 + r * std::cos(a), 60 + r * std::sin(a)), 2.0));
        // Both pass through the one crossing point.
        bool shared = false;
        for (const auto& p : t.lines[0])
            shared = shared || hasVertex(t.lines[1], p);
        EXPECT_TRUE(shared);
        for (const LineQuality& q : t.quality)
            EXPECT_EQ(q.freeEnds, 2);
        expectWithinTolerance(t);
    }
}

TEST_P(CleanTopology, TAndYJunctionsMeetAtOnePoint)
{
    {
        SCOPED_TRACE("T");
        CBitmapImage image = test::WhiteImage(120, 100);
        test::DrawStroke(image, 15, 20, 105, 20, 4);
        test::DrawStroke(image, 60, 20, 60, 85, 4);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 2u);
        const int through = spans(t.lines[0], at(15, 20), at(105, 20), 2.0) ? 0 : 1;
        ASSERT_TRUE(spans(t.lines[through], at(15, 20), at(105, 20), 2.0));
        const Points& stem = t.lines[1 - through];
        // The stem ends exactly on a vertex of the through line.
        const bool touches = hasVertex(t.lines[through], stem.front()) || hasVertex(t.lines[through], stem.back());
        EXPECT_TRUE(touches);
        EXPECT_TRUE(distance(stem.front(), at(60, 85)) <= 2.0 || distance(stem.back(), at(60, 85)) <= 2.0);
        expectWithinTolerance(t);
    }
    {
        // A heavy stem at 60 degrees on a thin bar: the few pixels of the
        // bar beside the junction step, and must not read as a turn.
        SCOPED_TRACE("slanted T");
        CBitmapImage image = test::WhiteImage(140, 110);
        test::DrawStroke(image, 15, 20, 125, 20, 2);
        test::DrawStroke(image, 80, 20, 80 - 37.5, 20 + 65, 4);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 2u);
        EXPECT_TRUE(spans(t.lines[0], at(15, 20), at(125, 20), 2.0) || spans(t.lines[1], at(15, 20), at(125, 20), 2.0));
    }
    {
        // A line bending by 25 degrees where a short tick leaves it straight
        // on: the line goes on into its own long branch, not the tick.
        SCOPED_TRACE("tick straight on at a bend");
        CBitmapImage image = test::WhiteImage(120, 130);
        const double bx = 60 + 55 * std::sin(25 * kPi / 180), by = 60 + 55 * std::cos(25 * kPi / 180);
        test::DrawStroke(image, 60, 5, 60, 60, 3);
        test::DrawStroke(image, 60, 60, bx, by, 3);
        test::DrawStroke(image, 60, 60, 60, 69, 2);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 2u);
        EXPECT_TRUE(spans(t.lines[0], at(60, 5), at(bx, by), 2.0) || spans(t.lines[1], at(60, 5), at(bx, by), 2.0));
    }
    {
        // An H: the bar ends on each post; the posts are not a crossing.
        SCOPED_TRACE("H");
        CBitmapImage image = test::WhiteImage(100, 100);
        test::DrawStroke(image, 40, 15, 40, 85, 4);
        test::DrawStroke(image, 56, 15, 56, 85, 4);
        test::DrawStroke(image, 40, 50, 56, 50, 4);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 3u);
        int posts = 0;
        for (const Points& line : t.lines)
            posts += spans(line, at(40, 15), at(40, 85), 2.0) || spans(line, at(56, 15), at(56, 85), 2.0);
        EXPECT_EQ(posts, 2);
    }
    {
        SCOPED_TRACE("Y");
        CBitmapImage image = test::WhiteImage(120, 120);
        std::vector<std::pair<double, double>> tips;
        for (int k = 0; k < 3; ++k) {
            const double a = -kPi / 2 + k * 2 * kPi / 3;
            tips.push_back({60 + 45 * std::cos(a), 60 + 45 * std::sin(a)});
            test::DrawStroke(image, 60, 60, tips.back().first, tips.back().second, 4);
        }
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 3u);
        // Three lines, none continuing another, all ending at the same point.
        std::map<std::pair<double, double>, int> ends;
        for (const Points& line : t.lines) {
            ++ends[line.front()];
            ++ends[line.back()];
        }
        int most = 0;
        for (const auto& [point, count] : ends)
            most = std::max(most, count);
        EXPECT_EQ(most, 3);
        expectWithinTolerance(t);
    }
}

/// Inks the '#' cells of `rows` with their top left cell at (x, y).
void paint(CBitmapImage& image, int x, int y, std::initializer_list<const char*> rows)
{
    for (const char* row : rows) {
        for (int k = 0; row[k]; ++k)
            if (row[k] == '#')
                image.SetPixelColor(x + k, y, 0, 0, 0);
        ++y;
    }
}

// Scanned strokes have rough edges, and thinning then splits a crossing or
// joins a neighbour in ways clean strokes never show: the two junctions
// must still be read as the place they are.
TEST_P(CleanTopology, RoughCrossingsAndTouchingStrokesKeepLinesWhole)
{
    {
        // A 45 degree band across a line with a ragged lower edge: thinning
        // forks the crossing, and the line's pixels bend into each fork.
        const char* ragged[] = {"...#.#..#.#.#.", "#...#.#..#...#", "#.#.##.#...#.."};
        for (const char* edge : ragged)
            for (int shift = 0; shift < 5; ++shift) {
                SCOPED_TRACE(std::string(edge) + " shift " + std::to_string(shift));
                CBitmapImage image = test::WhiteImage(160, 120);
                for (int x = 5; x < 155; ++x) {
                    for (int y = 58; y <= 60; ++y)
                        image.SetPixelColor(x, y, 0, 0, 0);
                    if (edge[x % 14] == '#')
                        image.SetPixelColor(x, 61, 0, 0, 0);
                }
                for (int y = 10; y < 110; ++y)
                    for (int k = 0; k < 5; ++k)
                        image.SetPixelColor(80 + shift + 58 - y + k, y, 0, 0, 0);
                const Traced t = clean(image.Clone(), GetParam());
                ASSERT_EQ(t.lines.size(), 2u);
                const int line = spans(t.lines[0], at(5, 59.5), at(154, 59.5), 2.0) ? 0 : 1;
                EXPECT_TRUE(spans(t.lines[line], at(5, 59.5), at(154, 59.5), 2.0));
                EXPECT_TRUE(spans(t.lines[1 - line], at(82 + shift + 48, 10), at(82 + shift - 51, 109), 2.5));
                expectWithinTolerance(t);
            }
    }
    for (int rows = 3; rows <= 5; ++rows) {
        // A letter (strokes crossing round a hole, as scanned) whose lowest
        // stroke ends on a heavy line: the line goes on under it, the
        // letter's junction is no part of it.
        SCOPED_TRACE("letter on a line " + std::to_string(rows));
        CBitmapImage image = test::WhiteImage(120, 60);
        paint(image, 50, 20,
              {"....#.........", "...####.......", "....###.......", ".....###......", ".....###......", "......###.....",
               "...##.####....", "..###.#####...", "..########....", "..########....", "..####..###...", "..#####.###...",
               "..##########..", "...#########..", ".....####.....", ".....##......."});
        for (int y = 36; y < 36 + rows; ++y)
            for (int x = 10; x < 110; ++x)
                image.SetPixelColor(x, y, 0, 0, 0);
        const Traced t = clean(image.Clone(), GetParam());
        const double middle = 36 + (rows - 1) / 2.0;
        int whole = 0;
        for (const Points& line : t.lines)
            whole += spans(line, at(10, middle), at(109, middle), 2.5);
        EXPECT_EQ(whole, 1);
        expectWithinTolerance(t);
    }
}

/// How many of the lines run from near one end of a stroke to near its
/// other end.
int spanning(const Traced& t, std::pair<double, double> a, std::pair<double, double> b, double slack)
{
    int count = 0;
    for (const Points& line : t.lines)
        count += spans(line, a, b, slack);
    return count;
}

// A thin line crossing a thick one leaves, after thinning, two junctions
// joined by two short edges round a little hole: both lines go on through
// that place whole, each by one of the two edges.
TEST_P(CleanTopology, ThinLinesThroughARingAtAThickLineStayWhole)
{
    for (int hole = 0; hole < 3; ++hole) {
        CBitmapImage image = test::WhiteImage(90, 50);
        test::DrawStroke(image, 5, 25, 85, 25, 6);
        test::DrawStroke(image, 20, 5, 70, 45, 1 + hole % 2);
        // A speck of paper in the crossing, as scanning leaves.
        for (int y = 24; y <= 25 + hole / 2; ++y)
            for (int x = 44; x <= 45 + hole; ++x)
                image.SetPixelColor(x, y, 255, 255, 255);
        const Traced t = clean(image, GetParam());
        ASSERT_TRUE(t.succeeded);
        EXPECT_EQ(spanning(t, at(5, 25), at(85, 25), 4.0), 1) << "thick line, hole " << hole;
        EXPECT_EQ(spanning(t, at(20, 5), at(70, 45), 4.0), 1) << "thin line, hole " << hole;
        expectWithinTolerance(t);
    }
}

/// How many of the lines pass within `reach` of a point.
int passingNear(const Traced& t, std::pair<double, double> p, double reach)
{
    int count = 0;
    for (const Points& line : t.lines) {
        bool near = false;
        for (std::size_t i = 0; i + 1 < line.size() && !near; ++i) {
            const double dx = line[i + 1].first - line[i].first, dy = line[i + 1].second - line[i].second;
            const double lengthSq = dx * dx + dy * dy;
            const double along = lengthSq > 0 ? std::clamp(((p.first - line[i].first) * dx + (p.second - line[i].second) * dy) / lengthSq, 0.0, 1.0) : 0.0;
            near = distance(p, {line[i].first + along * dx, line[i].second + along * dy}) <= reach;
        }
        count += near;
    }
    return count;
}

// Two strokes crossing at a few degrees run together for tens of pixels, and
// thinning leaves one path for both, longer than one place: each stroke
// still comes out as one line, both running along that path.
TEST_P(CleanTopology, ShallowCrossingsGiveTwoWholeLines)
{
    for (const auto& [angle, width] : {std::pair{4.0, 3.0}, {5.0, 3.0}, {4.0, 2.0}, {6.0, 2.0}}) {
        SCOPED_TRACE(std::to_string(angle) + " degrees, width " + std::to_string(width));
        CBitmapImage image = test::WhiteImage(300, 60);
        const double r = 140, a = angle * kPi / 180;
        test::DrawStroke(image, 150 - r, 30, 150 + r, 30, width);
        test::DrawStroke(image, 150 - r * std::cos(a), 30 - r * std::sin(a), 150 + r * std::cos(a),
                         30 + r * std::sin(a), width);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_TRUE(t.succeeded);
        EXPECT_EQ(t.lines.size(), 2u);
        EXPECT_EQ(spanning(t, at(150 - r, 30), at(150 + r, 30), 2.5), 1);
        EXPECT_EQ(spanning(t, at(150 - r * std::cos(a), 30 - r * std::sin(a)),
                           at(150 + r * std::cos(a), 30 + r * std::sin(a)), 2.5),
                  1);
        EXPECT_EQ(passingNear(t, at(150, 30), 1.5), 2); // both along the path they share
        expectWithinTolerance(t);
    }
}

/// How far the line strays from the segment a-b at most, sampled every
/// half pixel along the line.
double farthestFrom(const Points& line, std::pair<double, double> a, std::pair<double, double> b)
{
    const double dx = b.first - a.first, dy = b.second - a.second, lengthSq = dx * dx + dy * dy;
    const auto off = [&](double x, double y) {
        const double t = std::clamp(((x - a.first) * dx + (y - a.second) * dy) / lengthSq, 0.0, 1.0);
        return std::hypot(x - a.first - t * dx, y - a.second - t * dy);
    };
    double most = 0;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const auto [x0, y0] = line[i];
        const auto [x1, y1] = line[i + 1];
        const int steps = std::max(1, int(2 * std::hypot(x1 - x0, y1 - y0)));
        for (int k = 0; k <= steps; ++k)
            most = std::max(most, off(x0 + (x1 - x0) * k / steps, y0 + (y1 - y0) * k / steps));
    }
    return most;
}

// Thick strokes crossing at a shallow angle share their ink for a few
// stroke widths, and thinning leaves two forks there that become one
// junction. Each line keeps to its own stroke through the shared ink, not
// to the pixels that bend in to the forks.
TEST_P(CleanTopology, ThickShallowCrossingsKeepEachLineOnItsStroke)
{
    for (const auto& [angle, width] : {std::pair{8.0, 6.0}, {10.0, 8.0}, {14.0, 7.0}, {18.0, 7.0}, {20.0, 8.0}, {24.0, 10.0}}) {
        SCOPED_TRACE(std::to_string(angle) + " degrees, width " + std::to_string(width));
        CBitmapImage image = test::WhiteImage(120, 200);
        const double r = 90, a = angle * kPi / 360;
        const std::pair<double, double> ends[2][2] = {
            {{60 - r * std::sin(a), 100 - r * std::cos(a)}, {60 + r * std::sin(a), 100 + r * std::cos(a)}},
            {{60 + r * std::sin(a), 100 - r * std::cos(a)}, {60 - r * std::sin(a), 100 + r * std::cos(a)}}};
        for (const auto& stroke : ends)
            test::DrawStroke(image, stroke[0].first, stroke[0].second, stroke[1].first, stroke[1].second, width);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_TRUE(t.succeeded);
        EXPECT_EQ(t.lines.size(), 2u);
        for (const auto& stroke : ends) {
            const auto a0 = at(stroke[0].first, stroke[0].second), a1 = at(stroke[1].first, stroke[1].second);
            EXPECT_EQ(spanning(t, a0, a1, 2.5), 1);
            for (const Points& line : t.lines) {
                if (spans(line, a0, a1, 2.5)) {
                    EXPECT_LE(farthestFrom(line, a0, a1), 1.5);
                }
            }
        }
    }
}

// What looks like a shallow crossing near its junctions but is none: the
// branches must not be joined across the edge between them.
TEST_P(CleanTopology, ForksAndJunctionsAlongABarAreNoCrossing)
{
    {
        // A long bar with forks spreading from both ends (> - <): the bar is
        // one stroke, traced once, not two strokes crossing along it.
        SCOPED_TRACE("forks at both ends of a bar");
        CBitmapImage image = test::WhiteImage(300, 60);
        const double spread = 8 * kPi / 180, arm = 60;
        test::DrawStroke(image, 100, 30, 200, 30, 3);
        for (int up : {-1, 1}) {
            test::DrawStroke(image, 100, 30, 100 - arm * std::cos(spread), 30 + up * arm * std::sin(spread), 3);
            test::DrawStroke(image, 200, 30, 200 + arm * std::cos(spread), 30 + up * arm * std::sin(spread), 3);
        }
        const Traced t = clean(image.Clone(), GetParam());
        EXPECT_EQ(passingNear(t, at(150, 30), 1.5), 1);
        EXPECT_EQ(t.lines.size(), 3u);
    }
    {
        // A narrow V standing on a line, and a T beside it on the same
        // line: the line stays whole, the V's arms and the T's stem end on it.
        SCOPED_TRACE("narrow V and T on a line");
        CBitmapImage image = test::WhiteImage(200, 90);
        test::DrawStroke(image, 10, 70, 190, 70, 3);
        const double tilt = 5 * kPi / 180;
        test::DrawStroke(image, 60, 70, 60 - 60 * std::sin(tilt), 70 - 60 * std::cos(tilt), 3);
        test::DrawStroke(image, 60, 70, 60 + 60 * std::sin(tilt), 70 - 60 * std::cos(tilt), 3);
        test::DrawStroke(image, 130, 70, 130, 15, 3);
        const Traced t = clean(image.Clone(), GetParam());
        EXPECT_EQ(spanning(t, at(10, 70), at(190, 70), 2.5), 1);
        EXPECT_EQ(spanning(t, at(130, 70), at(130, 15), 2.5), 1);
        expectWithinTolerance(t);
    }
}

// A thin line crossing another at a slant meets the other's centre pixels a
// few pixels before it leaves them, and thinning leaves two forks along the
// other line; where a third stroke crosses there too, the forks keep their
// distance. The slanted line still goes on across the other whole.
TEST_P(CleanTopology, SlantedLinesCrossingBesideAnotherCrossingStayWhole)
{
    for (const auto& [width, angle, offset] : {std::tuple{4.0, 25.0, 3.0}, {4.0, 25.0, 5.0}, {5.0, 30.0, 3.0}, {3.0, 25.0, 3.0}}) {
        SCOPED_TRACE(testing::Message() << "width " << width << ", " << angle << " degrees, " << offset << " px on");
        CBitmapImage image = test::WhiteImage(200, 120);
        const double a = angle * kPi / 180, r = 60, cx = 100 + offset;
        const std::pair<double, double> low{cx - r * std::cos(a), 60 + r * std::sin(a)}, high{cx + r * std::cos(a), 60 - r * std::sin(a)};
        test::DrawStroke(image, 10, 60, 190, 60, width);
        test::DrawStroke(image, 100, 10, 100, 110, 3);
        test::DrawStroke(image, low.first, low.second, high.first, high.second, 2);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_TRUE(t.succeeded);
        EXPECT_EQ(t.lines.size(), 3u);
        EXPECT_EQ(spanning(t, at(10, 60), at(190, 60), 2.5), 1);
        EXPECT_EQ(spanning(t, at(100, 10), at(100, 110), 2.5), 1);
        EXPECT_EQ(spanning(t, at(low.first, low.second), at(high.first, high.second), 2.5), 1);
        expectWithinTolerance(t);
    }
}

TEST_P(CleanTopology, CornersStayOneLineAndClosedShapesClose)
{
    {
        SCOPED_TRACE("thick L");
        CBitmapImage image = test::WhiteImage(100, 100);
        test::DrawStroke(image, 20, 15, 20, 80, 8);
        test::DrawStroke(image, 20, 80, 85, 80, 8);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 1u); // the spur thinning leaves at the corner is gone
        EXPECT_TRUE(spans(t.lines[0], at(20, 15), at(85, 80), 2.5));
    }
    {
        SCOPED_TRACE("ring");
        CBitmapImage image = test::WhiteImage(100, 100);
        drawCircle(image, 50, 50, 30, 4);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 1u);
        EXPECT_EQ(t.lines[0].front(), t.lines[0].back());
        EXPECT_TRUE(t.quality[0].closed);
        EXPECT_EQ(t.quality[0].freeEnds, 0);
        expectWithinTolerance(t);
    }
    {
        SCOPED_TRACE("rectangle with hatching");
        CBitmapImage image = test::WhiteImage(140, 100);
        const double x0 = 15, y0 = 15, x1 = 125, y1 = 85;
        test::DrawStroke(image, x0, y0, x1, y0, 3);
        test::DrawStroke(image, x1, y0, x1, y1, 3);
        test::DrawStroke(image, x1, y1, x0, y1, 3);
        test::DrawStroke(image, x0, y1, x0, y0, 3);
        int hatches = 0;
        for (double x = 30; x <= 110; x += 16, ++hatches)
            test::DrawStroke(image, x, y0, x, y1, 3);
        const Traced t = clean(image.Clone(), GetParam());
        // The frame is one closed line; each hatch line one line from edge
        // to edge, ending exactly on the frame.
        ASSERT_EQ(int(t.lines.size()), 1 + hatches);
        int closed = 0;
        for (const Points& line : t.lines)
            closed += line.front() == line.back();
        EXPECT_EQ(closed, 1);
        for (const LineQuality& q : t.quality)
            EXPECT_EQ(q.freeEnds, 0) << "line " << q.id;
        expectWithinTolerance(t);
    }
}

TEST_P(CleanTopology, SpursAndSpecksGo)
{
    CBitmapImage image = test::WhiteImage(120, 60);
    test::DrawStroke(image, 15, 30, 105, 30, 6);
    test::DrawStroke(image, 60, 30, 60, 25, 6); // a bump no longer than the stroke is wide
    for (int y = 50; y <= 51; ++y)               // a 2 x 2 speck
        for (int x = 80; x <= 81; ++x)
            image.SetPixelColor(x, y, 0, 0, 0);
    const Traced t = clean(image.Clone(), GetParam());
    ASSERT_EQ(t.lines.size(), 1u);
    // The free ends lie at the middle of the round end caps.
    EXPECT_TRUE(spans(t.lines[0], at(15, 30), at(105, 30), 1.5));

    const Traced kept = clean(image.Clone(), GetParam(), 0);
    EXPECT_EQ(kept.lines.size(), 2u); // despeckling off: the speck is a dot

    // Dust on the edge of a stroke, as scans give it: despeckling cannot
    // take it (it touches the stroke), and thinning runs a spur out to it,
    // longer than the stroke is deep. A stroke five pixels wide, two
    // pixels of dust beside row 30.
    CBitmapImage dusty = test::WhiteImage(40, 60);
    for (int y = 5; y < 55; ++y)
        for (int x = y == 30 ? 14 : 16; x <= 20; ++x)
            dusty.SetPixelColor(x, y, 0, 0, 0);
    const Traced dusted = clean(dusty.Clone(), GetParam());
    ASSERT_EQ(dusted.lines.size(), 1u);
    for (const auto& [x, y] : dusted.lines[0]) // straight down the stroke
        EXPECT_NEAR(x, dusted.lines[0].front().first, 1.0) << y;
}

TEST_P(CleanTopology, ShortDrawnStrokesOnOthersStay)
{
    for (double length : {2.0, 3.0, 4.0}) {
        // A thin tick on a heavy line, reaching `length` past its edge: its
        // branch is no longer than the heavy line is wide, but its ink ends
        // well outside the crossing.
        SCOPED_TRACE(length);
        CBitmapImage image = test::WhiteImage(120, 60);
        test::DrawStroke(image, 15, 30, 105, 30, 8);
        test::DrawStroke(image, 60, 30, 60, 26 - length, 2);
        const Traced t = clean(image.Clone(), GetParam());
        ASSERT_EQ(t.lines.size(), 2u);
        const int tick = spans(t.lines[0], at(15, 30), at(105, 30), 2.0) ? 1 : 0;
        EXPECT_TRUE(spans(t.lines[1 - tick], at(15, 30), at(105, 30), 2.0));
        // The tick runs from the line's centre out to its own end.
        EXPECT_TRUE(spans(t.lines[tick], at(60, 30), at(60, 26 - length), 1.5));
        expectWithinTolerance(t);
    }
}

TEST_P(CleanTopology, InkThatCannotBeThinnedIsTracedAndReported)
{
    // Two circles closer together than their strokes are wide, and two
    // circles touching: nothing is refused.
    CBitmapImage image = test::WhiteImage(200, 100);
    drawCircle(image, 50, 50, 30, 5);
    drawCircle(image, 50, 50, 26, 5);
    drawCircle(image, 130, 50, 20, 3);
    drawCircle(image, 170, 50, 20, 3);
    const Traced t = clean(image.Clone(), GetParam());
    EXPECT_TRUE(t.succeeded);
    EXPECT_FALSE(t.lines.empty());
    for (const std::string& message : t.messages)
        EXPECT_EQ(message.find("Crowded pixel"), std::string::npos);
    // Every line of the touching pair is closed or ends where others meet.
    for (const LineQuality& q : t.quality)
        EXPECT_LE(q.freeEnds, 2);
    expectWithinTolerance(t);
}

TEST(CleanTopology, AnUnthinnedBlobIsADotAndAWarning)
{
    // Tracing a solid patch without thinning it: every pixel inside is
    // crowded. The trace ends, with the patch's middle and one warning.
    CBitmapImage image = test::WhiteImage(300, 200);
    for (int y = 21; y <= 180; ++y)
        for (int x = 31; x <= 250; ++x)
            image.SetPixelColor(x, y, 0, 0, 0);
    AppSettings settings;
    settings.m_nTopology = kTopologyClean;
    RecordingPort port;
    CLineStore store;
    ASSERT_TRUE(VectoriseCommand(image, store, port, settings).succeeded);
    ASSERT_EQ(store.GetLineCount(), 1);
    EXPECT_NEAR(store.line(0).m_nodes[0].m_dX, 139.5, 1.0);
    EXPECT_NEAR(store.line(0).m_nodes[0].m_dY, 99.5, 1.0);
    ASSERT_EQ(port.messages().size(), 1u);
    EXPECT_NE(port.messages()[0].find("Ink at 1 place could not be thinned"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothThinningMethods, CleanTopology, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "ZhangSuen" : "Stentiford"; });

TEST(CleanTopology, SplitTracingIsUnchangedByTheReport)
{
    // Asking for the report must not change what split tracing stores.
    CBitmapImage image = test::RandomStrokes(160, 120, 7, 12);
    AppSettings settings;
    settings.m_bRetainOriginal = 0;
    RecordingPort a, b;
    CLineStore plain, reported;
    CBitmapImage first = image.Clone(), second = image.Clone();
    std::vector<LineQuality> quality;
    ASSERT_TRUE(OneTouchCommand(first, plain, a, settings).succeeded);
    ASSERT_TRUE(OneTouchCommand(second, reported, b, settings, &quality).succeeded);
    ASSERT_EQ(plain.GetLineCount(), reported.GetLineCount());
    for (int i = 0; i < plain.GetLineCount(); ++i)
        EXPECT_EQ(test::pointsOf(plain.line(i)), test::pointsOf(reported.line(i)));
    ASSERT_EQ(int(quality.size()), plain.GetLineCount());
    for (int i = 0; i < plain.GetLineCount(); ++i) {
        EXPECT_EQ(quality[std::size_t(i)].id, plain.line(i).m_nId);
        EXPECT_EQ(quality[std::size_t(i)].vertices, plain.line(i).m_nPoints);
        EXPECT_NEAR(quality[std::size_t(i)].length, plain.line(i).m_dLength, 1e-9);
    }
}

// The mask and the graph read their pixels a word of 64 at a time; pixel by
// pixel by their documented rules, on scattered ink that crosses word
// boundaries and touches every edge of the image, they must read the same.
// The largest mask is big enough to be mapped from the system whole.
TEST(CleanTopology, WordAtATimeReadingsAgreeWithPixelByPixelOnes)
{
    std::mt19937 random(7);
    for (const auto& [width, height, band] : {std::tuple{130, 40, 40}, std::tuple{191, 67, 67}, std::tuple{64, 9, 9},
                                              std::tuple{2900, 2900, 60}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        CBitmapImage image = test::WhiteImage(width, height);
        std::vector<std::vector<bool>> ink(std::size_t(band), std::vector<bool>(std::size_t(width), false));
        // Ink in the top `band` rows only: blobs (for depths) and a third of
        // the rest scattered (for neighbours of every kind).
        for (int y = 0; y < band; ++y)
            for (int x = 0; x < width; ++x) {
                const bool blob = ((x / 9) + (y / 7)) % 3 == 0;
                if (blob || random() % 3 == 0) {
                    ink[std::size_t(y)][std::size_t(x)] = true;
                    image.SetPixelColor(x + 1, y + 1, 0, 0, 0);
                }
            }
        const auto at = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < width && y < band && ink[std::size_t(y)][std::size_t(x)];
        };
        const InkMask mask = InkMask::FromImage(image, InkMask::Rule::Black);
        const InkMask copy = mask;
        ASSERT_EQ(mask.width(), width);
        for (int y = -1; y <= band; ++y)
            for (int x = -1; x <= width; ++x)
                ASSERT_EQ(copy.ink(x, y), at(x, y)) << x << ", " << y;
        // Depth: the nearest pixel centre off the ink, searched everywhere.
        for (int k = 0; k < 300; ++k) {
            const double x = double(random() % (width * 4)) / 4 - 0.5, y = double(random() % (band * 4)) / 4 - 0.5;
            const int cx = int(std::lround(x)), cy = int(std::lround(y));
            double expected = 0;
            if (at(cx, cy)) {
                double best = 24.5 * 24.5;
                for (int py = cy - 25; py <= cy + 25; ++py)
                    for (int px = cx - 25; px <= cx + 25; ++px)
                        if (!at(px, py))
                            best = std::min(best, (px - x) * (px - x) + (py - y) * (py - y));
                expected = std::min(24.0, std::sqrt(best) - 0.5);
            }
            ASSERT_DOUBLE_EQ(mask.radiusAt(x, y), expected) << x << ", " << y;
        }
        // The graph: junction pixels have three or more neighbours (sides,
        // and corners with neither side beside them inked), crowded ones
        // seven or eight inked pixels round them; every line pixel lies in
        // exactly one edge or node.
        std::size_t junctionPixels = 0, crowded = 0, inked = 0;
        for (int y = 0; y < band; ++y)
            for (int x = 0; x < width; ++x) {
                if (!at(x, y))
                    continue;
                ++inked;
                int neighbours = 0, around = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if ((!dx && !dy) || !at(x + dx, y + dy))
                            continue;
                        ++around;
                        neighbours += !dx || !dy || (!at(x + dx, y) && !at(x, y + dy));
                    }
                junctionPixels += neighbours >= 3;
                crowded += neighbours >= 3 && around >= 7;
            }
        SkeletonGraph graph;
        ASSERT_TRUE(graph.Build(image, [](int) { return false; }));
        std::size_t inJunctions = 0, covered = 0;
        for (const SkeletonGraph::Node& node : graph.nodes) {
            if (node.kind == SkeletonGraph::NodeKind::Junction)
                inJunctions += std::size_t(node.pixels);
            covered += node.kind != SkeletonGraph::NodeKind::End ? std::size_t(node.pixels) : 0;
        }
        for (const SkeletonGraph::Edge& edge : graph.edges)
            covered += edge.pixels.size();
        EXPECT_EQ(inJunctions, junctionPixels);
        EXPECT_EQ(graph.crowded.size(), crowded);
        EXPECT_EQ(covered, inked);
    }
}

} // namespace
} // namespace orvane
