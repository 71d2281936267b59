// Generates samples/floor_plan.bmp: a scanned-looking floor plan for the
// main job and the command-line tests. Walls, door leaves with their swing
// arcs, room labels drawn as strokes, paper tone and scanner speckle, as an
// 8-bit grey image. Deterministic: the same program always makes the same file.
//
//   make_sample OUT.bmp [WIDTH HEIGHT]
#include "image/bitmap_image.h"
#include "image/bmp_file.h"
#include "stroke_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Point {
    double x, y;
};

/// Ink coverage in 0..1 per pixel, drawn with anti-aliased round-ended strokes.
class Canvas {
public:
    Canvas(int w, int h) : m_w(w), m_h(h), m_ink(std::size_t(w) * h, 0.0f) {}

    void segment(Point a, Point b, double width)
    {
        const double r = width / 2;
        const int x0 = std::max(0, int(std::floor(std::min(a.x, b.x) - r - 1)));
        const int x1 = std::min(m_w - 1, int(std::ceil(std::max(a.x, b.x) + r + 1)));
        const int y0 = std::max(0, int(std::floor(std::min(a.y, b.y) - r - 1)));
        const int y1 = std::min(m_h - 1, int(std::ceil(std::max(a.y, b.y) + r + 1)));
        const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
                t = std::clamp(t, 0.0, 1.0);
                const double d = std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
                const float cover = float(std::clamp(r + 0.5 - d, 0.0, 1.0));
                float& ink = m_ink[std::size_t(y) * m_w + x];
                ink = std::max(ink, cover);
            }
    }

    void polyline(const std::vector<Point>& points, double width)
    {
        for (std::size_t i = 1; i < points.size(); ++i)
            segment(points[i - 1], points[i], width);
    }

    void arc(Point centre, double radius, double fromDeg, double toDeg, double width)
    {
        std::vector<Point> points;
        const int steps = std::max(8, int(radius * std::abs(toDeg - fromDeg) / 20));
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * std::numbers::pi / 180;
            points.push_back({centre.x + radius * std::cos(a), centre.y - radius * std::sin(a)});
        }
        polyline(points, width);
    }

    float ink(int x, int y) const { return m_ink[std::size_t(y) * m_w + x]; }

private:
    int m_w, m_h;
    std::vector<float> m_ink;
};

void label(Canvas& canvas, const std::string& text, Point at, double size)
{
    const double scale = size / 6;
    for (std::size_t i = 0; i < text.size(); ++i)
        for (const auto& stroke : orvane::samples::StrokeGlyph(text[i])) {
            std::vector<Point> points;
            for (orvane::samples::FontPoint p : stroke)
                points.push_back({at.x + (i * 6.5 + p.x) * scale, at.y + p.y * scale});
            canvas.polyline(points, 2.2);
        }
}

/// A door in a horizontal or vertical wall: the leaf and its quarter swing.
void door(Canvas& canvas, Point hinge, double width, double leafDeg, double swingFrom, double swingTo)
{
    const double a = leafDeg * std::numbers::pi / 180;
    canvas.segment(hinge, {hinge.x + width * std::cos(a), hinge.y - width * std::sin(a)}, 2.5);
    canvas.arc(hinge, width, swingFrom, swingTo, 1.6);
}

void drawPlan(Canvas& c, double s)
{
    auto P = [s](double x, double y) { return Point{x * s, y * s}; };
    const double wall = 8 * s, inner = 5 * s;
    // Outer walls, with a gap for the front door at the bottom.
    c.polyline({P(100, 100), P(1400, 100), P(1400, 900), P(760, 900)}, wall);
    c.polyline({P(660, 900), P(100, 900), P(100, 100)}, wall);
    // Inner walls with door openings.
    c.polyline({P(600, 100), P(600, 380)}, inner);
    c.polyline({P(600, 460), P(600, 900)}, inner);
    c.polyline({P(100, 500), P(300, 500)}, inner);
    c.polyline({P(380, 500), P(600, 500)}, inner);
    c.polyline({P(1000, 100), P(1000, 560)}, inner);
    c.polyline({P(1000, 640), P(1000, 900)}, inner);
    c.polyline({P(1000, 400), P(1400, 400)}, inner);
    // A slanted bay wall and a round column.
    c.polyline({P(1400, 650), P(1330, 720), P(1330, 830), P(1400, 900)}, inner);
    c.arc(P(800, 300), 22 * s, 0, 360, 3 * s);
    // Doors with their swings.
    door(c, P(600, 380), 80 * s, 0, 0, -90);
    door(c, P(300, 500), 80 * s, 90, 90, 0);
    door(c, P(1000, 560), 80 * s, 180, 180, 270);
    door(c, P(660, 900), 100 * s, 90, 90, 0);
    // Windows: three thin parallel strokes across the outer wall.
    for (double x : {250.0, 420.0, 1150.0})
        for (double dy : {-4.0, 0.0, 4.0})
            c.segment(P(x, 100 + dy), P(x + 90, 100 + dy), 1.4);
    // Room labels.
    label(c, "LIVING", P(220, 260), 30 * s);
    label(c, "KITCHEN", P(690, 620), 30 * s);
    label(c, "BATH", P(1120, 220), 26 * s);
    label(c, "BED", P(1130, 700), 30 * s);
    label(c, "HALL", P(200, 680), 26 * s);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: make_sample OUT.bmp [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 1500;
    const int height = argc == 4 ? std::atoi(argv[3]) : 1000;
    if (width < 150 || height < 100) {
        std::fprintf(stderr, "make_sample: the plan needs at least 150 x 100 pixels\n");
        return 2;
    }
    Canvas canvas(width, height);
    drawPlan(canvas, std::min(width / 1500.0, height / 1000.0));

    std::vector<orvane::RGBQUAD> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    orvane::CBitmapImage image;
    image.Create(width, height, 8, grey);
    unsigned state = 20261206;
    auto noise = [&] { state = state * 1664525u + 1013904223u; return (state >> 8) & 0xFFFF; };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.GetRow(y + 1);
        for (int x = 0; x < width; ++x) {
            // Paper tone around 235 with grain; ink down to about 35.
            double value = 235 + int(noise() % 13) - 6 - canvas.ink(x, y) * 200.0;
            if (noise() % 4000 == 0)
                value = 60 + noise() % 80; // scanner speckle
            row[x] = std::uint8_t(std::clamp(value, 0.0, 255.0));
        }
    }
    std::string error;
    if (!orvane::WriteBmpFile(image, argv[1], &error)) {
        std::fprintf(stderr, "make_sample: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
