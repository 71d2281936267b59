// Small generated pictures for the processing tests.
#include "test_drawings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>

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
    std::vector<std::string> rows;
    for (int y = 1; y <= image.GetHeight(); ++y) {
        std::string row;
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            row += (r == 0 && g == 0 && b == 0) ? '#' : '.';
        }
        rows.push_back(row);
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
            double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            if (std::hypot(x - x0 - t * dx, y - y0 - t * dy) <= half)
                fill(image, x, y, 0);
        }
}

} // namespace

CBitmapImage RandomStrokes(int width, int height, unsigned seed, int strokes)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::memset(image.GetBits(), 255, image.GetBitsSize());
    std::mt19937 random(seed);
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    for (int s = 0; s < strokes; ++s) {
        const double x = uniform(-2, width + 2), y = uniform(-2, height + 2);
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
    struct Disc {
        double x, y, r;
        int level;
    };
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
            const std::uint8_t b = std::uint8_t(v);
            image.SetPixelColor(x, y, b, std::uint8_t(255 - b), b);
        }
    return image;
}

namespace {

/// Labels the 8-connected groups of a 0/1 map; returns the label map (0 for
/// background) and the number of groups.
std::pair<std::vector<std::vector<int>>, int> label(const std::vector<std::string>& map)
{
    const int h = int(map.size()), w = int(map[0].size());
    std::vector<std::vector<int>> labels(h, std::vector<int>(w, 0));
    int count = 0;
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (map[y][x] != '#' || labels[y][x])
                continue;
            labels[y][x] = ++count;
            stack.push_back({y, x});
            while (!stack.empty()) {
                auto [cy, cx] = stack.back();
                stack.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int ny = cy + dy, nx = cx + dx;
                        if (ny >= 0 && ny < h && nx >= 0 && nx < w && map[ny][nx] == '#' && !labels[ny][nx]) {
                            labels[ny][nx] = count;
                            stack.push_back({ny, nx});
                        }
                    }
            }
        }
    return {labels, count};
}

} // namespace

bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after)
{
    const auto in = ToText(before), out = ToText(after);
    auto [inLabels, inCount] = label(in);
    auto [outLabels, outCount] = label(out);
    // Each output group lies in one input group; each input group holds exactly one.
    std::vector<int> groupsIn(inCount + 1, 0);
    std::vector<int> seen(outCount + 1, 0);
    for (std::size_t y = 0; y < out.size(); ++y)
        for (std::size_t x = 0; x < out[y].size(); ++x) {
            if (out[y][x] != '#')
                continue;
            if (!inLabels[y][x])
                return false;
            const int o = outLabels[y][x];
            if (!seen[o]) {
                seen[o] = inLabels[y][x];
                ++groupsIn[inLabels[y][x]];
            } else if (seen[o] != inLabels[y][x]) {
                return false;
            }
        }
    for (int g = 1; g <= inCount; ++g)
        if (groupsIn[g] != 1)
            return false;
    return true;
}

bool CoversEveryStroke(const CBitmapImage& before, const CBitmapImage& after, int reach)
{
    const auto in = ToText(before), out = ToText(after);
    const int h = int(in.size()), w = int(in[0].size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (in[y][x] != '#')
                continue;
            bool near = false;
            for (int ny = std::max(0, y - reach); ny <= std::min(h - 1, y + reach) && !near; ++ny)
                for (int nx = std::max(0, x - reach); nx <= std::min(w - 1, x + reach) && !near; ++nx)
                    near = out[ny][nx] == '#';
            if (!near)
                return false;
        }
    return true;
}

} // namespace orvane::test
