// Construction of stored lines, ids, deletion and the nearest-line search.
#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace orvane {
namespace {

PointList points(std::initializer_list<std::pair<double, double>> list)
{
    PointList p(static_cast<int>(list.size()));
    for (auto [x, y] : list)
        p.append(x, y);
    return p;
}

std::vector<int> ids(const CLineStore& store)
{
    std::vector<int> result;
    for (const auto& line : store.lines())
        result.push_back(line->m_nId);
    return result;
}

TEST(VectorLine, OnePointLineIsItsOwnMiddleAndBox)
{
    CVectorLine line(7, points({{4, 5}}));
    EXPECT_EQ(line.m_nId, 7);
    EXPECT_EQ(line.m_nPoints, 1);
    EXPECT_EQ(line.m_dLength, 0.0);
    ASSERT_EQ(line.m_nodes.size(), 1u);
    EXPECT_EQ(line.m_nodes[0].m_nIndex, 1);
    EXPECT_EQ((std::pair{line.m_dMidX, line.m_dMidY}), (std::pair{4.0, 5.0}));
    EXPECT_EQ((std::pair{line.m_dMinX, line.m_dMaxX}), (std::pair{4.0, 4.0}));
    EXPECT_EQ((std::pair{line.m_dMinY, line.m_dMaxY}), (std::pair{5.0, 5.0}));
}

TEST(VectorLine, LengthBoxAndNodeIndicesFollowThePoints)
{
    CVectorLine line(3, points({{5, 2}, {3, 7}, {9, 4}}));
    EXPECT_EQ(line.m_dMinX, 3.0);
    EXPECT_EQ(line.m_dMaxX, 9.0);
    EXPECT_EQ(line.m_dMinY, 2.0);
    EXPECT_EQ(line.m_dMaxY, 7.0);
    EXPECT_DOUBLE_EQ(line.m_dLength, std::sqrt(29.0) + std::sqrt(45.0));
    ASSERT_EQ(line.m_nodes.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(line.m_nodes[std::size_t(i)].m_nIndex, i + 1);
    EXPECT_EQ(line.m_nodes[2].m_dX, 9.0);
    EXPECT_EQ(line.m_dMidX, 3.0) << "vertex 3 / 2 = 1";
    EXPECT_EQ(CVectorLine(1, points({{0, 0}, {1, 2}})).m_dMidY, 2.0);
    EXPECT_EQ(CVectorLine(1, points({{0, 0}, {1, 1}, {2, 2}, {3, 3}})).m_dMidX, 2.0);
}

TEST(LineStore, IdsCountUpAndSurviveDeletes)
{
    CLineStore store;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(store.AddLine(points({{0, double(i)}, {5, double(i)}})), 1);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(store.m_nLastLineId, 3);

    store.DeleteLine(2);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 3}));
    EXPECT_EQ(store.GetLineCount(), 2);
    store.DeleteLine(42);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 3}));

    store.AddLine(points({{1, 1}, {2, 2}}));
    EXPECT_EQ(ids(store), (std::vector<int>{1, 3, 4}));
    store.AddLineWithId(1, points({{1, 1}, {2, 2}}));
    EXPECT_EQ(store.m_nLastLineId, 4);
    store.DeleteLine(1); // only the first line with the id goes
    EXPECT_EQ(ids(store), (std::vector<int>{3, 4, 1}));
}

TEST(LineStore, DeleteAllResetsIdsAndStatistics)
{
    CLineStore store;
    store.AddLine(points({{0, 0}, {1, 0}}));
    store.AddLine(points({{0, 0}, {1, 0}}));
    store.m_nTotalLines = 9;
    store.m_nLinesSaved = 4;
    store.DeleteAllLines();
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_EQ(store.m_nTotalLines, 0);
    EXPECT_EQ(store.m_nLinesSaved, 0);
    store.AddLine(points({{0, 0}, {1, 0}}));
    EXPECT_EQ(ids(store), (std::vector<int>{1}));
}

TEST(LineStore, NearestLineNeedsASegmentAndPrefersTheLaterOnTies)
{
    CLineStore store;
    EXPECT_EQ(store.FindNearestLine(1, 1), kNoLine);
    store.AddLine(points({{3, 3}}));
    EXPECT_EQ(store.FindNearestLine(3, 3), kNoLine);

    store.AddLine(points({{0, 0}, {10, 0}}));  // 2: distance 2 from (5, 2)
    store.AddLine(points({{0, 4}, {10, 4}}));  // 3: distance 2 as well
    store.AddLine(points({{0, 20}, {10, 20}})); // 4: far away
    EXPECT_EQ(store.FindNearestLine(5, 2), 3);
    EXPECT_EQ(store.FindNearestLine(5, 1), 2);
    EXPECT_EQ(store.FindNearestLine(500, 500), 4); // no distance limit
}

} // namespace
} // namespace orvane
