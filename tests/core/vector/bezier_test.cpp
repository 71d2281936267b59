// Bezier smoothing of stored lines, against a de Casteljau reference.
#include "vector/bezier.h"

#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orvane {
namespace {

using Points = std::vector<std::pair<double, double>>;

CVectorLine makeLine(const Points& points)
{
    PointList p;
    for (auto [x, y] : points)
        p.append(x, y);
    return CVectorLine(9, p);
}

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

void expectPieceOnCurve(const CVectorLine& line, const Points& original, int s, int e)
{
    const Points control(original.begin() + s, original.begin() + e + 1);
    const int n = e - s;
    for (int j = 0; j <= n; ++j) {
        const auto expected = deCasteljau(control, double(j) / n);
        EXPECT_NEAR(line.m_nodes[std::size_t(s + j)].m_dX, expected.first, 1e-9) << "vertex " << s + j;
        EXPECT_NEAR(line.m_nodes[std::size_t(s + j)].m_dY, expected.second, 1e-9) << "vertex " << s + j;
    }
}

TEST(BezierSmooth, FiveVerticesMoveOntoTheirQuarticCurve)
{
    const Points original{{0, 0}, {1, 2}, {2, 0}, {3, 2}, {4, 0}};
    CVectorLine line = makeLine(original);
    BezierSmooth(line);
    const Points expected{{0, 0}, {1, 0.9375}, {2, 1}, {3, 0.9375}, {4, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(line.m_nodes[i].m_dX, expected[i].first);
        EXPECT_DOUBLE_EQ(line.m_nodes[i].m_dY, expected[i].second);
        EXPECT_EQ(line.m_nodes[i].m_nIndex, int(i) + 1);
    }
}

TEST(BezierSmooth, ShortLinesAndShortLastPiecesStay)
{
    const Points four{{0, 0}, {1, 3}, {2, 0}, {3, 3}};
    CVectorLine line = makeLine(four);
    BezierSmooth(line);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(line.m_nodes[i].m_dY, four[i].second);

    // 52 vertices: the piece 0-49, then 49-51 (three segments) stays.
    const Points original = zigzag(52);
    CVectorLine longer = makeLine(original);
    BezierSmooth(longer);
    for (std::size_t i = 49; i < 52; ++i)
        EXPECT_EQ(longer.m_nodes[i].m_dY, original[i].second);
}

TEST(BezierSmooth, LongLinesAreSmoothedInPiecesSharingTheirEnds)
{
    const Points original = zigzag(120);
    CVectorLine line = makeLine(original);
    const double length = line.m_dLength;
    BezierSmooth(line);
    expectPieceOnCurve(line, original, 0, 49);
    expectPieceOnCurve(line, original, 49, 98);
    expectPieceOnCurve(line, original, 98, 119);
    EXPECT_EQ(line.m_nodes.size(), 120u);
    EXPECT_EQ(line.m_dLength, length) << "the stored length describes the line as made";
}

} // namespace
} // namespace orvane
