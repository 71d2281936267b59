// Zoom levels, the line filter and the mapping between image and view.
#include "view/view_state.h"

#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace orvane {
namespace {

// Each step moves one level: 1/16 .. 1/2, then 1 .. 16, and stays at both
// ends. (The menu's Zoom In and Out take two steps.)
TEST(ViewZoom, StepsRunThroughTheLevelsAndStopAtBothEnds)
{
    std::vector<float> levels;
    for (int n = 16; n >= 2; --n)
        levels.push_back(1.0f / float(n));
    for (int z = 1; z <= 16; ++z)
        levels.push_back(float(z));
    std::vector<float> up{levels.front()}, down{levels.back()};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        up.push_back(StepZoomIn(up.back()));
        down.push_back(StepZoomOut(down.back()));
    }
    levels.push_back(16.0f);
    EXPECT_EQ(up, levels);
    levels.back() = 1.0f / 16;
    std::reverse(levels.begin(), levels.end() - 1);
    EXPECT_EQ(down, levels);
}

TEST(ViewMapping, VerticesSitOnPixelCentresFromZoomTwoAndOnCornersBelow)
{
    struct Case { float zoom; int k; double x, pen; };
    // x is where the vertex (3, 3) lands; pen the line width in device pixels.
    for (Case c : {Case{16, 10, 3 * 16 + 8, 8}, Case{10, 10, 35, 5}, Case{4, 4, 14, 2}, Case{3, 3, 10, 1},
                   Case{2, 2, 7, 1}, Case{1, 1, 3, 0}, Case{0.5f, 1, 1.5, 0}, Case{1.0f / 16, 1, 3.0 / 16, 0}}) {
        EXPECT_EQ(VectorScale(c.zoom), c.k) << c.zoom;
        EXPECT_DOUBLE_EQ(VertexToDevice(3, 3, c.zoom).x, c.x) << c.zoom;
        EXPECT_DOUBLE_EQ(LinePenWidth(c.zoom), c.pen) << c.zoom;
    }
    EXPECT_DOUBLE_EQ(VertexToDevice(2.75, 0, 16).x, (27 + 5) * 1.6) << "fractions go to the 1/k grid";
}

TEST(ViewMapping, ReducedZoomsAreExactWholeReductions)
{
    // The float 1/n is a little off 1/n; pixels and extents must not be.
    for (int n = 2; n <= 16; ++n) {
        const float zoom = 1.0f / float(n);
        for (int d : {1, 2, 7, 100, 1999})
            EXPECT_EQ(DeviceToImage(d, zoom), d * n) << "1/" << n;
        for (int k : {1, 3, 100, 375})
            EXPECT_EQ(DeviceExtent(k * n, zoom), k) << "1/" << n;
        EXPECT_EQ(DeviceExtent(3 * n + 1, zoom), 4) << "a partly covered device pixel still shows";
    }
}

TEST(ViewMapping, DevicePixelsNameTheImagePixelUnderThem)
{
    EXPECT_EQ(DeviceToImage(0, 1), 0);
    EXPECT_EQ(DeviceToImage(9, 2), 4);
    EXPECT_EQ(DeviceToImage(9, 0.5f), 18);
    EXPECT_EQ(DeviceExtent(1500, 1.0f / 16), 94) << "a partly covered device pixel still shows";
    EXPECT_EQ(DeviceExtent(1500, 16), 24000);
    EXPECT_EQ(DeviceExtent(0, 4), 0);
}

TEST(ViewMapping, ZoomingKeepsThePointUnderTheCursorWithinTheScrollRange)
{
    // Image pixel 600 sits under client x 100 at scroll 500, zoom 1; at zoom 2
    // it is device 1200, so the scroll goes to 1100.
    EXPECT_EQ(ScrollToKeepPoint(500, 100, 1, 2, 3000, 800), 1100);
    EXPECT_EQ(ScrollToKeepPoint(500, 100, 1, 2, 1500, 800), 700) << "held at the end";
    EXPECT_EQ(ScrollToKeepPoint(0, 10, 2, 1, 750, 800), 0) << "an image smaller than the window does not scroll";
}

TEST(ViewState, FilterModeShowsOnlyListedLines)
{
    ViewState view;
    EXPECT_EQ(view.IsLineShown(5), 1);
    view.m_bFilterMode = 1;
    EXPECT_EQ(view.IsLineShown(5), 0) << "an empty list shows nothing";
    view.SetFilterList({1, 5});
    EXPECT_EQ(view.IsLineShown(5), 1);
    EXPECT_EQ(view.IsLineShown(2), 0);
    view.m_bFilterMode = 0;
    EXPECT_EQ(view.IsLineShown(2), 1);
    view.m_selection = {7};
    EXPECT_NE(view.IsSelected(7), 0);
    EXPECT_EQ(view.IsSelected(5), 0);
}

TEST(ViewState, VertexBoundsFollowMovedVertices)
{
    PointList p;
    p.append(4, 1);
    p.append(2, 9);
    CVectorLine line(1, p);
    line.m_nodes[1].m_dX = 20; // smoothing moves vertices, not the kept box
    const ImageRect box = VertexBounds(line);
    EXPECT_EQ(box, (ImageRect{4, 1, 20, 9}));
}

} // namespace
} // namespace orvane
