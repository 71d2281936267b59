#include "processing/canny_edge.h"

#include "reference_kernels.h"
#include "support/progress_check.h"
#include "test_drawings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>

namespace orvane {
namespace {

using test::Text;
using test::ToText;

std::array<int, 3> at(const CBitmapImage& image, int x, int y)
{
    std::uint8_t r = 0, g = 0, b = 0;
    image.GetPixelColor(x, y, r, g, b);
    return {r, g, b};
}

/// A white w x h picture with a black x0..x1 by y0..y1 block.
CBitmapImage picture(int w, int h, int x0, int x1, int y0, int y1)
{
    CBitmapImage image;
    image.Create(w, h, 24);
    std::memset(image.GetBits(), 255, image.GetBitsSize());
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            image.SetPixelColor(x, y, 0, 0, 0);
    return image;
}

CBitmapImage squareImage() { return picture(24, 24, 9, 16, 9, 16); }

int blackCount(const CBitmapImage& image)
{
    int n = 0;
    for (const auto& row : ToText(image))
        n += int(std::count(row.begin(), row.end(), '#'));
    return n;
}

TEST(CannyEdgeTest, MaskWidthBySigma)
{
    const std::pair<float, int> widths[] = {{0.5f, 2}, {1.0f, 3}, {4.0f, 5}, {5.0f, 4}, {5.6f, 1}, {6.0f, 0}, {0.0f, 0}};
    for (auto [sigma, width] : widths)
        EXPECT_EQ(CannyMaskWidth(sigma), width) << sigma;
}

TEST(CannyEdgeTest, WhiteResults)
{
    SilentPort port;
    for (float sigma : {5.6f, 6.0f}) { // masks of width 1 and 0 have no derivative
        CBitmapImage image = squareImage();
        ASSERT_EQ(EdgeDetect(image, port, sigma, 5, 3), 1);
        EXPECT_EQ(blackCount(image), 0) << sigma;
    }
    CBitmapImage white = picture(30, 20, 1, 0, 1, 0);
    EdgeDetect(white, port, 4.0f, 5, 3);
    EXPECT_EQ(blackCount(white), 0);
    CBitmapImage narrow = picture(7, 30, 4, 4, 1, 30); // too narrow for the border band
    EdgeDetect(narrow, port, 1.0f, 0, 0);
    EXPECT_EQ(blackCount(narrow), 0);
    CBitmapImage empty;
    RecordingPort none;
    EXPECT_EQ(EdgeDetect(empty, none, 4.0f, 5, 3), 0);
    EXPECT_TRUE(none.events().empty());
}

// The 8 x 8 square gives one closed outline: one group of black pixels
// that shuts the square's inside off from the picture's edge.
TEST(CannyEdgeTest, SquareGivesClosedOutline)
{
    CBitmapImage image = squareImage();
    SilentPort port;
    EdgeDetect(image, port, 4.0f, 5, 3);
    EXPECT_GE(blackCount(image), 20);
    EXPECT_LE(blackCount(image), 48);
    // Flood the white from the border through 4-neighbours; the centre must stay unreached.
    Text out = ToText(image);
    out[0][0] = 'o';
    for (std::vector<std::pair<int, int>> stack{{0, 0}}; !stack.empty();) {
        auto [y, x] = stack.back();
        stack.pop_back();
        for (auto [ny, nx] : {std::pair{y + 1, x}, {y - 1, x}, {y, x + 1}, {y, x - 1}})
            if (ny >= 0 && ny < 24 && nx >= 0 && nx < 24 && out[ny][nx] == '.') {
                out[ny][nx] = 'o';
                stack.push_back({ny, nx});
            }
    }
    EXPECT_NE(out[11][11], 'o');
}

// With both thresholds 0 every pixel inside is an edge; the band of three
// rows and columns (four at the far sides) is always white.
TEST(CannyEdgeTest, BorderBandAndHighZero)
{
    CBitmapImage image = test::RandomGreyShapes(30, 26, 7);
    SilentPort port;
    EdgeDetect(image, port, 1.0f, 0, 0);
    for (int y = 1; y <= 26; ++y)
        for (int x = 1; x <= 30; ++x) {
            const int inside = x >= 4 && x <= 30 - 4 && y >= 4 && y <= 26 - 4 ? 0 : 255;
            EXPECT_EQ(at(image, x, y), (std::array{inside, inside, inside})) << x << "," << y;
        }
}

// The fast detector against the plain one, for many sizes, masks and
// thresholds (high below low estimates both).
TEST(CannyEdgeTest, MatchesPlainVersion)
{
    // The tallest are formed by two threads, meeting half way.
    const int sizes[][2] = {{8, 8}, {9, 12}, {17, 11}, {33, 25}, {64, 48}, {101, 67}, {31, 140}};
    const int thresholds[][2] = {{5, 3}, {3, 5}, {12, 2}, {0, 0}};
    unsigned seed = 1;
    for (auto [w, h] : sizes)
        for (float sigma : {0.5f, 1.0f, 2.0f, 4.0f, 5.0f})
            for (auto [high, low] : thresholds) {
                const CBitmapImage source = test::RandomGreyShapes(w, h, seed++);
                const test::Grid expected = test::RefCanny(source, sigma, high, low);
                CBitmapImage image(source);
                SilentPort port;
                ASSERT_EQ(EdgeDetect(image, port, sigma, high, low), 1);
                for (int y = 4; y <= h - 4; ++y)
                    for (int x = 4; x <= w - 4; ++x)
                        ASSERT_EQ(at(image, x, y)[0], expected[y + 1][x + 1])
                            << w << "x" << h << " sigma " << sigma << " high " << high << " low " << low << " at "
                            << x << "," << y;
            }
}

// Every pixel of whole runs against the plain detector, band included, where
// the fast one has its edges: one- and two-row pictures, widths that leave
// 0 to 15 cells after the last group of 4, 8 or 16, heights on both sides
// of the point where a second thread takes the lower rows (65 rows and
// more) with the masks reaching across the split, thresholds at or beyond
// the top of the scale, and with and without eight-lane instructions.
TEST(CannyEdgeTest, MatchesPlainVersionAtEveryEdgeOfTheWork)
{
    const int widths[] = {1, 3, 5, 8, 19, 21, 36};
    const int heights[] = {1, 2, 7, 64, 65, 66, 67, 130, 131};
    const int thresholds[][2] = {{5, 3}, {3, 5}, {0, 0}, {255, 3}, {256, 3}};
    unsigned seed = 100;
    for (int w : widths)
        for (int h : heights)
            for (float sigma : {1.0f, 4.0f, 5.0f})
                for (auto [high, low] : thresholds) {
                    const CBitmapImage source = test::RandomGreyShapes(w, h, seed++);
                    const test::Grid expected = test::RefCanny(source, sigma, high, low);
                    for (bool wide : {true, false}) {
                        CBitmapImage image(source);
                        SilentPort port;
                        CCannyEdge canny(port, sigma, high, low);
                        canny.setWideLanes(wide);
                        ASSERT_EQ(canny.Run(image, 2), 1);
                        for (int y = 1; y <= h; ++y)
                            for (int x = 1; x <= w; ++x) {
                                const bool inside = x >= 4 && x <= w - 4 && y >= 4 && y <= h - 4;
                                const int v = inside ? expected[y + 1][x + 1] : 255;
                                ASSERT_EQ(at(image, x, y), (std::array{v, v, v}))
                                    << w << "x" << h << " sigma " << sigma << " high " << high << " low " << low
                                    << (wide ? " wide" : " four lanes") << " at " << x << "," << y;
                            }
                    }
                }
}

// A full run shows every stage. A cancel while copying skips the detection
// stages; a later one before the write-back leaves the picture as it was;
// during it the rows written stay and the border band is whitened all the
// same. Smoothing checks once per tap, so a cancel is seen at once even
// with a wide mask.
TEST(CannyEdgeTest, ProgressAndCancelAtEachStage)
{
    const CBitmapImage source = test::RandomGreyShapes(20, 16, 3);
    CBitmapImage done(source);
    RecordingPort full;
    EdgeDetect(done, full, 1.0f, 5, 3);
    const Text all = {"Initialise...", "Pre-process...", "Working...", "Hysteresis thresholding...",
                      "Post-process...", "Done."};
    EXPECT_TRUE(test::ShowedProgress(full, {"Edge Detection - Canny", 8, all, test::Steps(1, 7)}));
    CBitmapImage square = squareImage();
    RecordingPort wide;
    EdgeDetect(square, wide, 4.0f, 5, 3);
    EXPECT_GT(wide.checkCount(), 3 * 24 * 24 * 4) << "smoothing and both derivatives, 4 taps per cell";

    const int checks = full.checkCount(), copyRows = 16 - 6;
    const int firstWrite = checks - (16 - 6) + 1; // rows 3 .. H - 4 are written
    for (int n = 1; n <= checks; n += n <= 40 || n >= firstWrite - 4 ? 1 : std::min(97, firstWrite - 4 - n)) {
        SCOPED_TRACE(testing::Message() << "cancel at " << n);
        CBitmapImage image(source);
        RecordingPort port;
        port.cancelFromCheck(n);
        ASSERT_EQ(EdgeDetect(image, port, 1.0f, 5, 3), 1);
        if (n <= copyRows)
            EXPECT_TRUE(test::ShowedProgress(port, {"Edge Detection - Canny", 8, {all[0], all[1], all[2], all[5]},
                                                    test::Steps(1, 5)}));
        else if (n < firstWrite)
            EXPECT_TRUE(test::ShowedProgress(
                port, {"Edge Detection - Canny", 8, {all[0], all[1], all[2], all[3], all[5]}, test::Steps(1, 6)}));
        else
            EXPECT_TRUE(test::ShowedProgress(port, {"Edge Detection - Canny", 8, all, test::Steps(1, 7)}));
        if (n < firstWrite) {
            ASSERT_EQ(std::memcmp(image.GetBits(), source.GetBits(), source.GetBitsSize()), 0);
            continue;
        }
        const int lastWritten = 3 + (n - firstWrite) - 1;
        for (int y = 4; y <= 16 - 4; ++y)
            for (int x = 4; x <= 20 - 4; ++x)
                ASSERT_EQ(at(image, x, y), at(y <= lastWritten ? done : source, x, y)) << x << "," << y;
        for (int x = 1; x <= 20; ++x)
            EXPECT_EQ(at(image, x, 2), (std::array{255, 255, 255}));
    }
}

TEST(CannyEdgeTest, OutOfMemoryLeavesImageAndFails)
{
    for (auto [part, message] : {std::tuple{-1, "Out of storage: F2D.\n"}, std::tuple{7, "Out of storage: F2D 7.\n"}}) {
        const CBitmapImage source = squareImage();
        CBitmapImage image(source);
        RecordingPort port;
        CCannyEdge canny(port, 4.0f, 5, 3);
        canny.setFloatGridFault([part](int g, int p) { return g == 0 && p == part; });
        EXPECT_EQ(canny.Run(image, 2), 0);
        EXPECT_EQ(port.messages(), std::vector<std::string>({message}));
        EXPECT_EQ(std::memcmp(image.GetBits(), source.GetBits(), source.GetBitsSize()), 0);
        EXPECT_EQ(port.events().back().kind, PortEvent::Kind::ProgressClose);
    }
}

} // namespace
} // namespace orvane
