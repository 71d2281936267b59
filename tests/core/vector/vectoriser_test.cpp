// The vectorisation run: foreground test, progress, cancel, statistics,
// smoothing and reduction of stored lines, and properties of whole traced
// drawings.
#include "vector/vectoriser.h"

#include "trace_fixture.h"
#include "vector/polyline_optimiser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

namespace orvane {
namespace {

using test::drawing;
using test::Points;
using test::TraceRun;

std::vector<std::string> blank(int width, int height) { return std::vector<std::string>(std::size_t(height), std::string(std::size_t(width), '.')); }

TEST(Vectoriser, EmptyImageFailsWithoutShowingAnything)
{
    TraceRun run;
    run.run(CBitmapImage{});
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(run.port.events().empty());
}

TEST(Vectoriser, OnlyPixelsWithAllChannelsZeroAreInkOnEveryRow)
{
    CBitmapImage image = drawing(blank(6, 4));
    for (int x = 2; x <= 4; ++x) {
        image.SetPixelColor(x, 1, 255, 0, 0); // red: background on the first row
        image.SetPixelColor(x, 2, 0, 255, 0); // green: background on later rows too
        image.SetPixelColor(x, 3, 1, 1, 1);   // near black is not black
        image.SetPixelColor(x, 4, 0, 0, 0);
    }
    TraceRun run;
    run.run(image);
    EXPECT_EQ(run.lines(), (std::vector<Points>{{{3, 3}, {1, 3}}}));
}

TEST(Vectoriser, SingleRowImageIsTracedBetweenEmptyRows)
{
    TraceRun run;
    run.run(drawing({".###."}));
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.lines(), (std::vector<Points>{{{3, 0}, {1, 0}}}));
}

TEST(Vectoriser, ProgressTextsAndPositionsStepByAHundredthOfTheHeight)
{
    for (int height : {99, 100, 250}) {
        TraceRun run;
        run.run(drawing(blank(3, height)));
        ASSERT_EQ(run.result, 1);
        const int step = height / 100 ? height / 100 : 1;
        std::vector<std::string> texts{"Vectorisation", "Converted 0 pixel rows..."};
        std::vector<int> positions{0, 1};
        for (int i = 0; i < height; i += step) {
            texts.push_back("Vectorised " + std::to_string(i * 3) + " pixels...");
            positions.push_back(i / step);
        }
        texts.push_back("Done.");
        positions.push_back(100);
        EXPECT_EQ(run.port.progressTexts(), texts) << height;
        EXPECT_EQ(run.port.positions(), positions) << height;
        EXPECT_EQ(run.port.checkCount(), height);
        EXPECT_EQ(run.port.eventsOf({PortEvent::Kind::ProgressRange}).at(0).value, 100);
        EXPECT_EQ(run.port.events().back().kind, PortEvent::Kind::ProgressClose);
    }
}

TEST(Vectoriser, CancelStopsBeforeTheRowAndLeavesStoredLinesToTheCaller)
{
    std::vector<std::string> rows = blank(6, 8);
    rows[0] = ".###..";
    rows[6] = ".###..";
    TraceRun run;
    run.port.cancelFromCheck(3);
    run.run(drawing(rows));
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.lines(), (std::vector<Points>{{{3, 0}, {1, 0}}}));
    EXPECT_EQ(run.store.m_nTotalLines, 1);
    EXPECT_EQ(run.port.progressTexts().back(), "Done.");
    EXPECT_EQ(run.port.positions().back(), 100);
    EXPECT_EQ(run.port.events().back().kind, PortEvent::Kind::ProgressClose);
}

TEST(Vectoriser, StoredLinesAreSmoothedThenReducedAndCounted)
{
    // A shallow staircase: many whole-pixel vertices before optimisation.
    std::vector<std::string> rows = blank(34, 9);
    for (int x = 0; x < 30; ++x)
        rows[std::size_t(1 + x * 7 / 30)][std::size_t(x + 2)] = '#';
    TraceRun raw;
    raw.run(drawing(rows));
    ASSERT_EQ(raw.store.GetLineCount(), 1);
    const CVectorLine& traced = raw.store.line(0);
    EXPECT_GT(traced.m_nPoints, 6);
    EXPECT_EQ(raw.store.m_nTotalLines, traced.m_nPoints - 1);
    EXPECT_EQ(raw.store.m_nLinesSaved, 0);

    for (int smooth : {0, 1}) {
        TraceRun optimised;
        optimised.settings.m_bSmoothWhileVectorising = smooth;
        optimised.settings.m_bReduceWhileVectorising = 1;
        optimised.run(drawing(rows));
        PointList expected;
        for (const VectorNode& node : traced.m_nodes)
            expected.append(node.m_dX, node.m_dY);
        if (smooth)
            CPolylineOptimiser().Smooth(expected);
        const int removed = CPolylineOptimiser().Reduce(expected, 1.2);
        EXPECT_GT(removed, 0);
        EXPECT_EQ(optimised.store.m_nLinesSaved, removed);
        EXPECT_EQ(optimised.store.m_nTotalLines, expected.count - 1);
        Points want;
        for (int k = 0; k < expected.count; ++k)
            want.emplace_back(expected.x[std::size_t(k)], expected.y[std::size_t(k)]);
        EXPECT_EQ(optimised.lines(), std::vector<Points>{want}) << "smooth " << smooth;
    }
}

// ---- generated thinned drawings ------------------------------------------

/// A one-pixel-wide drawing: random straight strokes, thinned by a
/// plain two-pass thinning so crossings and thick spots become thin too.
class GeneratedDrawing {
public:
    GeneratedDrawing(int width, int height, unsigned seed) : m_w(width), m_h(height), m_ink(std::size_t(width * height))
    {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> px(1, width - 2), py(1, height - 2);
        for (int i = 0; i < 14; ++i)
            stroke(px(random), py(random), px(random), py(random));
        thin();
    }

    bool ink(int x, int y) const { return x >= 0 && y >= 0 && x < m_w && y < m_h && m_ink[std::size_t(y * m_w + x)]; }
    int width() const { return m_w; }
    int height() const { return m_h; }

    CBitmapImage image() const
    {
        std::vector<std::string> rows = blank(m_w, m_h);
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                if (ink(x, y))
                    rows[std::size_t(y)][std::size_t(x)] = '#';
        return drawing(rows);
    }

private:
    void set(int x, int y)
    {
        if (x >= 1 && y >= 1 && x < m_w - 1 && y < m_h - 1)
            m_ink[std::size_t(y * m_w + x)] = 1;
    }
    void stroke(int x0, int y0, int x1, int y1)
    {
        const int n = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
        for (int i = 0; i <= n; ++i)
            set(x0 + static_cast<int>(std::lround(double(x1 - x0) * i / n)),
                y0 + static_cast<int>(std::lround(double(y1 - y0) * i / n)));
    }
    void thin()
    {
        for (bool changed = true; changed;) {
            changed = false;
            for (int pass = 0; pass < 2; ++pass) {
                std::vector<std::size_t> gone;
                for (int y = 1; y < m_h - 1; ++y)
                    for (int x = 1; x < m_w - 1; ++x) {
                        if (!ink(x, y))
                            continue;
                        const int p[8] = {ink(x, y - 1), ink(x + 1, y - 1), ink(x + 1, y), ink(x + 1, y + 1),
                                          ink(x, y + 1), ink(x - 1, y + 1), ink(x - 1, y), ink(x - 1, y - 1)};
                        int b = 0, a = 0;
                        for (int k = 0; k < 8; ++k) {
                            b += p[k];
                            a += !p[k] && p[(k + 1) % 8];
                        }
                        const bool side = pass == 0 ? (!(p[0] && p[2] && p[4]) && !(p[2] && p[4] && p[6]))
                                                    : (!(p[0] && p[2] && p[6]) && !(p[0] && p[4] && p[6]));
                        if (b >= 2 && b <= 6 && a == 1 && side)
                            gone.push_back(std::size_t(y * m_w + x));
                    }
                for (std::size_t i : gone)
                    m_ink[i] = 0;
                changed = changed || !gone.empty();
            }
        }
    }

    int m_w, m_h;
    std::vector<std::uint8_t> m_ink;
};

TEST(Vectoriser, GeneratedThinDrawingsAreCoveredByLinesMeetingOnlyAtTheirEnds)
{
    int clean = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const GeneratedDrawing picture(120, 90, seed);
        TraceRun run;
        run.run(picture.image());
        // A dense crossing can stay too thick for the tracer, which then
        // says so and stops; the lines stored until then must still hold.
        ASSERT_EQ(run.result == 1, run.port.messages().empty()) << "seed " << seed;
        // pixel -> (line index, whether it is an end of that line)
        std::map<std::pair<int, int>, std::vector<std::pair<int, bool>>> cover;
        int index = 0;
        for (const auto& line : run.store.lines()) {
            ASSERT_GE(line->m_nodes.size(), 2u);
            for (const VectorNode& node : line->m_nodes) {
                EXPECT_EQ(node.m_dX, std::floor(node.m_dX));
                EXPECT_EQ(node.m_dY, std::floor(node.m_dY));
                EXPECT_TRUE(node.m_dX >= 0 && node.m_dX < picture.width() && node.m_dY >= 0 &&
                            node.m_dY < picture.height());
            }
            std::set<std::pair<int, int>> own;
            for (std::size_t k = 1; k < line->m_nodes.size(); ++k) {
                const int x0 = int(line->m_nodes[k - 1].m_dX), y0 = int(line->m_nodes[k - 1].m_dY);
                const int dx = int(line->m_nodes[k].m_dX) - x0, dy = int(line->m_nodes[k].m_dY) - y0;
                const int n = std::max(std::abs(dx), std::abs(dy));
                ASSERT_TRUE(dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) << "segments run straight";
                for (int i = 0; i <= n; ++i)
                    own.emplace(x0 + (n ? dx / n * i : 0), y0 + (n ? dy / n * i : 0));
            }
            const auto first = std::pair{int(line->m_nodes.front().m_dX), int(line->m_nodes.front().m_dY)};
            const auto last = std::pair{int(line->m_nodes.back().m_dX), int(line->m_nodes.back().m_dY)};
            for (const auto& pixel : own) {
                EXPECT_TRUE(picture.ink(pixel.first, pixel.second)) << "lines run over ink only";
                cover[pixel].emplace_back(index, pixel == first || pixel == last);
            }
            ++index;
        }
        for (const auto& [pixel, lines] : cover) {
            if (lines.size() < 2)
                continue;
            for (auto [line, isEnd] : lines) {
                EXPECT_TRUE(isEnd) << "seed " << seed << ": line " << line << " is met at (" << pixel.first << ","
                                   << pixel.second << ") away from its ends";
            }
        }
        if (!run.port.messages().empty())
            continue;
        ++clean;
        EXPECT_EQ(run.unwritten, 0u) << "seed " << seed;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                if (!picture.ink(x, y))
                    continue;
                bool connected = false;
                for (int k = 0; k < 9; ++k)
                    connected = connected || (k != 4 && picture.ink(x + k % 3 - 1, y + k / 3 - 1));
                if (connected) {
                    EXPECT_TRUE(cover.count({x, y})) << "seed " << seed << ": (" << x << "," << y << ") not traced";
                }
            }
    }
    EXPECT_GE(clean, 9) << "most thinned drawings trace without a message";
}

} // namespace
} // namespace orvane
