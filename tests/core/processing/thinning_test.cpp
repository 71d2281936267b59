#include "processing/thinning.h"

#include "image/pixel_grid.h"
#include "port/recording_port.h"
#include "reference_kernels.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace orvane {
namespace {

using test::FromText;
using test::ToText;
using Text = std::vector<std::string>;

struct Outcome {
    Text picture;
    int passes = 0;
    RecordingPort port;
};

/// Thins a picture and works out the number of passes (or iterations) from
/// the checks the run made: binarise, convert, restore and write back check
/// once per grid row, the method once more at its end, and each pass once
/// per interior row (plus once before it for Zhang-Suen); each Stentiford
/// iteration once per row or column of its five scans.
void thin(Outcome& out, const Text& picture, std::uint16_t method)
{
    CBitmapImage image = FromText(picture);
    const int rows = image.GetHeight() + 2, cols = image.GetWidth() + 2;
    ASSERT_EQ(Thin(image, out.port, method), 1);
    out.picture = ToText(image);
    const int perPass = method == kThinZhangSuen ? rows - 1 : 3 * (rows - 2) + 2 * (cols - 2);
    const int inPasses = out.port.checkCount() - 4 * rows - 1;
    EXPECT_EQ(inPasses % perPass, 0);
    out.passes = inPasses / perPass;
}

Text thinned(const Text& picture, std::uint16_t method)
{
    Outcome out;
    thin(out, picture, method);
    return out.picture;
}

TEST(ThinningTest, ZhangSuenShapes)
{
    EXPECT_EQ(thinned({".....", "..#..", "....."}, kThinZhangSuen), Text({".....", "..#..", "....."}));
    EXPECT_EQ(thinned({".......", ".#####.", "......."}, kThinZhangSuen), Text({".......", ".#####.", "......."}));
    Outcome bar;
    thin(bar, {".........", ".#######.", ".#######.", ".#######.", "........."}, kThinZhangSuen);
    EXPECT_EQ(bar.picture, Text({".........", ".........", "..#####..", ".........", "........."}));
    EXPECT_EQ(bar.passes, 2);
    Outcome square;
    thin(square, {".......", ".#####.", ".#####.", ".#####.", ".#####.", ".#####.", "......."}, kThinZhangSuen);
    EXPECT_EQ(square.picture, Text({".......", ".......", ".......", "...#...", ".......", ".......", "......."}));
    EXPECT_EQ(square.passes, 3);
    EXPECT_EQ(thinned({"....", ".##.", ".##.", "...."}, kThinZhangSuen), Text({"....", ".#..", "....", "...."}));
    EXPECT_EQ(thinned({"......", ".#....", ".#....", ".####.", "......"}, kThinZhangSuen),
              Text({"......", ".#....", ".#....", "..###.", "......"}));
}

TEST(ThinningTest, StentifordShapes)
{
    EXPECT_EQ(thinned({".....", "..#..", "....."}, kThinStentiford), Text({".....", "..#..", "....."}));
    EXPECT_EQ(thinned({".......", ".#####.", "......."}, kThinStentiford), Text({".......", ".#####.", "......."}));
    Outcome bar;
    thin(bar, {".........", ".#######.", ".#######.", ".#######.", "........."}, kThinStentiford);
    EXPECT_EQ(bar.picture, Text({".........", ".........", "..######.", ".........", "........."}));
    EXPECT_EQ(bar.passes, 2);
    Outcome square;
    thin(square, {".......", ".#####.", ".#####.", ".#####.", ".#####.", ".#####.", "......."}, kThinStentiford);
    EXPECT_EQ(square.picture, Text({".......", ".......", ".......", "...##..", ".......", ".......", "......."}));
    EXPECT_EQ(square.passes, 3);
    EXPECT_EQ(thinned({"....", ".##.", ".##.", "...."}, kThinStentiford), Text({"....", "....", ".##.", "...."}));
    EXPECT_EQ(thinned({"......", ".#....", ".#....", ".####.", "......"}, kThinStentiford),
              Text({"......", ".#....", ".#....", "..###.", "......"}));
    EXPECT_EQ(thinned({"....", ".##.", "...."}, kThinStentiford), Text({"....", ".##.", "...."}));
}

TEST(ThinningTest, InkLimitAndBorderStrokes)
{
    for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
        CBitmapImage image;
        image.Create(3, 1, 24);
        image.SetPixelColor(1, 1, 169, 255, 255);
        image.SetPixelColor(2, 1, 170, 170, 170);
        image.SetPixelColor(3, 1, 255, 255, 100);
        SilentPort port;
        ASSERT_EQ(Thin(image, port, method), 1);
        EXPECT_EQ(ToText(image), Text({"#.#"})) << method;
        // A bar filling the picture's outermost rows thins like any other.
        const Text full = {"#######", "#######", "#######"};
        const Text inside = {".........", ".#######.", ".#######.", ".#######.", "........."};
        Text expected;
        for (int y = 1; y <= 3; ++y)
            expected.push_back(thinned(inside, method)[y].substr(1, 7));
        EXPECT_EQ(thinned(full, method), expected) << method;
    }
}

TEST(ThinningTest, ProgressOfAFullRun)
{
    RecordingPort zs;
    CBitmapImage image = FromText({"##", "##"});
    Thin(image, zs, kThinZhangSuen);
    const Text texts = {"Thinning - Zhang-Suen", "Initialise...", "Pre-process...", "Working...", "Post-process...",
                        "Done."};
    EXPECT_EQ(zs.progressTexts(), texts);
    EXPECT_EQ(zs.positions(), std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_EQ(zs.eventsOf({PortEvent::Kind::ProgressRange}).size(), 1u);
    EXPECT_EQ(zs.eventsOf({PortEvent::Kind::ProgressRange})[0].value, 10);
    EXPECT_EQ(zs.events().back().kind, PortEvent::Kind::ProgressClose);

    RecordingPort st;
    Thin(image, st, kThinStentiford);
    EXPECT_EQ(st.progressTexts()[0], "Thinning - Stentiford");
    EXPECT_EQ(st.positions(), std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(st.eventsOf({PortEvent::Kind::ProgressRange})[0].value, 8);

    CBitmapImage empty;
    RecordingPort none;
    EXPECT_EQ(Thin(empty, none, kThinZhangSuen), 0);
    EXPECT_TRUE(none.events().empty());
}

// A cancel at any check before the write-back leaves the picture as it was;
// during the write-back the rows before the cancel are written. Either way
// the run ends with "Post-process...", two more positions and "Done.".
TEST(ThinningTest, CancelAtEveryCheck)
{
    const Text picture = {"#####..", "#####..", "#####.#", "..#...#"};
    for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
        RecordingPort full;
        CBitmapImage done = FromText(picture);
        Thin(done, full, method);
        const int checks = full.checkCount();
        const int rows = int(picture.size()) + 2;
        const int firstWriteBack = checks - rows + 1; // the check before frame row 0
        for (int n = 1; n <= checks; ++n) {
            RecordingPort port;
            port.cancelFromCheck(n);
            CBitmapImage image = FromText(picture);
            ASSERT_EQ(Thin(image, port, method), 1);
            Text expected = picture;
            for (int y = 1; y < n - firstWriteBack && y <= int(picture.size()); ++y)
                expected[y - 1] = ToText(done)[y - 1];
            EXPECT_EQ(ToText(image), expected) << "method " << method << " cancel at " << n;
            const auto texts = port.progressTexts();
            EXPECT_EQ(texts.back(), "Done.");
            EXPECT_EQ(texts[texts.size() - 2], "Post-process...");
            const auto pos = port.positions();
            const int last = method == kThinZhangSuen ? 10 : 8;
            const int expectedLast = n <= rows ? 7 : last; // cancelled while binarising: no method stages
            EXPECT_EQ(pos.back(), expectedLast) << "method " << method << " cancel at " << n;
            for (std::size_t k = 0; k < pos.size(); ++k)
                EXPECT_EQ(pos[k], int(k) + 1);
        }
    }
}

// The fast kernels against the plain ones, on drawings of many sizes.
TEST(ThinningTest, MatchesPlainVersionOnDrawings)
{
    int sizes[][2] = {{1, 1}, {2, 3}, {5, 1}, {7, 9}, {16, 16}, {31, 17}, {64, 40}, {97, 83}, {150, 120}};
    unsigned seed = 1;
    for (auto [w, h] : sizes)
        for (int repeat = 0; repeat < 3; ++repeat, ++seed) {
            const CBitmapImage drawing = test::RandomStrokes(w, h, seed, 2 + (w * h) / 400);
            for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
                test::Grid g = test::BinariseForThinning(drawing);
                if (method == kThinZhangSuen)
                    test::RefZhangSuen(g, true);
                else
                    test::RefStentiford(g);
                CBitmapImage fast(drawing);
                SilentPort port;
                ASSERT_EQ(Thin(fast, port, method), 1);
                for (int y = 1; y <= h; ++y)
                    for (int x = 1; x <= w; ++x) {
                        std::uint8_t r = 0, gr = 0, b = 0;
                        fast.GetPixelColor(x, y, r, gr, b);
                        ASSERT_EQ(r, g[y][x]) << "method " << method << " seed " << seed << " at " << x << "," << y;
                    }
            }
        }
}

// Neither method erases or splits a stroke, at any angle or width; the
// two-pixel 45-degree band survives Zhang-Suen as a diagonal line.
TEST(ThinningTest, KeepsEveryStrokeConnected)
{
    for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
        SilentPort port;
        for (unsigned seed = 100; seed < 160; ++seed) {
            const CBitmapImage drawing = test::RandomStrokes(60, 50, seed, 8);
            CBitmapImage thin(drawing);
            Thin(thin, port, method);
            EXPECT_TRUE(test::KeepsEveryStroke(drawing, thin)) << "method " << method << " seed " << seed;
        }
    }
}

/// Strokes 1 to 6.5 pixels wide within 20 degrees of the axes, crossing
/// one another, as text rows.
Text axisStrokes(unsigned seed, int width, int height)
{
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    Text rows(height, std::string(width, '.'));
    for (int s = 0; s < 4; ++s) {
        const double x = uniform(0, width), y = uniform(0, height), len = uniform(5, 40), w = uniform(1, 6.5);
        const double angle = uniform(-20, 20) * 3.14159265 / 180 + (random() % 2 ? 1.5707963 : 0);
        const double dx = std::cos(angle) * len, dy = std::sin(angle) * len;
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) {
                const double t = std::clamp(((px - x) * dx + (py - y) * dy) / (len * len), 0.0, 1.0);
                if (std::hypot(px - x - t * dx, py - y - t * dy) <= w / 2)
                    rows[py][px] = '#';
            }
    }
    return rows;
}

// Away from 45 degrees the mended removal changes nothing: the same pixels
// and the same number of passes as removing every mark of a pass at once.
TEST(ThinningTest, MendedZhangSuenKeepsOtherResults)
{
    for (unsigned seed = 1; seed < 400; ++seed) {
        const CBitmapImage drawing = FromText(axisStrokes(seed, 60, 40));
        test::Grid parallel = test::BinariseForThinning(drawing);
        test::Grid mended = parallel;
        const int passesParallel = test::RefZhangSuen(parallel, false);
        const int passesMended = test::RefZhangSuen(mended, true);
        EXPECT_EQ(parallel, mended) << "seed " << seed;
        EXPECT_EQ(passesParallel, passesMended) << "seed " << seed;
    }
}

// Removing a whole pass's marks at once eats a two-pixel 45-degree band
// down to a pixel or two; the mended removal leaves a diagonal line.
TEST(ThinningTest, FortyFiveDegreeBandSurvivesZhangSuen)
{
    for (int dir : {1, -1}) {
        Text band(14, std::string(18, '.'));
        for (int r = 1; r <= 12; ++r) {
            const int c = dir > 0 ? 1 + r : 16 - r;
            band[r][c] = band[r][c + 1] = '#';
        }
        test::Grid parallel = test::BinariseForThinning(FromText(band));
        test::RefZhangSuen(parallel, false);
        int left = 0;
        for (const auto& row : parallel)
            left += int(std::count(row.begin(), row.end(), 0));
        EXPECT_LE(left, 2);

        CBitmapImage image = FromText(band);
        SilentPort port;
        Thin(image, port, kThinZhangSuen);
        const Text out = ToText(image);
        for (int r = 1; r <= 12; ++r)
            EXPECT_GE(std::count(out[r].begin(), out[r].end(), '#'), 1) << "row " << r;
        EXPECT_TRUE(test::KeepsEveryStroke(FromText(band), image));
    }
}

TEST(ThinningTest, StentifordIsIdempotent)
{
    for (unsigned seed = 500; seed < 530; ++seed) {
        CBitmapImage image = test::RandomStrokes(70, 45, seed, 10);
        SilentPort port;
        Thin(image, port, kThinStentiford);
        const Text once = ToText(image);
        Thin(image, port, kThinStentiford);
        EXPECT_EQ(ToText(image), once) << "seed " << seed;
    }
}

TEST(ThinningTest, PaletteImageWritesThroughItsTable)
{
    // An 8-bit picture whose table holds black and white.
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    CBitmapImage image;
    image.Create(9, 5, 8, table);
    std::memset(image.GetBits(), 200, image.GetBitsSize());
    for (int y = 2; y <= 4; ++y)
        for (int x = 2; x <= 8; ++x)
            image.SetPixelColor(x, y, 100, 100, 100);
    SilentPort port;
    Thin(image, port, kThinStentiford);
    EXPECT_EQ(ToText(image), Text({".........", ".........", "..######.", ".........", "........."}));
    std::uint8_t r = 0, g = 0, b = 0;
    image.GetPixelColor(1, 1, r, g, b);
    EXPECT_EQ(r, 255);
}

} // namespace
} // namespace orvane
