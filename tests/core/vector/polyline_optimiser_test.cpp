// Smoothing and reduction of traced polylines.
#include "vector/polyline_optimiser.h"

#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvane {
namespace {

using test::Points;
using test::toList;
using test::toPoints;

Points smoothed(const Points& points)
{
    PointList p = toList(points);
    CPolylineOptimiser().Smooth(p);
    return toPoints(p);
}

TEST(Smooth, HalvesSpikesAndLeavesShortLinesEndsAndOneSidedBendsAlone)
{
    // Every zigzag spike moves halfway to the chord of its unmoved neighbours.
    EXPECT_EQ(smoothed({{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 1}}),
              (Points{{0, 0}, {1, 0.5}, {2, 0.5}, {3, 0.5}, {4, 0.5}, {5, 1}}));
    // Points 1 and 3 coincide, so the spike at 2 measures its plain distance
    // from them and moves along that ray to half of it.
    EXPECT_EQ(smoothed({{0, 0}, {1, 0}, {5, 3}, {1, 0}, {2, 0}})[2], (std::pair{3.0, 1.5}));
    // Three points, and an arc bending one way (deviations share their sign,
    // nothing is a spike), stay as they are.
    for (const Points& still : {Points{{0, 0}, {1, 5}, {2, 0}}, Points{{0, 0}, {1, 2}, {3, 3}, {5, 2}, {6, 0}}})
        EXPECT_EQ(smoothed(still), still);
}

TEST(Reduce, RemovesPointsWithinToleranceOnlyWhileTheMeanStaysWithinAThird)
{
    struct Case { Points in; double tolerance; int removed; Points out; };
    const Points bump{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 0}}; // every deviation 1, mean per segment 3 / 4
    const Case cases[] = {
        {{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}}, 1.2, 5, {{0, 0}, {6, 3}}},
        {{{0, 0}, {4, 4}}, 1.2, 0, {{0, 0}, {4, 4}}},
        {bump, 2.4, 3, {{0, 0}, {4, 0}}},
    };
    for (const Case& c : cases) {
        PointList p = toList(c.in);
        EXPECT_EQ(CPolylineOptimiser().Reduce(p, c.tolerance), c.removed);
        EXPECT_EQ(toPoints(p), c.out);
    }
    PointList p = toList(bump);
    EXPECT_LT(CPolylineOptimiser().Reduce(p, 2.0), 3);
    EXPECT_GT(p.count, 2);
}

TEST(Reduce, ClosedLineIsReducedPiecewiseAndKeepsBothEnds)
{
    Points ring;
    for (int i = 0; i <= 24; ++i)
        ring.emplace_back(10 * std::cos(i * M_PI / 12), 10 * std::sin(i * M_PI / 12));
    ring.back() = ring.front();
    PointList p = toList(ring);
    const int removed = CPolylineOptimiser().Reduce(p, 1.2);
    EXPECT_GT(removed, 0);
    EXPECT_EQ(p.count, 25 - removed);
    EXPECT_GE(p.count, 4);
    const Points kept = toPoints(p);
    EXPECT_EQ(kept.front(), ring.front());
    EXPECT_EQ(kept.back(), ring.back());
    // Every removed point lies within the tolerance of the kept polyline.
    for (const auto& [x, y] : ring) {
        double nearest = 1e9;
        for (std::size_t i = 1; i < kept.size(); ++i) {
            const auto [ax, ay] = kept[i - 1];
            const auto [bx, by] = kept[i];
            nearest = std::min(nearest, std::fabs((y - ay) * (bx - ax) - (x - ax) * (by - ay)) /
                                            std::hypot(bx - ax, by - ay));
        }
        EXPECT_LE(nearest, 1.2);
    }
}

} // namespace
} // namespace orvane
