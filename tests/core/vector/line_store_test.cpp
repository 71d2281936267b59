// Construction of stored lines, ids, deletion and the nearest-line search.
#include "vector/line_store.h"

#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

namespace orvane {
namespace {

using test::ids;
using test::toList;

// The middle is vertex count / 2 counted from 1 (vertex 1 of 3), and a
// one-point line is its own middle and box.
TEST(VectorLine, LengthBoxMiddleAndNodeIndicesFollowThePoints)
{
    CVectorLine line(3, toList({{5, 2}, {3, 7}, {9, 4}}));
    EXPECT_EQ((std::array{line.m_dMinX, line.m_dMaxX, line.m_dMinY, line.m_dMaxY}), (std::array{3.0, 9.0, 2.0, 7.0}));
    EXPECT_DOUBLE_EQ(line.m_dLength, std::sqrt(29.0) + std::sqrt(45.0));
    EXPECT_EQ(test::pointsOf(line), (test::Points{{5, 2}, {3, 7}, {9, 4}}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(line.m_nodes[std::size_t(i)].m_nIndex, i + 1);
    EXPECT_EQ(std::pair(line.m_dMidX, line.m_dMidY), std::pair(3.0, 7.0));
    EXPECT_EQ(CVectorLine(1, toList({{0, 0}, {1, 2}})).m_dMidY, 2.0);
    EXPECT_EQ(CVectorLine(1, toList({{0, 0}, {1, 1}, {2, 2}, {3, 3}})).m_dMidX, 2.0);
    CVectorLine one(7, toList({{4, 5}}));
    EXPECT_EQ(one.m_dLength, 0.0);
    EXPECT_EQ((std::array{one.m_dMidX, one.m_dMidY, one.m_dMinX, one.m_dMaxX, one.m_dMinY, one.m_dMaxY}),
              (std::array{4.0, 5.0, 4.0, 4.0, 5.0, 5.0}));
}

TEST(LineStore, IdsCountUpSurviveDeletesAndRestartAfterDeleteAll)
{
    CLineStore store;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(store.AddLine(toList({{0, double(i)}, {5, double(i)}})), 1);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 2, 3}));
    store.DeleteLine(2);
    store.DeleteLine(42);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 3}));
    store.AddLine(toList({{1, 1}, {2, 2}}));
    EXPECT_EQ(ids(store), (std::vector<int>{1, 3, 4}));
    store.AddLineWithId(1, toList({{1, 1}, {2, 2}}));
    EXPECT_EQ(store.m_nLastLineId, 4) << "a line added with its own id leaves the counter";
    store.DeleteLine(1); // only the first line with the id goes
    EXPECT_EQ(ids(store), (std::vector<int>{3, 4, 1}));

    store.m_nTotalLines = 9;
    store.m_nLinesSaved = 4;
    store.DeleteAllLines();
    EXPECT_EQ(std::tuple(store.GetLineCount(), store.m_nTotalLines, store.m_nLinesSaved), std::tuple(0, 0, 0));
    store.AddLine(toList({{0, 0}, {1, 0}}));
    EXPECT_EQ(ids(store), (std::vector<int>{1}));
}

TEST(LineStore, NearestLineNeedsASegmentAndPrefersTheLaterOnTies)
{
    CLineStore store;
    EXPECT_EQ(store.FindNearestLine(1, 1), kNoLine);
    store.AddLine(toList({{3, 3}}));
    EXPECT_EQ(store.FindNearestLine(3, 3), kNoLine);
    store.AddLine(toList({{0, 0}, {10, 0}}));   // 2: distance 2 from (5, 2)
    store.AddLine(toList({{0, 4}, {10, 4}}));   // 3: distance 2 as well
    store.AddLine(toList({{0, 20}, {10, 20}})); // 4: far away
    EXPECT_EQ(store.FindNearestLine(5, 2), 3);
    EXPECT_EQ(store.FindNearestLine(5, 1), 2);
    EXPECT_EQ(store.FindNearestLine(500, 500), 4); // no distance limit

    // A line read from a file far beyond any image has no usable distance
    // (its squares overflow); it must not win every click.
    CLineStore far;
    far.AddLine(toList({{0, 0}, {1e200, 0}}));
    far.AddLine(toList({{0, 3}, {10, 3}}));
    EXPECT_EQ(far.FindNearestLine(5, 3), 2);
}

} // namespace
} // namespace orvane
