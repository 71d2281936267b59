// Small scenes, one kind of feature each, for measuring how faithfully
// lines are traced where tracing is hard: crossings, junctions, corners,
// closed shapes, dense parallels, diagonals and every stroke width. Each
// stroke is drawn as one pen movement and recorded as such; the positions
// mix pixel centres, pixel corners and points in between.
#include "common/canvas.h"
#include "common/drawing.h"
#include "stroke_font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace orvane::bench {
namespace {

constexpr double kPi = 3.14159265358979323846;

TruthPoint at(TruthPoint from, double degrees, double distance)
{
    const double a = degrees * kPi / 180;
    return {from.x + distance * std::cos(a), from.y + distance * std::sin(a)};
}

void line(Canvas& canvas, TruthPoint a, TruthPoint b, double width) { canvas.polyline("line", {a, b}, width); }

/// Points every 3 pixels or so along a circle from `start` degrees through
/// `sweep` degrees (y down, so positive angles turn clockwise on screen).
std::vector<TruthPoint> arcPoints(TruthPoint centre, double radius, double start, double sweep, bool full)
{
    const int steps = std::max(12, int(std::ceil(radius * std::abs(sweep) * kPi / 180 / 3)));
    std::vector<TruthPoint> points;
    for (int s = 0; s < steps + (full ? 0 : 1); ++s)
        points.push_back(at(centre, start + sweep * s / steps, radius));
    return points;
}

void circle(Canvas& canvas, TruthPoint centre, double radius, double width)
{
    canvas.polyline("circle", arcPoints(centre, radius, 0, 360, true), width, true);
}

void rectangle(Canvas& canvas, TruthPoint centre, double halfWidth, double halfHeight, double degrees, double width)
{
    const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
    std::vector<TruthPoint> corners;
    for (auto [u, v] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})
        corners.push_back({centre.x + u * halfWidth * c - v * halfHeight * s,
                           centre.y + u * halfWidth * s + v * halfHeight * c});
    canvas.polyline("polyline", corners, width, true);
}

/// Pairs of lines 130 pixels long crossing at their middles, at
/// 90, 60, 45, 30, 20 and 15 degrees.
void crossings(Canvas& canvas)
{
    struct Cross {
        double base, angle, widthA, widthB;
    };
    static constexpr Cross kCrosses[] = {{0, 90, 3, 3},   {10, 60, 2, 4},  {-20, 45, 3, 3},
                                         {0, 30, 2, 2},   {35, 20, 3, 2},  {80, 15, 2, 2}};
    static constexpr double kOffsets[] = {0.5, 0.0, 0.25, 0.7, 0.5, 0.1};
    for (int i = 0; i < 6; ++i) {
        const Cross& x = kCrosses[i];
        const TruthPoint centre{80 + 160.0 * (i % 3) + kOffsets[i], 80 + 160.0 * (i / 3) + kOffsets[5 - i]};
        line(canvas, at(centre, x.base, -65), at(centre, x.base, 65), x.widthA);
        line(canvas, at(centre, x.base + x.angle, -65), at(centre, x.base + x.angle, 65), x.widthB);
    }
}

/// T junctions (a stroke ending on the middle of another), L corners (one
/// stroke turning) and Y junctions (three strokes from one point).
void junctions(Canvas& canvas)
{
    auto cell = [](int i, int j) { return TruthPoint{70 + 140.0 * i + 0.5, 70 + 140.0 * j + 0.5}; };
    // T, square, both 3 wide.
    TruthPoint c = cell(0, 0);
    line(canvas, {c.x - 55, c.y - 20}, {c.x + 55, c.y - 20}, 3);
    line(canvas, {c.x, c.y - 20}, {c.x, c.y + 50}, 3);
    // T at 60 degrees, thin bar, heavier stem.
    c = cell(1, 0);
    line(canvas, {c.x - 55, c.y - 20}, {c.x + 55, c.y - 20}, 2);
    line(canvas, {c.x + 10, c.y - 20}, at({c.x + 10, c.y - 20}, 120, 75), 4);
    // T on a heavy bar: a vertical bar 6 wide, a stem 2 wide.
    c = cell(2, 0);
    line(canvas, {c.x - 30, c.y - 55}, {c.x - 30, c.y + 55}, 6);
    line(canvas, {c.x - 30, c.y + 0.25}, {c.x + 50, c.y + 0.25}, 2);
    // T with a heavy stem on a thin slanted bar.
    c = cell(3, 0);
    const TruthPoint foot = at(c, 210, 25);
    line(canvas, at(foot, 30, -50), at(foot, 30, 60), 2);
    line(canvas, foot, at(foot, -60, 70), 5);
    // L corners: square 4 wide, acute (45 degrees) 3 wide.
    c = cell(0, 1);
    canvas.polyline("polyline", {{c.x - 45, c.y - 45}, {c.x - 45, c.y + 45}, {c.x + 45, c.y + 45}}, 4);
    c = cell(1, 1);
    const TruthPoint corner{c.x - 45.25, c.y + 40};
    canvas.polyline("polyline", {{c.x + 50, corner.y}, corner, at(corner, -45, 95)}, 3);
    // Y junctions: three arms 120 degrees apart; a stem with two arms 60 apart.
    c = cell(2, 1);
    for (double a : {-90.0, 30.0, 150.0})
        line(canvas, c, at(c, a, 55), 3);
    c = cell(3, 1);
    line(canvas, c, at(c, 90, 55), 3);
    line(canvas, c, at(c, 240, 60), 2);
    line(canvas, c, at(c, 300, 60), 2);
}

/// Rectangles (straight and turned), circles large and small, an open arc
/// and two circles touching.
void shapes(Canvas& canvas)
{
    rectangle(canvas, {110.5, 80.5}, 80, 50, 0, 3);
    rectangle(canvas, {350, 90}, 80, 40, 20, 2);
    circle(canvas, {90, 250}, 55, 3);
    circle(canvas, {190.5, 250.5}, 12, 2);
    canvas.polyline("arc", arcPoints({280, 250}, 45, 200, 220, false), 4);
    circle(canvas, {365, 250}, 32, 3);
    circle(canvas, {429, 250}, 32, 3);
}

/// Two rectangles filled with parallel lines 2 wide ending on the border:
/// horizontal every 6 pixels, and at 45 degrees every 9 pixels.
void hatching(Canvas& canvas)
{
    const double top = 30.5, bottom = 370.5;
    rectangle(canvas, {110.5, 200.5}, 80, 170, 0, 3);
    for (double y = top + 6; y < bottom - 3; y += 6)
        line(canvas, {30.5, y}, {190.5, y}, 2);
    const double left = 210.5, right = 370.5;
    rectangle(canvas, {290.5, 200.5}, 80, 170, 0, 3);
    // The lines x + y = k, every 9 pixels measured across them.
    for (double k = left + top + 9 * std::sqrt(2.0); k < right + bottom; k += 9 * std::sqrt(2.0)) {
        const double x0 = std::max(left, k - bottom), x1 = std::min(right, k - top);
        if (x1 - x0 > 4)
            line(canvas, {x0, k - x0}, {x1, k - x1}, 2);
    }
}

/// 45 degree lines 1 to 8 pixels wide: falling ones through pixel centres,
/// rising ones through pixel corners.
void diagonals(Canvas& canvas)
{
    for (int k = 0; k < 8; ++k) {
        const TruthPoint fall{20.5 + 55 * k, 20.5}, rise{20.0 + 55 * k, 280.0};
        line(canvas, fall, at(fall, 45, 140), k + 1);
        line(canvas, rise, at(rise, -45, 140), k + 1);
    }
}

/// Horizontal, vertical and steep (70 degree) lines of every width from 1
/// to 8 pixels, at assorted sub-pixel positions.
void widths(Canvas& canvas)
{
    static constexpr double kWidths[] = {1, 1.5, 2, 3, 4, 5, 6, 8};
    static constexpr double kOffsets[] = {0.5, 0.0, 0.25, 0.75};
    for (int k = 0; k < 8; ++k) {
        const double w = kWidths[k], offset = kOffsets[k % 4];
        line(canvas, {20.5, 25 + 28 * k + offset}, {220.5, 25 + 28 * k + offset}, w);
        line(canvas, {260 + 28 * k + offset, 20.5}, {260 + 28 * k + offset, 240.5}, w);
        const TruthPoint start{25 + 56 * k + offset, 265};
        line(canvas, start, at(start, 70, 115), w);
    }
}

/// Words in the stroke font, as a drawing's labels, titles and notes are
/// lettered: 12, 18 and 26 pixels high (about 1, 1.5 and 2.2 mm at 300
/// dpi) with pens of 2, 2.5 and 3 pixels. Each pen stroke is recorded as
/// drawn; a letter's closed stroke (O, D) as a closed one.
void lettering(Canvas& canvas)
{
    struct Row {
        const char* text;
        double size, pen, y;
    };
    static constexpr Row kRows[] = {
        {"DRAWN CHECKED", 12, 2, 20.5},     {"BOILER ROOM", 12, 2, 45.25},     {"ELEVATION", 18, 2.5, 75},
        {"WIRING DIAGRAM", 18, 2.5, 110.5}, {"VALVE TANK", 26, 3, 150.25},     {"NORTH", 26, 3, 200},
    };
    for (const Row& row : kRows) {
        const double scale = row.size / 6;
        double x = 20.5;
        for (const char* c = row.text; *c; ++c, x += 6.5 * scale)
            for (const auto& stroke : samples::StrokeGlyph(*c)) {
                std::vector<TruthPoint> points;
                for (samples::FontPoint p : stroke)
                    points.push_back({x + p.x * scale, row.y + p.y * scale});
                const bool closed = points.size() > 2 && points.front().x == points.back().x &&
                                    points.front().y == points.back().y;
                if (closed)
                    points.pop_back();
                canvas.polyline("lettering", points, row.pen, closed);
            }
    }
}

struct Scene {
    const char* name;
    int width, height;
    void (*draw)(Canvas&);
};

constexpr std::array<Scene, 7> kScenes = {{
    {"crossings", 480, 320, crossings},
    {"junctions", 560, 280, junctions},
    {"shapes", 480, 360, shapes},
    {"hatching", 400, 400, hatching},
    {"diagonals", 520, 300, diagonals},
    {"widths", 480, 400, widths},
    {"lettering", 480, 250, lettering},
}};

} // namespace

std::vector<std::string> FeatureSceneNames()
{
    std::vector<std::string> names;
    for (const Scene& scene : kScenes)
        names.emplace_back(scene.name);
    return names;
}

CBitmapImage MakeFeatureScene(std::string_view name, DrawingTruth* truth)
{
    CBitmapImage image;
    for (std::size_t i = 0; i < kScenes.size(); ++i) {
        const Scene& scene = kScenes[i];
        if (name != scene.name)
            continue;
        if (!image.Create(scene.width, scene.height, 24))
            return image;
        Canvas canvas(scene.width, scene.height, truth);
        scene.draw(canvas);
        Random random(unsigned(1000 + i));
        PaintScan(canvas, image, random, 24, 0);
        return image;
    }
    if (truth)
        *truth = DrawingTruth{};
    return image;
}

} // namespace orvane::bench
