// Pictures written as text rows, random images and random stroke drawings,
// for the tests of the libraries that work on images.
#pragma once

#include "image/bitmap_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace orvane::test {

using Text = std::vector<std::string>;

/// A 24-bit picture from rows of text: '#' black, anything else white.
inline CBitmapImage FromText(const Text& rows)
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

/// The picture's black pixels as text rows, '#' black and '.' other.
inline Text ToText(const CBitmapImage& image)
{
    Text rows(image.GetHeight(), std::string(image.GetWidth(), '.'));
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= image.GetWidth(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            if (r == 0 && g == 0 && b == 0)
                rows[y - 1][x - 1] = '#';
        }
    return rows;
}

/// An image of any depth whose bytes are random (so at 8 bits and below,
/// random table indices), with a table of random colours.
inline CBitmapImage RandomImage(int width, int height, int bits, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<RGBQUAD> table(bits <= 8 ? std::size_t(1) << bits : 0);
    for (RGBQUAD& q : table)
        q = RGBQUAD{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random()), 0};
    CBitmapImage image;
    image.Create(width, height, bits, table);
    for (std::uint32_t i = 0; i < image.GetBitsSize(); ++i)
        image.GetBits()[i] = std::uint8_t(random());
    return image;
}

/// A 24-bit picture, white all over.
inline CBitmapImage WhiteImage(int width, int height)
{
    CBitmapImage image;
    image.Create(width, height, 24);
    std::memset(image.GetBits(), 255, image.GetBitsSize());
    return image;
}

/// Blackens the pixels whose centre lies within half `width` of a segment.
inline void DrawStroke(CBitmapImage& image, double x0, double y0, double x1, double y1, double width)
{
    const double half = width / 2, dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = int(std::min(y0, y1) - half - 1); y <= int(std::max(y0, y1) + half + 1); ++y)
        for (int x = int(std::min(x0, x1) - half - 1); x <= int(std::max(x0, x1) + half + 1); ++x) {
            const double t = std::clamp(len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0, 0.0, 1.0);
            if (std::hypot(x - x0 - t * dx, y - y0 - t * dy) <= half)
                image.SetPixelColor(x, y, 0, 0, 0); // outside the picture nothing happens
        }
}

/// A 24-bit white picture with hard-edged black strokes: straight strokes
/// 1 to 6 pixels wide at any angle (some at exactly 45 degrees and some
/// two-pixel 45-degree bands), arcs, crossings, strokes touching the border.
/// With `nearAxes`, four straight strokes within 20 degrees of the axes only.
inline CBitmapImage RandomStrokes(int width, int height, unsigned seed, int strokes, bool nearAxes = false)
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
            DrawStroke(image, x, y, x + len * std::cos(angle), y + len * std::sin(angle), w);
            continue;
        }
        const int kind = int(random() % 5);
        if (kind == 0) { // a two-pixel 45-degree band: pairs shifted by one each row
            const int len = int(uniform(3, std::max(width, height)));
            const int dir = random() % 2 ? 1 : -1;
            for (int k = 0; k < len; ++k)
                for (int d : {0, 1})
                    image.SetPixelColor(int(x) + dir * k + d, int(y) + k, 0, 0, 0);
        } else if (kind == 1) { // an arc
            const double radius = uniform(2, std::min(width, height) / 2.0), w = uniform(1, 5);
            const double start = uniform(0, 6.3), sweep = uniform(1, 6.3);
            for (int k = 0; k < 24; ++k) {
                const double a0 = start + sweep * k / 24, a1 = start + sweep * (k + 1) / 24;
                DrawStroke(image, x + radius * std::cos(a0), y + radius * std::sin(a0), x + radius * std::cos(a1),
                           y + radius * std::sin(a1), w);
            }
        } else {
            const double angle = kind == 2 ? (random() % 4) * 0.7853981633974483 : uniform(0, 3.1415926);
            const double len = uniform(2, std::max(width, height)), w = uniform(1, 6.5);
            DrawStroke(image, x, y, x + len * std::cos(angle), y + len * std::sin(angle), w);
        }
    }
    return image;
}

} // namespace orvane::test
