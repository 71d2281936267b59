// The vectorisation run: foreground test, progress, cancel, statistics,
// smoothing and reduction of stored lines, and properties of whole traced
// drawings.
#include "vector/vectoriser.h"

#include "vector/polyline_optimiser.h"
#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

namespace orvane {
namespace {

using test::drawing;
using test::Points;
using test::TraceRun;

std::vector<std::string> blank(int width, int height) { return {std::size_t(height), std::string(width, '.')}; }

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
    EXPECT_EQ(run.run(image).lines(), (std::vector<Points>{{{3, 3}, {1, 3}}}));
    TraceRun empty;
    EXPECT_EQ(empty.run(CBitmapImage{}).result, 0);
    EXPECT_TRUE(empty.port.events().empty()) << "an empty image fails without showing anything";
}

TEST(Vectoriser, ProgressTextsAndPositionsStepByAHundredthOfTheHeight)
{
    for (int height : {99, 100, 250}) {
        TraceRun run;
        ASSERT_EQ(run.run(drawing(blank(3, height))).result, 1);
        const int step = std::max(height / 100, 1);
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
    rows[0] = rows[6] = ".###..";
    TraceRun run;
    run.port.cancelFromCheck(3);
    EXPECT_EQ(run.run(drawing(rows)).result, 0);
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
    const int traced = raw.store.line(0).m_nPoints;
    EXPECT_GT(traced, 6);
    EXPECT_EQ(raw.store.m_nTotalLines, traced - 1);
    EXPECT_EQ(raw.store.m_nLinesSaved, 0);
    for (int smooth : {0, 1}) {
        TraceRun optimised;
        optimised.settings.m_bSmoothWhileVectorising = smooth;
        optimised.settings.m_bReduceWhileVectorising = 1;
        optimised.run(drawing(rows));
        PointList expected = test::toList(raw.lines()[0]);
        if (smooth)
            CPolylineOptimiser().Smooth(expected);
        const int removed = CPolylineOptimiser().Reduce(expected, 1.2);
        EXPECT_GT(removed, 0);
        EXPECT_EQ(optimised.store.m_nLinesSaved, removed);
        EXPECT_EQ(optimised.store.m_nTotalLines, expected.count - 1);
        EXPECT_EQ(optimised.lines(), std::vector<Points>{test::toPoints(expected)}) << "smooth " << smooth;
    }
}

/// A one-pixel-wide drawing: random straight strokes, thinned by a plain
/// two-pass thinning so crossings and thick spots become thin too.
struct GeneratedDrawing {
    int w, h;
    std::vector<std::uint8_t> cells;

    GeneratedDrawing(int width, int height, unsigned seed) : w(width), h(height), cells(std::size_t(w * h))
    {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> px(1, w - 2), py(1, h - 2);
        for (int i = 0; i < 14; ++i) {
            const int x0 = px(random), y0 = py(random), x1 = px(random), y1 = py(random);
            const int n = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
            for (int k = 0; k <= n; ++k)
                cells[std::size_t((y0 + std::lround(double(y1 - y0) * k / n)) * w + x0 +
                                  std::lround(double(x1 - x0) * k / n))] = 1;
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (int pass = 0; pass < 2; ++pass) {
                std::vector<std::size_t> gone;
                for (int y = 1; y < h - 1; ++y)
                    for (int x = 1; x < w - 1; ++x) {
                        const int p[8] = {ink(x, y - 1), ink(x + 1, y - 1), ink(x + 1, y), ink(x + 1, y + 1),
                                          ink(x, y + 1), ink(x - 1, y + 1), ink(x - 1, y), ink(x - 1, y - 1)};
                        int b = 0, a = 0;
                        for (int k = 0; k < 8; ++k) {
                            b += p[k];
                            a += !p[k] && p[(k + 1) % 8];
                        }
                        const bool side = pass == 0 ? (!(p[0] && p[2] && p[4]) && !(p[2] && p[4] && p[6]))
                                                    : (!(p[0] && p[2] && p[6]) && !(p[0] && p[4] && p[6]));
                        if (ink(x, y) && b >= 2 && b <= 6 && a == 1 && side)
                            gone.push_back(std::size_t(y * w + x));
                    }
                for (std::size_t i : gone)
                    cells[i] = 0;
                changed = changed || !gone.empty();
            }
        }
    }
    bool ink(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && cells[std::size_t(y * w + x)]; }
    CBitmapImage image() const
    {
        std::vector<std::string> rows = blank(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                rows[std::size_t(y)][std::size_t(x)] = ink(x, y) ? '#' : '.';
        return drawing(rows);
    }
};

// On generated thinned drawings: vertices are whole pixels within the
// image, segments run straight over ink, lines meet only at their ends and,
// unless the tracer showed a message, every ink pixel with an ink
// neighbour lies on a line.
TEST(Vectoriser, GeneratedThinDrawingsAreCoveredByLinesMeetingOnlyAtTheirEnds)
{
    int clean = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const GeneratedDrawing picture(120, 90, seed);
        TraceRun run;
        run.run(picture.image());
        // A dense crossing can stay too thick for the tracer, which then
        // says so and stops; the lines stored until then must still hold.
        ASSERT_EQ(run.result == 1, run.port.messages().empty());
        std::map<std::pair<int, int>, std::vector<std::pair<int, bool>>> cover; // pixel -> (line, at its end)
        int index = 0;
        for (const Points& line : run.lines()) {
            ASSERT_GE(line.size(), 2u);
            std::set<std::pair<int, int>> own;
            for (std::size_t k = 0; k < line.size(); ++k) {
                const auto [x, y] = line[k];
                EXPECT_TRUE(x == std::floor(x) && y == std::floor(y) && x >= 0 && x < picture.w && y >= 0 &&
                            y < picture.h);
                if (k == 0)
                    continue;
                const int x0 = int(line[k - 1].first), y0 = int(line[k - 1].second);
                const int dx = int(x) - x0, dy = int(y) - y0, n = std::max(std::abs(dx), std::abs(dy));
                ASSERT_TRUE(dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) << "segments run straight";
                for (int i = 0; i <= n; ++i)
                    own.emplace(x0 + (n ? dx / n * i : 0), y0 + (n ? dy / n * i : 0));
            }
            for (const auto& pixel : own) {
                EXPECT_TRUE(picture.ink(pixel.first, pixel.second)) << "lines run over ink only";
                const bool isEnd = pixel == std::pair<int, int>(line.front()) || pixel == std::pair<int, int>(line.back());
                cover[pixel].emplace_back(index, isEnd);
            }
            ++index;
        }
        for (const auto& [pixel, lines] : cover)
            for (auto [line, isEnd] : lines)
                EXPECT_TRUE(lines.size() < 2 || isEnd)
                    << "line " << line << " is met at (" << pixel.first << "," << pixel.second << ") away from its ends";
        if (!run.port.messages().empty())
            continue;
        ++clean;
        EXPECT_EQ(run.unwritten, 0u);
        for (int y = 0; y < picture.h; ++y)
            for (int x = 0; x < picture.w; ++x) {
                bool connected = false;
                for (int k = 0; k < 9; ++k)
                    connected = connected || (k != 4 && picture.ink(x + k % 3 - 1, y + k / 3 - 1));
                EXPECT_TRUE(!picture.ink(x, y) || !connected || cover.count({x, y}))
                    << "(" << x << "," << y << ") not traced";
            }
    }
    EXPECT_GE(clean, 9) << "most thinned drawings trace without a message";
}

} // namespace
} // namespace orvane
