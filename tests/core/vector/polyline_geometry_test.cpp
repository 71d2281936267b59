// Bearings, sectors, distances, straightness and straightening of lines.
#include "vector/polyline_geometry.h"

#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace orvane {
namespace {

CVectorLine makeLine(std::initializer_list<std::pair<double, double>> list, int id = 1)
{
    PointList p;
    for (auto [x, y] : list)
        p.append(x, y);
    return CVectorLine(id, p);
}

TEST(Bearing, CompassDirectionsInImageCoordinates)
{
    EXPECT_EQ(BearingOfStep(1, 0), 90);
    EXPECT_EQ(BearingOfStep(0, -1), 0);
    EXPECT_EQ(BearingOfStep(0, 1), 180);
    EXPECT_EQ(BearingOfStep(-1, 0), 270);
    EXPECT_EQ(BearingOfStep(1, -1), 45);
    EXPECT_EQ(BearingOfStep(-1, -1), 315);
    EXPECT_EQ(BearingOfStep(0, 0), 90);
    // 180/3.142 instead of 180/pi shrinks angles a little: atan(1/10) is
    // 5.7106 degrees but 5.7093 here; both round to 6.
    EXPECT_EQ(BearingOfStep(10, 1), 96);
    // Half a degree rounds away from zero on both sides of east.
    EXPECT_EQ(BearingOfStep(1, -std::tan(2.5 / 57.28835136855506)), 87);
    EXPECT_EQ(BearingOfStep(1, std::tan(2.5 / 57.28835136855506)), 93);
}

TEST(Bearing, SectorsIncludeTheirUpperBound)
{
    EXPECT_EQ(DirectionSector(0), 1);
    EXPECT_EQ(DirectionSector(45), 2);
    EXPECT_EQ(DirectionSector(90), 3);
    EXPECT_EQ(DirectionSector(337), 8);
    EXPECT_EQ(DirectionSector(22.5), 1);
    EXPECT_EQ(DirectionSector(22.6), 2);
    EXPECT_EQ(DirectionSector(337.5), 8);
    EXPECT_EQ(DirectionSector(337.6), 1);
    EXPECT_EQ(DirectionSector(202.5), 5);
    EXPECT_EQ(DirectionSector(247), 6);
    EXPECT_EQ(DirectionSector(270), 7);
    EXPECT_EQ(DirectionSector(135), 4);
}

TEST(VectorLineGeometry, StartAndEndDirections)
{
    CVectorLine line = makeLine({{0, 0}, {5, 0}, {5, 5}});
    double bearing = 0;
    int sector = 0;
    line.GetEndDirection(bearing, sector);
    EXPECT_EQ(bearing, 180.0);
    EXPECT_EQ(sector, 5);
    line.GetStartDirection(bearing, sector);
    EXPECT_EQ(bearing, 90.0);
    EXPECT_EQ(sector, 3);
}

TEST(VectorLineGeometry, DistanceUsesFootOrNearerEnd)
{
    CVectorLine line = makeLine({{0, 0}, {4, 0}});
    EXPECT_DOUBLE_EQ(line.DistanceTo(2, 3), 3.0);
    EXPECT_DOUBLE_EQ(line.DistanceTo(7, 4), 5.0);
    EXPECT_DOUBLE_EQ(line.DistanceTo(-3, -4), 5.0);

    CVectorLine bent = makeLine({{0, 0}, {10, 0}, {10, 10}, {30, 30}});
    EXPECT_DOUBLE_EQ(bent.DistanceTo(5, 0), 0.0);
    EXPECT_DOUBLE_EQ(bent.DistanceTo(12, 5), 2.0);

    EXPECT_EQ(makeLine({{1, 1}}).DistanceTo(1, 1), kNoResult);
    EXPECT_EQ(PerpendicularDistance({1, 1}, {1, 1}, {4, 5}), kNoResult);
    // A segment of no length points east (bearing 90): a point within 90
    // degrees of east gets no distance, any other its distance to the point.
    EXPECT_EQ(makeLine({{1, 1}, {1, 1}}).DistanceTo(4, 5), kNoResult);
    EXPECT_DOUBLE_EQ(makeLine({{1, 1}, {1, 1}}).DistanceTo(1, -4), 5.0);
}

TEST(VectorLineGeometry, MeanDirectionAndStraightness)
{
    CVectorLine stairs = makeLine({{0, 0}, {5, 0}, {6, 1}, {10, 1}});
    EXPECT_NEAR(stairs.GetMeanDirection(), 100.8, 0.1);
    EXPECT_EQ(stairs.IsStraight(30.0f), 1);
    EXPECT_EQ(stairs.IsStraight(4.0f), 0);

    EXPECT_EQ(makeLine({{0, 0}, {9, 9}}).IsStraight(360.0f), 0);
    EXPECT_EQ(makeLine({{0, 0}, {9, 9}}).GetMeanDirection(), kNoResult);
    EXPECT_EQ(makeLine({{0, 0}, {0, 0}, {0, 0}}).IsStraight(360.0f), 0);

    // Heading up the image with steps a little left and right of north:
    // bearings near 0 and near 360 average to about 180.
    CVectorLine north = makeLine({{0, 10}, {1, 5}, {0, 0}});
    EXPECT_NEAR(north.GetMeanDirection(), 180.0, 1.0);
    EXPECT_EQ(north.IsStraight(30.0f), 0);
}

TEST(VectorLineGeometry, ToStraightAppendsTheChordUnderTheSameId)
{
    CLineStore store;
    PointList p;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {5.0, 1.0}, {9.0, 3.0}})
        p.append(x, y);
    store.AddLine(p);
    store.AddLine(p);
    store.line(0).ToStraight(store);
    ASSERT_EQ(store.GetLineCount(), 3);
    EXPECT_TRUE(store.line(0).m_nodes.empty());
    const CVectorLine& straight = store.line(2);
    EXPECT_EQ(straight.m_nId, 1);
    ASSERT_EQ(straight.m_nodes.size(), 2u);
    EXPECT_EQ(straight.m_nodes[1].m_dX, 9.0);
    EXPECT_EQ(straight.m_nodes[1].m_dY, 3.0);
    EXPECT_DOUBLE_EQ(straight.m_dLength, std::sqrt(90.0));
    EXPECT_EQ(store.m_nLastLineId, 2);
}

} // namespace
} // namespace orvane
