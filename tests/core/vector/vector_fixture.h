// Shared helpers of the vector tests: point lists, stored lines as plain
// point lists and one-call vectorisation runs.
#pragma once

#include "settings/app_settings.h"
#include "support/drawings.h"
#include "support/recording_port.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace orvane::test {

using Points = std::vector<std::pair<double, double>>;

inline PointList toList(const Points& points)
{
    PointList p;
    for (auto [x, y] : points)
        p.append(x, y);
    return p;
}

inline Points toPoints(const PointList& p)
{
    Points result;
    for (int i = 0; i < p.count; ++i)
        result.emplace_back(p.x[std::size_t(i)], p.y[std::size_t(i)]);
    return result;
}

inline Points pointsOf(const CVectorLine& line)
{
    Points result;
    for (const VectorNode& node : line.m_nodes)
        result.emplace_back(node.m_dX, node.m_dY);
    return result;
}

/// The length of a polyline.
inline double lengthOf(const Points& line)
{
    double total = 0;
    for (std::size_t i = 1; i < line.size(); ++i)
        total += std::hypot(line[i].first - line[i - 1].first, line[i].second - line[i - 1].second);
    return total;
}

inline std::vector<int> ids(const CLineStore& store)
{
    std::vector<int> result;
    for (const auto& line : store.lines())
        result.push_back(line->m_nId);
    return result;
}

/// One run over an image, smoothing and reduction off unless asked for:
/// the result, the store and what the user saw.
struct TraceRun {
    RecordingPort port;
    CLineStore store;
    AppSettings settings = [] {
        AppSettings s;
        s.m_bSmoothWhileVectorising = s.m_bReduceWhileVectorising = 0;
        return s;
    }();
    int result = -1;
    std::size_t unwritten = 0;

    TraceRun& run(const CBitmapImage& image)
    {
        CVectoriser vectoriser(port, store, settings);
        result = vectoriser.Run(image);
        unwritten = vectoriser.unwrittenNodes();
        return *this;
    }
    std::vector<Points> lines() const
    {
        std::vector<Points> result;
        for (const auto& line : store.lines())
            result.push_back(pointsOf(*line));
        return result;
    }
};

/// Checks lines traced from a picture of one-pixel strokes: vertices are
/// whole ink pixels, segments run straight (along an axis or a diagonal)
/// over ink, lines meet only at their ends and, when the trace was
/// `complete`, every ink pixel with an ink neighbour lies on a line.
inline void ExpectLinesFollowStrokes(const CLineStore& store, const Text& picture, bool complete)
{
    const int w = int(picture[0].size()), h = int(picture.size());
    auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && picture[y][x] == '#'; };
    std::map<std::pair<int, int>, std::vector<bool>> cover; // pixel -> (at the line's end) per line
    for (const auto& stored : store.lines()) {
        const Points line = pointsOf(*stored);
        ASSERT_GE(line.size(), 2u);
        std::set<std::pair<int, int>> own;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const auto [x, y] = line[k];
            ASSERT_TRUE(x == std::floor(x) && y == std::floor(y) && ink(int(x), int(y))) << x << "," << y;
            if (k == 0)
                continue;
            const int x0 = int(line[k - 1].first), y0 = int(line[k - 1].second);
            const int dx = int(x) - x0, dy = int(y) - y0, n = std::max(std::abs(dx), std::abs(dy));
            ASSERT_TRUE(dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) << "segments run straight";
            for (int i = 0; i <= n; ++i)
                own.emplace(x0 + (n ? dx / n * i : 0), y0 + (n ? dy / n * i : 0));
        }
        const std::pair<int, int> front(line.front()), back(line.back());
        for (const auto& pixel : own) {
            EXPECT_TRUE(ink(pixel.first, pixel.second)) << "lines run over ink only";
            cover[pixel].push_back(pixel == front || pixel == back);
        }
    }
    for (const auto& [pixel, ends] : cover)
        for (bool isEnd : ends)
            EXPECT_TRUE(ends.size() < 2 || isEnd)
                << "a line is met away from its ends at (" << pixel.first << "," << pixel.second << ")";
    for (int y = 0; y < h && complete; ++y)
        for (int x = 0; x < w; ++x) {
            bool connected = false;
            for (int k = 0; k < 9; ++k)
                connected = connected || (k != 4 && ink(x + k % 3 - 1, y + k / 3 - 1));
            EXPECT_TRUE(!ink(x, y) || !connected || cover.count({x, y})) << "(" << x << "," << y << ") not traced";
        }
}

} // namespace orvane::test
