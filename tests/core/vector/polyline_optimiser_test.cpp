// Smoothing and reduction of traced polylines.
#include "vector/polyline_optimiser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace orvane {
namespace {

using Points = std::vector<std::pair<double, double>>;

PointList list(const Points& points)
{
    PointList p;
    for (auto [x, y] : points)
        p.append(x, y);
    return p;
}

Points points(const PointList& p)
{
    Points result;
    for (int i = 0; i < p.count; ++i)
        result.emplace_back(p.x[std::size_t(i)], p.y[std::size_t(i)]);
    return result;
}

TEST(Smooth, HalvesEveryZigzagSpikeFromTheUnmovedPoints)
{
    PointList zigzag = list({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 1}});
    CPolylineOptimiser().Smooth(zigzag);
    EXPECT_EQ(points(zigzag), (Points{{0, 0}, {1, 0.5}, {2, 0.5}, {3, 0.5}, {4, 0.5}, {5, 1}}));
}

TEST(Smooth, LeavesShortLinesEndsAndOneSidedBendsAlone)
{
    const Points three{{0, 0}, {1, 5}, {2, 0}};
    PointList p = list(three);
    CPolylineOptimiser().Smooth(p);
    EXPECT_EQ(points(p), three);

    // An arc bends one way: deviations share their sign, nothing is a spike.
    const Points arc{{0, 0}, {1, 2}, {3, 3}, {5, 2}, {6, 0}};
    p = list(arc);
    CPolylineOptimiser().Smooth(p);
    EXPECT_EQ(points(p), arc);
}

TEST(Smooth, SpikeOverAChordOfNoLengthMovesHalfwayToIt)
{
    // Points 1 and 3 coincide, so the spike at 2 measures its plain distance
    // from them and moves along that ray to half of it.
    PointList p = list({{0, 0}, {1, 0}, {5, 3}, {1, 0}, {2, 0}});
    CPolylineOptimiser().Smooth(p);
    EXPECT_EQ(p.x[2], 3.0);
    EXPECT_EQ(p.y[2], 1.5);
}

TEST(Reduce, StaircaseWithinToleranceBecomesItsChord)
{
    PointList p = list({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}});
    EXPECT_EQ(CPolylineOptimiser().Reduce(p, 1.2), 5);
    EXPECT_EQ(points(p), (Points{{0, 0}, {6, 3}}));
}

TEST(Reduce, TwoPointLineIsUnchanged)
{
    PointList p = list({{0, 0}, {4, 4}});
    EXPECT_EQ(CPolylineOptimiser().Reduce(p, 1.2), 0);
    EXPECT_EQ(points(p), (Points{{0, 0}, {4, 4}}));
}

TEST(Reduce, PointsOnOneSideOfTheChordMustStayWithinAThirdOnAverage)
{
    // Every deviation is 1, the mean per segment 3 / 4.
    const Points bump{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 0}};
    PointList p = list(bump);
    EXPECT_EQ(CPolylineOptimiser().Reduce(p, 2.4), 3);
    EXPECT_EQ(p.count, 2);
    p = list(bump);
    EXPECT_LT(CPolylineOptimiser().Reduce(p, 2.0), 3);
    EXPECT_GT(p.count, 2);
}

TEST(Reduce, ClosedLineIsReducedPiecewiseAndKeepsBothEnds)
{
    Points ring;
    for (int i = 0; i <= 24; ++i)
        ring.emplace_back(10 * std::cos(i * M_PI / 12), 10 * std::sin(i * M_PI / 12));
    ring.back() = ring.front();
    PointList p = list(ring);
    const int removed = CPolylineOptimiser().Reduce(p, 1.2);
    EXPECT_GT(removed, 0);
    EXPECT_EQ(p.count, 25 - removed);
    EXPECT_GE(p.count, 4);
    EXPECT_EQ(points(p).front(), ring.front());
    EXPECT_EQ(points(p).back(), ring.back());
    // Every removed point lies within the tolerance of the kept polyline.
    for (const auto& [x, y] : ring) {
        double nearest = 1e9;
        for (int i = 1; i < p.count; ++i) {
            const double ax = p.x[std::size_t(i - 1)], ay = p.y[std::size_t(i - 1)];
            const double bx = p.x[std::size_t(i)], by = p.y[std::size_t(i)];
            const double len = std::hypot(bx - ax, by - ay);
            nearest = std::min(nearest, std::fabs((y - ay) * (bx - ax) - (x - ax) * (by - ay)) / len);
        }
        EXPECT_LE(nearest, 1.2);
    }
}

} // namespace
} // namespace orvane
