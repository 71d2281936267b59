// Bearings, sectors, distances, straightness and straightening of lines.
#include "vector/polyline_geometry.h"

#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvane {
namespace {

using test::toList;

TEST(Bearing, CompassDirectionsInImageCoordinatesAndTheirSectors)
{
    // 180/3.142 instead of 180/pi shrinks angles a little: atan(1/10) is
    // 5.7106 degrees but 5.7093 here; both round to 6. Half a degree rounds
    // away from zero on both sides of east.
    const double half = std::tan(2.5 / 57.28835136855506);
    struct Case { double dx, dy; int bearing; };
    for (Case c : {Case{1, 0, 90}, {0, -1, 0}, {0, 1, 180}, {-1, 0, 270}, {1, -1, 45}, {-1, -1, 315}, {0, 0, 90},
                   {10, 1, 96}, {1, -half, 87}, {1, half, 93}, {std::nan(""), 1, 90}})
        EXPECT_EQ(BearingOfStep(c.dx, c.dy), c.bearing) << c.dx << "," << c.dy;
    // Sectors include their upper bound.
    for (auto [bearing, sector] : {std::pair{0.0, 1}, {22.5, 1}, {22.6, 2}, {45.0, 2}, {90.0, 3}, {135.0, 4},
                                   {202.5, 5}, {247.0, 6}, {270.0, 7}, {337.0, 8}, {337.5, 8}, {337.6, 1}})
        EXPECT_EQ(DirectionSector(bearing), sector) << bearing;

    CVectorLine line(1, toList({{0, 0}, {5, 0}, {5, 5}}));
    double b = 0;
    int s = 0;
    line.GetEndDirection(b, s);
    EXPECT_EQ(std::pair(b, s), std::pair(180.0, 5));
    line.GetStartDirection(b, s);
    EXPECT_EQ(std::pair(b, s), std::pair(90.0, 3));
}

TEST(VectorLineGeometry, DistanceUsesFootOrNearerEnd)
{
    CVectorLine line(1, toList({{0, 0}, {4, 0}}));
    EXPECT_DOUBLE_EQ(line.DistanceTo(2, 3), 3.0);
    EXPECT_DOUBLE_EQ(line.DistanceTo(7, 4), 5.0);
    EXPECT_DOUBLE_EQ(line.DistanceTo(-3, -4), 5.0);
    CVectorLine bent(1, toList({{0, 0}, {10, 0}, {10, 10}, {30, 30}}));
    EXPECT_DOUBLE_EQ(bent.DistanceTo(5, 0), 0.0);
    EXPECT_DOUBLE_EQ(bent.DistanceTo(12, 5), 2.0);

    EXPECT_EQ(CVectorLine(1, toList({{1, 1}})).DistanceTo(1, 1), kNoResult);
    EXPECT_EQ(PerpendicularDistance({1, 1}, {1, 1}, {4, 5}), kNoResult);
    // A segment of no length points east (bearing 90): a point within 90
    // degrees of east gets no distance, any other its distance to the point.
    CVectorLine dot(1, toList({{1, 1}, {1, 1}}));
    EXPECT_EQ(dot.DistanceTo(4, 5), kNoResult);
    EXPECT_DOUBLE_EQ(dot.DistanceTo(1, -4), 5.0);
}

TEST(VectorLineGeometry, MeanDirectionAndStraightness)
{
    CVectorLine stairs(1, toList({{0, 0}, {5, 0}, {6, 1}, {10, 1}}));
    EXPECT_NEAR(stairs.GetMeanDirection(), 100.8, 0.1);
    EXPECT_EQ(stairs.IsStraight(30.0f), 1);
    EXPECT_EQ(stairs.IsStraight(4.0f), 0);
    CVectorLine two(1, toList({{0, 0}, {9, 9}}));
    EXPECT_EQ(two.IsStraight(360.0f), 0);
    EXPECT_EQ(two.GetMeanDirection(), kNoResult);
    EXPECT_EQ(CVectorLine(1, toList({{0, 0}, {0, 0}, {0, 0}})).IsStraight(360.0f), 0);
    // Heading up the image with steps a little left and right of north:
    // bearings near 0 and near 360 average to about 180.
    CVectorLine north(1, toList({{0, 10}, {1, 5}, {0, 0}}));
    EXPECT_NEAR(north.GetMeanDirection(), 180.0, 1.0);
    EXPECT_EQ(north.IsStraight(30.0f), 0);
}

TEST(VectorLineGeometry, ToStraightAppendsTheChordUnderTheSameId)
{
    CLineStore store;
    store.AddLine(toList({{0, 0}, {5, 1}, {9, 3}}));
    store.AddLine(toList({{0, 0}, {5, 1}, {9, 3}}));
    store.line(0).ToStraight(store);
    ASSERT_EQ(store.GetLineCount(), 3);
    EXPECT_TRUE(store.line(0).m_nodes.empty());
    const CVectorLine& straight = store.line(2);
    EXPECT_EQ(straight.m_nId, 1);
    EXPECT_EQ(test::pointsOf(straight), (test::Points{{0, 0}, {9, 3}}));
    EXPECT_DOUBLE_EQ(straight.m_dLength, std::sqrt(90.0));
    EXPECT_EQ(store.m_nLastLineId, 2);
}

} // namespace
} // namespace orvane
