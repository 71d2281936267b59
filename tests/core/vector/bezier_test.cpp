// Bezier smoothing of stored lines, against a de Casteljau reference.
#include "vector/bezier.h"

#include "vector_fixture.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::Points;

/// The point at t of the curve with these control points, by repeated
/// linear interpolation.
std::pair<double, double> deCasteljau(Points control, double t)
{
    for (std::size_t n = control.size(); n > 1; --n)
        for (std::size_t i = 0; i + 1 < n; ++i)
            control[i] = {control[i].first + t * (control[i + 1].first - control[i].first),
                          control[i].second + t * (control[i + 1].second - control[i].second)};
    return control[0];
}

Points zigzag(int n)
{
    Points points;
    for (int i = 0; i < n; ++i)
        points.emplace_back(i, (i % 2) * 2.0 + (i % 7) * 0.5);
    return points;
}

Points smoothed(const Points& points)
{
    CVectorLine line(9, test::toList(points));
    const double length = line.m_dLength;
    BezierSmooth(line);
    EXPECT_EQ(line.m_dLength, length) << "the stored length describes the line as made";
    for (std::size_t i = 0; i < line.m_nodes.size(); ++i)
        EXPECT_EQ(line.m_nodes[i].m_nIndex, int(i) + 1);
    return test::pointsOf(line);
}

TEST(BezierSmooth, FiveVerticesMoveOntoTheirQuarticCurveAndFourStay)
{
    const Points five = smoothed({{0, 0}, {1, 2}, {2, 0}, {3, 2}, {4, 0}});
    const Points expected{{0, 0}, {1, 0.9375}, {2, 1}, {3, 0.9375}, {4, 0}};
    ASSERT_EQ(five.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(five[i].first, expected[i].first);
        EXPECT_DOUBLE_EQ(five[i].second, expected[i].second);
    }
    const Points four{{0, 0}, {1, 3}, {2, 0}, {3, 3}};
    EXPECT_EQ(smoothed(four), four);
}

// Pieces of 50 vertices share their ends; a last piece of three segments
// or fewer stays (52 vertices: 0-49, then 49-51).
TEST(BezierSmooth, LongLinesAreSmoothedInPiecesSharingTheirEnds)
{
    for (auto [n, pieces] : {std::pair{120, std::vector<std::pair<int, int>>{{0, 49}, {49, 98}, {98, 119}}},
                             {52, {{0, 49}}}}) {
        const Points original = zigzag(n);
        const Points line = smoothed(original);
        ASSERT_EQ(line.size(), std::size_t(n));
        for (auto [s, e] : pieces) {
            const Points control(original.begin() + s, original.begin() + e + 1);
            for (int j = 0; j <= e - s; ++j) {
                const auto expected = deCasteljau(control, double(j) / (e - s));
                EXPECT_NEAR(line[std::size_t(s + j)].first, expected.first, 1e-9) << "vertex " << s + j;
                EXPECT_NEAR(line[std::size_t(s + j)].second, expected.second, 1e-9) << "vertex " << s + j;
            }
        }
        const int stay = n == 52 ? 49 : n; // first vertex of the piece left as it was
        EXPECT_EQ(Points(line.begin() + stay, line.end()), Points(original.begin() + stay, original.end()));
    }
}

} // namespace
} // namespace orvane
