// 1-, 4- and 8-bit images give what their 24-bit twins give: thinning,
// edge detection and tracing look each colour up once per operation, and
// must still write and read every pixel exactly as the per-pixel accessors
// would, whatever the colour table holds.
#include "image/bitmap_image.h"

#include "port/port.h"
#include "processing/canny_edge.h"
#include "processing/thinning.h"
#include "settings/app_settings.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace orvane {
namespace {

/// Colour tables of one depth: greys with black and white, and the awkward
/// ones.
enum class Table { Greys, NoBlack, NoWhite, BlackTwice };

std::vector<RGBQUAD> tableOf(int bits, Table kind)
{
    const int n = 1 << bits;
    std::vector<RGBQUAD> table(std::size_t(n), RGBQUAD{});
    for (int i = 0; i < n; ++i) {
        const auto v = std::uint8_t(n == 2 ? i * 255 : i * 255 / (n - 1));
        table[std::size_t(i)] = RGBQUAD{v, v, v, 0};
    }
    if (kind == Table::NoBlack)
        table[0] = RGBQUAD{10, 10, 10, 0};
    if (kind == Table::NoWhite)
        table[std::size_t(n - 1)] = RGBQUAD{240, 250, 250, 0};
    if (kind == Table::BlackTwice) // black first at 1, again at 0 of a later copy
        std::swap(table[0], table[std::size_t(n - 1)]), table[std::size_t(n / 2)] = RGBQUAD{0, 0, 0, 0};
    return table;
}

/// Random strokes of index values over random indices, on an indexed image.
CBitmapImage indexedDrawing(int width, int height, int bits, Table kind, unsigned seed)
{
    const std::vector<RGBQUAD> table = tableOf(bits, kind);
    CBitmapImage image;
    image.Create(width, height, bits, table);
    std::mt19937 random(seed);
    const unsigned n = 1u << bits;
    for (int y = 1; y <= height; ++y)
        for (int x = 1; x <= width; ++x) {
            // Mostly light, with dark blobs: thinning and edges have work.
            const bool dark = ((x / 3 + y / 4 + seed) % 5) == 0 || random() % 7 == 0;
            image.SetPixelIndex(x, y, dark ? random() % (n / 2 + 1) : n - 1 - random() % (n / 4 + 1));
        }
    return image;
}

/// The same picture as a 24-bit image.
CBitmapImage twin(const CBitmapImage& indexed)
{
    CBitmapImage image;
    image.Create(indexed.GetWidth(), indexed.GetHeight(), 24);
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            indexed.GetPixelColor(x, y, r, g, b);
            image.SetPixelColor(x, y, r, g, b);
        }
    return image;
}

/// The first entry of the table with exactly this colour, or -1.
int firstIndexOf(const CBitmapImage& image, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    const RGBQUAD* table = image.GetColorTable();
    for (int i = 0; i < (1 << image.GetBitCount()); ++i)
        if (table[i].rgbRed == r && table[i].rgbGreen == g && table[i].rgbBlue == b)
            return i;
    return -1;
}

/// The index SetPixelColor would have left at each pixel, given the 24-bit
/// twin's result: the first index of the result's colour, or the original
/// index when the table lacks that colour. Pixels written twice (edge
/// detection whitens a border band over its first result) are passed over
/// when `twice` says so and the table lacks white.
template <typename Twice>
void expectSameAsTwin(const CBitmapImage& before, const CBitmapImage& result, const CBitmapImage& twinResult,
                      const std::string& what, Twice twice)
{
    const bool noWhite = firstIndexOf(before, 255, 255, 255) < 0;
    int wrong = 0;
    for (int y = 1; y <= before.GetHeight(); ++y)
        for (int x = 1; x <= before.GetWidth(); ++x) {
            if (noWhite && twice(x, y))
                continue;
            std::uint8_t r = 0, g = 0, b = 0;
            twinResult.GetPixelColor(x, y, r, g, b);
            const int wanted = firstIndexOf(before, r, g, b);
            const unsigned expected = wanted >= 0 ? unsigned(wanted) : before.GetPixelIndex(x, y);
            wrong += result.GetPixelIndex(x, y) != expected;
        }
    EXPECT_EQ(wrong, 0) << what;
}

struct Case {
    int width, height, bits;
    Table table;
};

/// Widths around 64 pixels: thinning reads and writes 1-bit rows 64
/// pixels at a time, the rest one by one.
std::vector<Case> cases()
{
    std::vector<Case> all;
    for (int bits : {1, 4, 8})
        for (Table table : {Table::Greys, Table::NoBlack, Table::NoWhite, Table::BlackTwice})
            for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 9}, std::pair{9, 1}, std::pair{13, 7}, std::pair{37, 29},
                                    std::pair{72, 5}, std::pair{63, 4}, std::pair{129, 6}, std::pair{200, 9}})
                all.push_back({w, h, bits, table});
    return all;
}

std::string name(const Case& c)
{
    return std::to_string(c.bits) + " bits, table " + std::to_string(int(c.table)) + ", " + std::to_string(c.width) +
           "x" + std::to_string(c.height);
}

TEST(IndexedImages, ThinningAndEdgesWriteWhatThePixelAccessorsWould)
{
    SilentPort port;
    unsigned seed = 1;
    for (const Case& c : cases()) {
        const CBitmapImage original = indexedDrawing(c.width, c.height, c.bits, c.table, seed++);
        for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
            CBitmapImage indexed = original.Clone();
            CBitmapImage direct = twin(original);
            ASSERT_EQ(Thin(indexed, port, method), 1);
            ASSERT_EQ(Thin(direct, port, method), 1);
            expectSameAsTwin(original, indexed, direct, "thinning " + std::to_string(method) + ", " + name(c),
                             [](int, int) { return false; });
        }
        CBitmapImage indexed = original.Clone();
        CBitmapImage direct = twin(original);
        ASSERT_EQ(EdgeDetect(indexed, port, 1.0f, 5, 3), 1);
        ASSERT_EQ(EdgeDetect(direct, port, 1.0f, 5, 3), 1);
        const int w = c.width, h = c.height;
        expectSameAsTwin(original, indexed, direct, "edges, " + name(c), [w, h](int x, int y) {
            return (x == 3 && y >= 3 && y <= h - 4) || (y == 3 && x >= 3 && x <= w - 4);
        });
    }
}

TEST(IndexedImages, TracingReadsBlackAsItsTwinDoes)
{
    SilentPort port;
    AppSettings settings;
    unsigned seed = 100;
    for (const Case& c : cases()) {
        CBitmapImage image = indexedDrawing(c.width, c.height, c.bits, c.table, seed++);
        Thin(image, port, kThinStentiford);
        CLineStore fromIndexed, fromDirect;
        const int a = CVectoriser(port, fromIndexed, settings).Run(image);
        const int b = CVectoriser(port, fromDirect, settings).Run(twin(image));
        EXPECT_EQ(a, b) << name(c);
        ASSERT_EQ(fromIndexed.GetLineCount(), fromDirect.GetLineCount()) << name(c);
        for (int i = 0; i < fromIndexed.GetLineCount(); ++i) {
            const auto& p = fromIndexed.line(i).m_nodes;
            const auto& q = fromDirect.line(i).m_nodes;
            ASSERT_EQ(p.size(), q.size()) << name(c);
            for (std::size_t k = 0; k < p.size(); ++k)
                EXPECT_TRUE(p[k].m_dX == q[k].m_dX && p[k].m_dY == q[k].m_dY) << name(c);
        }
    }
}

/// The image after a BMP round trip, read in full or as its ink.
CBitmapImage throughBmp(const CBitmapImage& image, bool inkOnly)
{
    std::stringstream file;
    EXPECT_EQ(image.Write(file), 1);
    CBitmapImage read;
    EXPECT_EQ(inkOnly ? read.ReadInk(file) : read.Read(file), 1);
    return read;
}

/// The black pixels of an image, row by row.
std::string blackOf(const CBitmapImage& image)
{
    std::string out;
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 1, g = 1, b = 1;
            image.GetPixelColor(x, y, r, g, b);
            out += r == 0 && g == 0 && b == 0 ? '#' : '.';
        }
    return out;
}

TEST(IndexedImages, AScanReadAsItsInkThinsAsTheWholeScan)
{
    SilentPort port;
    unsigned seed = 200;
    for (const Case& c : cases()) {
        const CBitmapImage indexed = indexedDrawing(c.width, c.height, c.bits, c.table, seed++);
        for (const CBitmapImage& scan : {indexed.Clone(), twin(indexed)}) {
            const std::string what = name(c) + (scan.GetBitCount() == 24 ? ", 24-bit twin" : "");
            CBitmapImage whole = throughBmp(scan, false), ink = throughBmp(scan, true);
            // Indexed tables without pure black and white (and 1-bit files)
            // are read in full: thinning leaves their other colours be.
            const bool converted = scan.GetBitCount() > 1 && (scan.GetBitCount() == 24 || c.table == Table::Greys ||
                                                              c.table == Table::BlackTwice);
            EXPECT_EQ(ink.GetBitCount(), converted ? 1 : scan.GetBitCount()) << what;
            EXPECT_EQ(ink.GetInfoHeader().biXPelsPerMeter, whole.GetInfoHeader().biXPelsPerMeter) << what;
            for (std::uint16_t method : {kThinZhangSuen, kThinStentiford}) {
                CBitmapImage a = whole.Clone(), b = ink.Clone();
                ASSERT_EQ(Thin(a, port, method), 1);
                ASSERT_EQ(Thin(b, port, method), 1);
                EXPECT_EQ(blackOf(b), blackOf(a)) << what << ", method " << method;
            }
        }
    }
}

} // namespace
} // namespace orvane
