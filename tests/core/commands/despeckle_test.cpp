// The ink mask and despeckling: what is ink, how deep a point lies in it,
// the typical stroke width, and which patches of ink are specks.
#include "image/ink_mask.h"
#include "processing/despeckle.h"

#include "support/drawings.h"

#include <gtest/gtest.h>

#include <random>

namespace orvane {
namespace {

TEST(InkMask, ReadsInkAndMeasuresStrokes)
{
    // A horizontal band 6 pixels high, and grey that is just ink or not.
    test::Text rows(20, std::string(70, '.'));
    for (int y = 5; y < 11; ++y)
        rows[std::size_t(y)].replace(2, 60, 60, '#');
    CBitmapImage image = test::FromText(rows);
    image.SetPixelColor(66, 2, 169, 255, 255); // one channel below 170: ink
    image.SetPixelColor(68, 2, 170, 170, 170); // not ink
    const InkMask mask = InkMask::FromImage(image);
    ASSERT_EQ(mask.width(), 70);
    EXPECT_TRUE(mask.ink(2, 5) && mask.ink(61, 10) && mask.ink(65, 1));
    EXPECT_FALSE(mask.ink(1, 5) || mask.ink(62, 5) || mask.ink(2, 11) || mask.ink(67, 1) || mask.ink(-1, 0));
    EXPECT_EQ(mask.inkCount(), 6u * 60u + 1u);
    // On the band's middle the depth is half its height; off it, none.
    EXPECT_DOUBLE_EQ(mask.radiusAt(30, 7.5), 3.0);
    EXPECT_DOUBLE_EQ(mask.radiusAt(30, 5), 0.5);
    EXPECT_DOUBLE_EQ(mask.radiusAt(30, 15), 0.0);
    EXPECT_NEAR(mask.typicalStrokeWidth(), 6.0, 1.0);

    // Indexed images read through their table, whatever index is black.
    CBitmapImage indexed;
    const RGBQUAD table[] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    ASSERT_TRUE(indexed.Create(67, 3, 1, table));
    indexed.SetPixelIndex(65, 2, 1);
    const InkMask bits = InkMask::FromImage(indexed);
    EXPECT_EQ(bits.inkCount(), 1u);
    EXPECT_TRUE(bits.ink(64, 1));
}

TEST(InkMask, EveryDepthAndTableReadsAsItsColours)
{
    // Odd widths across word boundaries; tables with ink at either index,
    // at both and at none.
    const std::vector<std::vector<RGBQUAD>> tables = {
        {{0, 0, 0, 0}, {255, 255, 255, 0}}, {{255, 255, 255, 0}, {0, 0, 0, 0}},
        {{10, 10, 10, 0}, {0, 0, 0, 0}}, {{200, 200, 200, 0}, {255, 255, 255, 0}}, {{0, 0, 0, 0}, {0, 0, 0, 0}}};
    for (int bits : {1, 4, 8, 24})
        for (int width : {1, 63, 64, 65, 130}) {
            CBitmapImage image = test::RandomImage(width, 5, bits, unsigned(width * 31 + bits));
            for (const auto& table : tables) {
                if (bits != 24)
                    for (std::size_t i = 0; i < table.size(); ++i)
                        image.GetColorTable()[i] = table[i];
                const InkMask mask = InkMask::FromImage(image);
                const InkMask black = InkMask::FromImage(image, InkMask::Rule::Black);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < width; ++x) {
                        std::uint8_t r = 0, g = 0, b = 0;
                        image.GetPixelColor(x + 1, y + 1, r, g, b);
                        ASSERT_EQ(mask.ink(x, y), r < 170 || g < 170 || b < 170)
                            << bits << " bits, width " << width << " at " << x << "," << y;
                        ASSERT_EQ(black.ink(x, y), (r | g | b) == 0)
                            << bits << " bits, width " << width << " at " << x << "," << y;
                    }
            }
        }
}

TEST(Despeckle, RemovesOnlyPatchesThatFitTheSquare)
{
    test::Text rows(30, std::string(40, '.'));
    rows[3][3] = '#';                          // one pixel
    rows[10].replace(10, 2, "##");             // 2 x 2
    rows[11].replace(10, 2, "##");
    rows[20].replace(5, 3, "###");             // 3 wide: kept at size 2
    for (int y = 2; y < 28; ++y)               // a stroke
        rows[std::size_t(y)][30] = '#';
    rows[15][31] = '#';                        // a bump on the stroke stays
    CBitmapImage image = test::FromText(rows);
    InkMask mask = InkMask::FromImage(image);
    const DespeckleResult done = Despeckle(image, mask, 2);
    EXPECT_EQ(done.specks, 2u);
    EXPECT_EQ(done.pixels, 5u);
    test::Text expected = rows;
    expected[3][3] = '.';
    expected[10].replace(10, 2, "..");
    expected[11].replace(10, 2, "..");
    EXPECT_EQ(test::ToText(image), expected);
    EXPECT_EQ(InkMask::FromImage(image).inkCount(), mask.inkCount());
    EXPECT_EQ(Despeckle(image, mask, 0).specks, 0u);
    EXPECT_EQ(AutomaticSpeckSize(0), 2);
    EXPECT_EQ(AutomaticSpeckSize(7), 3);
}

/// The patches of `rows` ('#') that fit in a square of `size`, found the
/// plain way: one flood fill per patch.
test::Text withoutSpecks(test::Text rows, int size)
{
    const int height = int(rows.size()), width = int(rows[0].size());
    std::vector<std::vector<int>> seen(std::size_t(height), std::vector<int>(std::size_t(width), 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (rows[std::size_t(y)][std::size_t(x)] != '#' || seen[std::size_t(y)][std::size_t(x)])
                continue;
            std::vector<std::pair<int, int>> patch{{x, y}}, stack{{x, y}};
            seen[std::size_t(y)][std::size_t(x)] = 1;
            int minX = x, maxX = x, minY = y, maxY = y;
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height ||
                            rows[std::size_t(ny)][std::size_t(nx)] != '#' || seen[std::size_t(ny)][std::size_t(nx)])
                            continue;
                        seen[std::size_t(ny)][std::size_t(nx)] = 1;
                        stack.push_back({nx, ny});
                        patch.push_back({nx, ny});
                        minX = std::min(minX, nx), maxX = std::max(maxX, nx);
                        minY = std::min(minY, ny), maxY = std::max(maxY, ny);
                    }
            }
            if (maxX - minX < size && maxY - minY < size)
                for (auto [px, py] : patch)
                    rows[std::size_t(py)][std::size_t(px)] = '.';
        }
    return rows;
}

TEST(Despeckle, MatchesOneFloodFillPerPatch)
{
    // Random ink of several densities, with runs across 64-pixel words and
    // along whole rows; the size of the square from 1 to 4.
    std::mt19937 random(5);
    for (int width : {7, 64, 65, 150, 200})
        for (int density : {3, 15, 40, 70})
            for (int size = 1; size <= 4; ++size) {
                test::Text rows(23, std::string(std::size_t(width), '.'));
                for (auto& row : rows)
                    for (char& c : row)
                        c = int(random() % 100) < density ? '#' : '.';
                rows[5].assign(std::size_t(width), '#');
                rows[9].replace(0, std::size_t(std::min(width, 130)), std::size_t(std::min(width, 130)), '#');
                CBitmapImage image = test::FromText(rows);
                InkMask mask = InkMask::FromImage(image);
                Despeckle(image, mask, size);
                const test::Text expected = withoutSpecks(rows, size);
                ASSERT_EQ(test::ToText(image), expected) << width << " wide, " << density << " %, size " << size;
                EXPECT_EQ(InkMask::FromImage(image).inkCount(), mask.inkCount());
            }
}

TEST(Despeckle, ErasesWithThePapersColourOfAnyTable)
{
    // A table without white: specks take the first colour that is not ink.
    CBitmapImage image;
    const RGBQUAD table[] = {{20, 20, 20, 0}, {200, 220, 240, 0}, {0, 0, 0, 0}};
    ASSERT_TRUE(image.Create(8, 8, 8, table));
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 8; ++x)
            image.SetPixelIndex(x, y, 1);
    image.SetPixelIndex(4, 4, 2);
    InkMask mask = InkMask::FromImage(image);
    EXPECT_EQ(Despeckle(image, mask, 2).specks, 1u);
    EXPECT_EQ(image.GetPixelIndex(4, 4), 1u);

    // A table of ink colours only: nothing can be erased, nothing changes.
    CBitmapImage dark;
    const RGBQUAD inks[] = {{20, 20, 20, 0}, {0, 0, 0, 0}};
    ASSERT_TRUE(dark.Create(8, 8, 1, inks));
    InkMask all = InkMask::FromImage(dark);
    EXPECT_EQ(Despeckle(dark, all, 2).specks, 0u);
}

} // namespace
} // namespace orvane
