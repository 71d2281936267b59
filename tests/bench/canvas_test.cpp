// Where the drawing generator says its strokes run when the image border
// cuts them.
#include "common/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace orvane::bench {
namespace {

TruthStroke stroke(std::vector<TruthPoint> points, bool closed = false) { return {"line", 3, closed, std::move(points)}; }

void expectPoints(const TruthStroke& s, const std::vector<TruthPoint>& expected)
{
    ASSERT_EQ(s.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(s.points[i].x, expected[i].x, 1e-9) << i;
        EXPECT_NEAR(s.points[i].y, expected[i].y, 1e-9) << i;
    }
}

TEST(ClipToImage, KeepsStrokesInsideAndDropsStrokesOutside)
{
    const TruthStroke square = stroke({{10, 10}, {90, 10}, {90, 90}, {10, 90}}, true);
    const auto inside = ClipToImage(square, 100, 100);
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_TRUE(inside[0].closed);
    expectPoints(inside[0], square.points);
    EXPECT_TRUE(ClipToImage(stroke({{-50, -5}, {150, -5}}), 100, 100).empty());
    // Touching a corner from outside leaves nothing of any length.
    EXPECT_TRUE(ClipToImage(stroke({{-10, 10}, {10, -10}}), 100, 100).empty());
}

TEST(ClipToImage, CutsAtTheBorderOfTheImage)
{
    // The border is the outer edge of the outer pixels: x = 0 and x = width.
    const auto across = ClipToImage(stroke({{-20, 50}, {120, 50}}), 100, 80);
    ASSERT_EQ(across.size(), 1u);
    expectPoints(across[0], {{0, 50}, {100, 50}});
    const auto diagonal = ClipToImage(stroke({{50, 40}, {50 + 100, 40 + 100}}), 100, 80);
    ASSERT_EQ(diagonal.size(), 1u);
    expectPoints(diagonal[0], {{50, 40}, {90, 80}});
}

TEST(ClipToImage, AStrokeLeavingAndComingBackIsTwoStrokes)
{
    const auto parts = ClipToImage(stroke({{20, 50}, {20, -50}, {60, -50}, {60, 50}, {80, 50}}), 100, 100);
    ASSERT_EQ(parts.size(), 2u);
    expectPoints(parts[0], {{20, 50}, {20, 0}});
    expectPoints(parts[1], {{60, 0}, {60, 50}, {80, 50}});
    EXPECT_FALSE(parts[0].closed || parts[1].closed);
    EXPECT_EQ(parts[1].kind, "line");
    EXPECT_EQ(parts[1].width, 3);
}

TEST(ClipToImage, AClosedStrokeCutOnceStaysOnePieceThroughItsFirstPoint)
{
    // A square whose left side lies outside; its first point is inside, so
    // the run through it goes on past the closing corner.
    const auto parts = ClipToImage(stroke({{50, 20}, {50, 80}, {-20, 80}, {-20, 20}}, true), 100, 100);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_FALSE(parts[0].closed);
    expectPoints(parts[0], {{0, 20}, {50, 20}, {50, 80}, {0, 80}});
}

TEST(ClipToImage, ACircleOverACornerKeepsItsArc)
{
    std::vector<TruthPoint> circle;
    for (int k = 0; k < 64; ++k)
        circle.push_back({10 + 30 * std::cos(k * std::numbers::pi / 32), 10 + 30 * std::sin(k * std::numbers::pi / 32)});
    const auto parts = ClipToImage(stroke(circle, true), 100, 100);
    ASSERT_EQ(parts.size(), 1u);
    const TruthStroke& arc = parts[0];
    // It comes in across y = 0 and leaves across x = 0 (the chords of the
    // 64-gon run up to 0.04 inside the circle).
    EXPECT_NEAR(arc.points.front().x, 10 + std::sqrt(800.0), 0.05);
    EXPECT_EQ(arc.points.front().y, 0);
    EXPECT_EQ(arc.points.back().x, 0);
    EXPECT_NEAR(arc.points.back().y, 10 + std::sqrt(800.0), 0.05);
    // 129 degrees of the circle, through its first point.
    EXPECT_EQ(arc.points.size(), 2u + 3 + 1 + 19); // every 5.625 degrees
    EXPECT_EQ(arc.points[4].x, 40);
    EXPECT_EQ(arc.points[4].y, 10);
}

} // namespace
} // namespace orvane::bench
