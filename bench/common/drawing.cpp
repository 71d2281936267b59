// A deterministic scanned-drawing generator (common/canvas.h says how
// strokes are rendered). Recording where the strokes run takes no random
// numbers, so a drawing's bytes never depend on whether it is recorded.
#include "common/canvas.h"
#include "common/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <vector>

namespace orvane::bench {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Share of the picture covered by drawn stroke area; overlaps and the light
// anti-aliased rims bring the share of ink pixels to about 7 %.
constexpr double kStrokeAreaShare = 0.078;

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
            canvas.record("lettering", {{x0, y0}, {x1, y1}}, pen);
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
    const double endX = x + length * std::cos(angle), endY = y + length * std::sin(angle);
    const double w = strokeWidth(random, profile);
    canvas.stroke(x, y, endX, endY, w);
    canvas.record("line", {{x, y}, {endX, endY}}, w);
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
    std::vector<TruthPoint> chain{{px, py}};
    for (int s = 1; s <= steps; ++s) {
        const double a = start + sweep * s / steps;
        const double nx = cx + radius * std::cos(a), ny = cy + radius * std::sin(a);
        canvas.stroke(px, py, nx, ny, w);
        px = nx;
        py = ny;
        chain.push_back({px, py});
    }
    // A full circle ends where it began: the closing point is the first.
    const bool circle = sweep == 2 * kPi;
    if (circle)
        chain.pop_back();
    canvas.record(circle ? "circle" : "arc", chain, w, circle);
}

} // namespace

CBitmapImage MakeScannedDrawing(int width, int height, unsigned seed, DrawingProfile profile, DrawingTruth* truth)
{
    const bool realistic = profile == DrawingProfile::Realistic;
    CBitmapImage image;
    if (!image.Create(width, height, 24))
        return image;
    Random random(seed);
    Canvas canvas(width, height, truth);
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
    // Paper, ink and noise; realistic scans are noisier and dustier.
    PaintScan(canvas, image, random, realistic ? 24 : 7, realistic ? 3000 : 40000);
    return image;
}

std::string TruthJson(const DrawingTruth& truth)
{
    std::string out = "{\"width\":" + std::to_string(truth.width) + ",\"height\":" + std::to_string(truth.height) +
                      ",\"strokes\":[";
    char number[64];
    for (std::size_t s = 0; s < truth.strokes.size(); ++s) {
        const TruthStroke& stroke = truth.strokes[s];
        std::snprintf(number, sizeof number, "%g", stroke.width);
        out += s ? ",\n" : "\n";
        out += "{\"kind\":\"" + stroke.kind + "\",\"width\":" + number +
               ",\"closed\":" + (stroke.closed ? "true" : "false") + ",\"points\":[";
        for (std::size_t i = 0; i < stroke.points.size(); ++i) {
            std::snprintf(number, sizeof number, "%s[%.3f,%.3f]", i ? "," : "", stroke.points[i].x, stroke.points[i].y);
            out += number;
        }
        out += "]}";
    }
    out += "\n]}\n";
    return out;
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
