// A deterministic scanned-drawing generator.
//
// Strokes are rendered as capsules (a segment widened by half the stroke
// width, with round ends) into an 8-bit coverage buffer; the coverage of a
// pixel is the clamped distance from its centre to the capsule's edge, which
// gives anti-aliased edges one pixel wide. Overlapping strokes keep the
// larger coverage. Only the raw output of std::mt19937 is used (its sequence
// is fixed by the standard), never the library's distributions, whose
// results differ between implementations.
#include "common/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace orvane::bench {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Share of the picture covered by drawn stroke area; overlaps and the light
// anti-aliased rims bring the share of ink pixels to about 7 %.
constexpr double kStrokeAreaShare = 0.078;

class Random {
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    /// Uniform in [0, 1).
    double unit() { return double(m_engine()) / 4294967296.0; }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    /// Uniform integer in [lo, hi].
    int integer(int lo, int hi) { return lo + int(m_engine() % std::uint32_t(hi - lo + 1)); }

private:
    std::mt19937 m_engine;
};

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_cover(std::size_t(width) * height, 0) {}

    /// Draws a capsule from (x0, y0) to (x1, y1), split into short pieces so
    /// that each piece's bounding box stays small.
    void stroke(double x0, double y0, double x1, double y1, double width)
    {
        const double length = std::hypot(x1 - x0, y1 - y0);
        const int pieces = std::max(1, int(length / 24.0));
        for (int p = 0; p < pieces; ++p) {
            const double t0 = double(p) / pieces, t1 = double(p + 1) / pieces;
            capsule(x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0, x0 + (x1 - x0) * t1, y0 + (y1 - y0) * t1, width);
        }
        m_area += length * width;
    }

    double area() const { return m_area; }
    std::uint8_t cover(int x, int y) const { return m_cover[std::size_t(y) * m_width + x]; }

private:
    void capsule(double ax, double ay, double bx, double by, double width)
    {
        const double half = width / 2.0;
        const int left = std::max(0, int(std::floor(std::min(ax, bx) - half - 1)));
        const int right = std::min(m_width - 1, int(std::ceil(std::max(ax, bx) + half + 1)));
        const int top = std::max(0, int(std::floor(std::min(ay, by) - half - 1)));
        const int bottom = std::min(m_height - 1, int(std::ceil(std::max(ay, by) + half + 1)));
        const double dx = bx - ax, dy = by - ay;
        const double lengthSq = dx * dx + dy * dy;
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const double px = x + 0.5 - ax, py = y + 0.5 - ay;
                double t = lengthSq > 0 ? (px * dx + py * dy) / lengthSq : 0.0;
                t = std::clamp(t, 0.0, 1.0);
                const double distance = std::hypot(px - t * dx, py - t * dy);
                const double coverage = std::clamp(half + 0.5 - distance, 0.0, 1.0);
                std::uint8_t& cell = m_cover[std::size_t(y) * m_width + x];
                cell = std::max(cell, std::uint8_t(std::lround(coverage * 255.0)));
            }
        }
    }

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_cover;
    double m_area = 0;
};

/// Stroke widths of a drawing: mostly thin, some heavy.
double strokeWidth(Random& random, DrawingProfile profile)
{
    static constexpr double kLight[] = {1, 1.5, 2, 2, 2.5, 3, 3, 4, 5, 6, 7};
    static constexpr double kRealistic[] = {2, 2, 2.5, 3, 3, 3.5, 4, 5, 6, 8};
    if (profile == DrawingProfile::Light)
        return kLight[random.integer(0, int(std::size(kLight)) - 1)];
    return kRealistic[random.integer(0, int(std::size(kRealistic)) - 1)];
}

/// A row of lettering: glyph-sized clusters of two to five short strokes,
/// as text, dimensions and labels look on a drawing.
void addLettering(Canvas& canvas, Random& random, int width, int height)
{
    const double size = random.between(9, 22); // glyph height in pixels
    const double pen = size < 14 ? 2 : 2.5;
    double x = random.between(0, width), y = random.between(0, height);
    const int glyphs = random.integer(3, 14);
    for (int g = 0; g < glyphs && x < width; ++g) {
        const int strokes = random.integer(2, 5);
        for (int s = 0; s < strokes; ++s) {
            const double x0 = x + random.between(0, size * 0.6), y0 = y + random.between(0, size);
            const double x1 = x + random.between(0, size * 0.6), y1 = y + random.between(0, size);
            canvas.stroke(x0, y0, x1, y1, pen);
        }
        x += size * random.between(0.7, 0.95);
    }
}

void addStraightLine(Canvas& canvas, Random& random, int width, int height, DrawingProfile profile)
{
    const double x = random.between(0, width), y = random.between(0, height);
    double angle;
    switch (random.integer(0, 5)) {
    case 0: angle = 0; break;                                   // horizontal
    case 1: angle = kPi / 2; break;                             // vertical
    case 2: angle = random.integer(0, 1) ? kPi / 4 : -kPi / 4; break; // exactly 45 degrees
    default: angle = random.between(0, kPi); break;             // anything
    }
    const double length = random.between(20, std::max(width, height) / 3.0);
    canvas.stroke(x, y, x + length * std::cos(angle), y + length * std::sin(angle), strokeWidth(random, profile));
}

void addArc(Canvas& canvas, Random& random, int width, int height, DrawingProfile profile)
{
    const double cx = random.between(0, width), cy = random.between(0, height);
    const double radius = random.between(4, std::min(width, height) / 6.0 + 5);
    const double start = random.between(0, 2 * kPi);
    const double sweep = random.integer(0, 2) == 0 ? 2 * kPi : random.between(kPi / 4, 3 * kPi / 2);
    const double w = strokeWidth(random, profile);
    const int steps = std::max(6, int(radius * sweep / 6.0));
    double px = cx + radius * std::cos(start), py = cy + radius * std::sin(start);
    for (int s = 1; s <= steps; ++s) {
        const double a = start + sweep * s / steps;
        const double nx = cx + radius * std::cos(a), ny = cy + radius * std::sin(a);
        canvas.stroke(px, py, nx, ny, w);
        px = nx;
        py = ny;
    }
}

} // namespace

CBitmapImage MakeScannedDrawing(int width, int height, unsigned seed, DrawingProfile profile)
{
    const bool realistic = profile == DrawingProfile::Realistic;
    CBitmapImage image;
    if (!image.Create(width, height, 24))
        return image;
    Random random(seed);
    Canvas canvas(width, height);
    const double target = kStrokeAreaShare * double(width) * height;
    while (canvas.area() < target) {
        const int pick = random.integer(0, realistic ? 9 : 3);
        if (pick == 0)
            addArc(canvas, random, width, height, profile);
        else if (pick >= 7)
            addLettering(canvas, random, width, height);
        else
            addStraightLine(canvas, random, width, height, profile);
    }
    // Paper, ink and noise. The paper is slightly yellow; each stroke pixel
    // blends paper and a dark ink by its coverage.
    const std::uint32_t stride = image.GetStride();
    std::uint8_t* bits = image.GetBits();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const double c = canvas.cover(x, y) / 255.0;
            const double noise = realistic ? random.between(-24, 24) : random.between(-7, 7);
            const bool speck = random.integer(0, realistic ? 3000 : 40000) == 0;
            const double paper[3] = {232, 246, 250}; // blue, green, red
            const double ink[3] = {48, 36, 30};
            for (int ch = 0; ch < 3; ++ch) {
                double v = paper[ch] + (ink[ch] - paper[ch]) * c + noise;
                if (speck)
                    v = ink[ch] + 40;
                row[3 * x + ch] = std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
            }
        }
    }
    return image;
}

CBitmapImage WithDepth(const CBitmapImage& drawing, int bits)
{
    if (bits == 24)
        return drawing.Clone();
    std::vector<RGBQUAD> table;
    if (bits == 8)
        for (int i = 0; i < 256; ++i)
            table.push_back(RGBQUAD{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    else
        table = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    CBitmapImage image;
    if (!image.Create(drawing.GetWidth(), drawing.GetHeight(), bits, table))
        return image;
    for (int y = 1; y <= drawing.GetHeight(); ++y) {
        const std::uint8_t* p = drawing.GetRow(y);
        for (int x = 1; x <= drawing.GetWidth(); ++x, p += 3) {
            const int b = p[0], g = p[1], r = p[2];
            const unsigned index = bits == 8 ? unsigned((299 * r + 587 * g + 114 * b + 500) / 1000)
                                             : unsigned(!(r < 170 || g < 170 || b < 170));
            image.SetPixelIndex(x, y, index);
        }
    }
    return image;
}

} // namespace orvane::bench
