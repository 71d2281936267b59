// Small generated pictures for the processing tests.
#include "test_drawings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace orvane::test {

CBitmapImage FromText(const std::vector<std::string>& rows)
{
    CBitmapImage image;
    image.Create(int(rows[0].size()), int(rows.size()), 24);
    for (int y = 1; y <= int(rows.size()); ++y)
        for (int x = 1; x <= int(rows[0].size()); ++x) {
            const std::uint8_t v = rows[y - 1][x - 1] == '#' ? 0 : 255;
            image.SetPixelColor(x, y, v, v, v);
        }
    return image;
}

std::vector<std::string> ToText(const CBitmapImage& image)
{
    std::vector<std::string> rows(image.GetHeight(), std::string(image.GetWidth(), '.'));
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            if (r == 0 && g == 0 && b == 0)
                rows[y - 1][x - 1] = '#';
        }
    return rows;
}

namespace {

void fill(CBitmapImage& image, int x, int y, std::uint8_t v)
{
    image.SetPixelColor(x, y, v, v, v); // outside the picture nothing happens
}

/// A capsule of the given width: pixels whose centre lies within half the
/// width of the segment.
void stroke(CBitmapImage& image, double x0, double y0, double x1, double y1, double width)
{
    const double half = width / 2, dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = int(std::min(y0, y1) - half - 1); y <= int(std::max(y0, y1) + half + 1); ++y)
        for (int x = int(std::min(x0, x1) - half - 1); x <= int(std::max(x0, x1) + half + 1); ++x) {
            const double t = std::clamp(len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0, 0.0, 1.0);
            if (std::hypot(x - x0 - t * dx, y - y0 - t * dy) <= half)
                fill(image, x, y, 0);
        }
}

} // namespace

CBitmapImage RandomStrokes(int width, int height, unsigned seed, int strokes, bool nearAxes)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::memset(image.GetBits(), 255, image.GetBitsSize());
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    for (int s = 0; s < (nearAxes ? 4 : strokes); ++s) {
        const double x = uniform(-2, width + 2), y = uniform(-2, height + 2);
        if (nearAxes) {
            const double len = uniform(5, 40), w = uniform(1, 6.5);
            const double angle = uniform(-20, 20) * 3.14159265 / 180 + (random() % 2 ? 1.5707963 : 0);
            stroke(image, x, y, x + len * std::cos(angle), y + len * std::sin(angle), w);
            continue;
        }
        const int kind = int(random() % 5);
        if (kind == 0) { // a two-pixel 45-degree band: pairs shifted by one each row
            const int len = int(uniform(3, std::max(width, height)));
            const int dir = random() % 2 ? 1 : -1;
            for (int k = 0; k < len; ++k) {
                fill(image, int(x) + dir * k, int(y) + k, 0);
                fill(image, int(x) + dir * k + 1, int(y) + k, 0);
            }
        } else if (kind == 1) { // an arc
            const double radius = uniform(2, std::min(width, height) / 2.0), w = uniform(1, 5);
            const double start = uniform(0, 6.3), sweep = uniform(1, 6.3);
            for (int k = 0; k < 24; ++k) {
                const double a0 = start + sweep * k / 24, a1 = start + sweep * (k + 1) / 24;
                stroke(image, x + radius * std::cos(a0), y + radius * std::sin(a0), x + radius * std::cos(a1),
                       y + radius * std::sin(a1), w);
            }
        } else {
            const double angle = kind == 2 ? (random() % 4) * 0.7853981633974483 : uniform(0, 3.1415926);
            const double len = uniform(2, std::max(width, height)), w = uniform(1, 6.5);
            stroke(image, x, y, x + len * std::cos(angle), y + len * std::sin(angle), w);
        }
    }
    return image;
}

CBitmapImage RandomGreyShapes(int width, int height, unsigned seed)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    struct Disc { double x, y, r; int level; };
    std::vector<Disc> discs;
    for (int k = 0; k < 6; ++k)
        discs.push_back({uniform(0, width), uniform(0, height), uniform(2, std::max(3, width / 3)),
                         int(random() % 200)});
    for (int y = 1; y <= height; ++y)
        for (int x = 1; x <= width; ++x) {
            double v = 230 + int(random() % 9);
            for (const Disc& d : discs) {
                const double t = std::clamp(d.r - std::hypot(x - d.x, y - d.y), 0.0, 1.0);
                v = v * (1 - t) + d.level * t;
            }
            image.SetPixelColor(x, y, std::uint8_t(v), std::uint8_t(255 - std::uint8_t(v)), std::uint8_t(v));
        }
    return image;
}

namespace {

/// Labels the 8-connected groups of black pixels, 1 up; 0 for background.
std::vector<std::vector<int>> label(const std::vector<std::string>& map, int& count)
{
    const int h = int(map.size()), w = int(map[0].size());
    std::vector<std::vector<int>> labels(h, std::vector<int>(w, 0));
    count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (map[y][x] != '#' || labels[y][x])
                continue;
            labels[y][x] = ++count;
            for (std::vector<std::pair<int, int>> stack{{y, x}}; !stack.empty();) {
                auto [cy, cx] = stack.back();
                stack.pop_back();
                for (int ny = cy - 1; ny <= cy + 1; ++ny)
                    for (int nx = cx - 1; nx <= cx + 1; ++nx)
                        if (ny >= 0 && ny < h && nx >= 0 && nx < w && map[ny][nx] == '#' && !labels[ny][nx]) {
                            labels[ny][nx] = count;
                            stack.push_back({ny, nx});
                        }
            }
        }
    return labels;
}

} // namespace

bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after)
{
    const auto in = ToText(before), out = ToText(after);
    int inCount = 0, outCount = 0;
    const auto inLabels = label(in, inCount), outLabels = label(out, outCount);
    // Each output group lies in one input group; each input group holds exactly one.
    std::vector<int> groupsIn(inCount + 1, 0), seen(outCount + 1, 0);
    for (std::size_t y = 0; y < out.size(); ++y)
        for (std::size_t x = 0; x < out[y].size(); ++x) {
            if (out[y][x] != '#')
                continue;
            const int i = inLabels[y][x], o = outLabels[y][x];
            if (!i || (seen[o] && seen[o] != i))
                return false;
            if (!seen[o])
                ++groupsIn[seen[o] = i];
        }
    return std::count(groupsIn.begin() + 1, groupsIn.end(), 1) == inCount;
}

} // namespace orvane::test
