#include "processing/thinning.h"

#include "processing/thinning_grid.h"
#include "processing/operation_progress.h"
#include "processing/stentiford.h"

#include "reference_kernels.h"
#include "support/progress_check.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvane {
namespace {

using test::FromText;
using test::Text;
using test::ToText;
constexpr std::uint16_t kMethods[] = {kThinZhangSuen, kThinStentiford};

Text thin(const Text& picture, std::uint16_t method)
{
    CBitmapImage image = FromText(picture);
    SilentPort port;
    EXPECT_EQ(Thin(image, port, method), 1);
    return ToText(image);
}

TEST(ThinningTest, ShapesOfBothMethods)
{
    struct Case { Text in, zs, st; };
    const Case cases[] = {
        {{".....", "..#..", "....."}, {".....", "..#..", "....."}, {".....", "..#..", "....."}},
        {{".......", ".#####.", "......."}, {".......", ".#####.", "......."}, {".......", ".#####.", "......."}},
        {{".........", ".#######.", ".#######.", ".#######.", "........."},
         {".........", ".........", "..#####..", ".........", "........."},
         {".........", ".........", "..######.", ".........", "........."}},
        {{".......", ".#####.", ".#####.", ".#####.", ".#####.", ".#####.", "......."},
         {".......", ".......", ".......", "...#...", ".......", ".......", "......."},
         {".......", ".......", ".......", "...##..", ".......", ".......", "......."}},
        {{"....", ".##.", ".##.", "...."}, {"....", ".#..", "....", "...."}, {"....", "....", ".##.", "...."}},
        {{"......", ".#....", ".#....", ".####.", "......"}, {"......", ".#....", ".#....", "..###.", "......"},
         {"......", ".#....", ".#....", "..###.", "......"}},
        {{"....", ".##.", "...."}, {"....", ".##.", "...."}, {"....", ".##.", "...."}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(thin(c.in, kThinZhangSuen), c.zs) << c.in[1];
        EXPECT_EQ(thin(c.in, kThinStentiford), c.st) << c.in[1];
    }
}

// Ink is any channel below 170; a bar filling the picture's outermost rows
// thins like the same bar inside a white frame.
TEST(ThinningTest, InkLimitAndBorderStrokes)
{
    for (std::uint16_t method : kMethods) {
        CBitmapImage image;
        image.Create(3, 1, 24);
        image.SetPixelColor(1, 1, 169, 255, 255);
        image.SetPixelColor(2, 1, 170, 170, 170);
        image.SetPixelColor(3, 1, 255, 255, 100);
        SilentPort port;
        ASSERT_EQ(Thin(image, port, method), 1);
        EXPECT_EQ(ToText(image), Text({"#.#"})) << method;
        const Text inside = thin({".........", ".#######.", ".#######.", ".#######.", "........."}, method);
        Text expected;
        for (int y = 1; y <= 3; ++y)
            expected.push_back(inside[y].substr(1, 7));
        EXPECT_EQ(thin({"#######", "#######", "#######"}, method), expected) << method;
    }
}

/// What the display shows when the run reaches `lastPos` (stages a cancel
/// skipped show no positions of their own).
test::ProgressShown shown(std::uint16_t method, int range, int lastPos)
{
    return {method == kThinZhangSuen ? "Thinning - Zhang-Suen" : "Thinning - Stentiford", range,
            {"Initialise...", "Pre-process...", "Working...", "Post-process...", "Done."}, test::Steps(1, lastPos)};
}

// A cancel at any check before the write-back leaves the picture as it was;
// during the write-back the rows before the cancel are written. Either way
// the run ends with "Post-process...", two more positions and "Done.".
TEST(ThinningTest, ProgressAndCancelAtEveryCheck)
{
    const Text picture = {"#####..", "#####..", "#####.#", "..#...#"};
    for (std::uint16_t method : kMethods) {
        const int range = method == kThinZhangSuen ? 10 : 8;
        RecordingPort full;
        CBitmapImage image = FromText(picture);
        Thin(image, full, method);
        EXPECT_TRUE(test::ShowedProgress(full, shown(method, range, range)));
        const Text done = ToText(image);
        const int checks = full.checkCount(), rows = int(picture.size()) + 2;
        const int firstWriteBack = checks - rows + 1; // the check before frame row 0
        for (int n = 1; n <= checks; ++n) {
            SCOPED_TRACE(testing::Message() << "method " << method << " cancel at " << n);
            RecordingPort port;
            port.cancelFromCheck(n);
            image = FromText(picture);
            ASSERT_EQ(Thin(image, port, method), 1);
            Text expected = picture;
            for (int y = 1; y < n - firstWriteBack && y <= int(picture.size()); ++y)
                expected[y - 1] = done[y - 1];
            EXPECT_EQ(ToText(image), expected);
            // Cancelled while binarising, the method's stages are skipped.
            EXPECT_TRUE(test::ShowedProgress(port, shown(method, range, n <= rows ? 7 : range)));
        }
    }
    CBitmapImage empty;
    RecordingPort none;
    EXPECT_EQ(Thin(empty, none, kThinZhangSuen), 0);
    EXPECT_TRUE(none.events().empty());
}

// The fast kernels against the plain ones, on drawings of many sizes.
TEST(ThinningTest, MatchesPlainVersionOnDrawings)
{
    // The large ones take many passes, with cells kept pass after pass and
    // removals far apart, across blocks of 64 columns. Rows of the grid are
    // two columns wider than the image and held 64 cells a word: widths
    // around 62 and 126 put the frame on either side of a word's end.
    int sizes[][2] = {{1, 1},   {2, 3},     {5, 1},     {1, 6},     {7, 9},   {16, 16},  {31, 17},  {62, 20},
                      {63, 9},  {64, 40},   {97, 83},   {126, 30},  {127, 12}, {150, 120}, {300, 210}, {259, 131}};
    unsigned seed = 1;
    for (auto [w, h] : sizes)
        for (int repeat = 0; repeat < 3; ++repeat, ++seed) {
            const CBitmapImage drawing = test::RandomStrokes(w, h, seed, 2 + (w * h) / 400);
            for (std::uint16_t method : kMethods) {
                test::Grid g = test::BinariseForThinning(drawing);
                method == kThinZhangSuen ? test::RefZhangSuen(g) : test::RefStentiford(g);
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

// Stentiford thinning looks only near the last iteration's removals; when
// a mark reaches a cell it left out, the iteration runs again over the
// whole grid. Looking only one cell around makes that happen often: the
// pixels and the checks for a cancel stay those of full scans.
TEST(ThinningTest, StentifordRunAgainGivesTheResultAndChecksOfFullScans)
{
    auto thinGrid = [](const test::Grid& in, int reach, RecordingPort& port, StentifordReach& counts) {
        const int rows = int(in.size()), cols = int(in[0].size());
        ThinningGridPtr grid = NewThinningGrid(port, rows, cols, 2);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid->set(r, c, in[r][c] == 0);
        counts.cells = reach;
        OperationProgress progress(port, "thin");
        EXPECT_EQ(ThinStentiford(*grid, progress, &counts), 1);
        test::Grid out = in;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) // a mark left behind reads as neither
                out[r][c] = grid->get(r, c, 1) ? 128 : grid->get(r, c) ? 0 : 255;
        return out;
    };
    int reruns = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const test::Grid drawing = test::BinariseForThinning(test::RandomStrokes(140, 100, seed, 12));
        test::Grid expected = drawing;
        test::RefStentiford(expected);
        RecordingPort near, wide;
        StentifordReach oneCell, standard;
        EXPECT_EQ(thinGrid(drawing, 1, near, oneCell), expected) << "seed " << seed;
        EXPECT_EQ(thinGrid(drawing, 2, wide, standard), expected) << "seed " << seed;
        EXPECT_EQ(near.checkCount(), wide.checkCount()) << "seed " << seed;
        reruns += oneCell.reruns;
        EXPECT_LE(standard.reruns, oneCell.reruns);
    }
    EXPECT_GT(reruns, 0);
}

// Neither method erases or splits a stroke, at any angle or width.
// Stentiford thinning changes nothing more on its own output (Zhang-Suen
// may: its staircase passes run after its last pass).
TEST(ThinningTest, KeepsEveryStrokeConnectedAndStentifordIsIdempotent)
{
    SilentPort port;
    for (std::uint16_t method : kMethods)
        for (unsigned seed = 100; seed < 160; ++seed) {
            const CBitmapImage drawing = test::RandomStrokes(60, 50, seed, 8);
            CBitmapImage thin(drawing);
            Thin(thin, port, method);
            EXPECT_TRUE(test::KeepsEveryStroke(drawing, thin)) << "method " << method << " seed " << seed;
            if (method == kThinStentiford) {
                const Text once = ToText(thin);
                Thin(thin, port, method);
                EXPECT_EQ(ToText(thin), once) << "seed " << seed;
            }
        }
}

// Away from 45 degrees the mended removal changes nothing: the same pixels
// and the same number of passes as removing every mark of a pass at once.
TEST(ThinningTest, MendedZhangSuenKeepsOtherResults)
{
    for (unsigned seed = 1; seed < 400; ++seed) {
        test::Grid parallel = test::BinariseForThinning(test::RandomStrokes(60, 40, seed, 4, true));
        test::Grid mended = parallel;
        EXPECT_EQ(test::RefZhangSuen(parallel, test::ZhangSuenRemoval::kParallel), test::RefZhangSuen(mended))
            << "seed " << seed;
        EXPECT_EQ(parallel, mended) << "seed " << seed;
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
        test::RefZhangSuen(parallel, test::ZhangSuenRemoval::kParallel);
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

TEST(ThinningTest, PaletteImageWritesThroughItsTable)
{
    std::vector<RGBQUAD> table(256); // a grey ramp
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
