#include "common/canvas.h"

#include <algorithm>
#include <cmath>

namespace orvane::bench {
namespace {

/// The parameters [t0, t1] of the part of a -> b inside [0, w] x [0, h]
/// (Liang-Barsky); false when no part of it is.
bool clipSegment(TruthPoint a, TruthPoint b, double w, double h, double& t0, double& t1)
{
    t0 = 0;
    t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x, w - a.x, a.y, h - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
    }
    return t0 <= t1;
}

TruthPoint along(TruthPoint a, TruthPoint b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

double length(const std::vector<TruthPoint>& points)
{
    double sum = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        sum += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
    return sum;
}

} // namespace

Canvas::Canvas(int width, int height, DrawingTruth* truth)
    : m_width(width), m_height(height), m_cover(std::size_t(width) * height, 0), m_truth(truth)
{
    if (m_truth) {
        m_truth->width = width;
        m_truth->height = height;
        m_truth->strokes.clear();
    }
}

void Canvas::stroke(double x0, double y0, double x1, double y1, double width)
{
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int pieces = std::max(1, int(length / 24.0));
    for (int p = 0; p < pieces; ++p) {
        const double t0 = double(p) / pieces, t1 = double(p + 1) / pieces;
        capsule(x0 + (x1 - x0) * t0, y0 + (y1 - y0) * t0, x0 + (x1 - x0) * t1, y0 + (y1 - y0) * t1, width);
    }
    m_area += length * width;
}

void Canvas::polyline(const char* kind, const std::vector<TruthPoint>& points, double width, bool closed)
{
    for (std::size_t i = 1; i < points.size(); ++i)
        stroke(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, width);
    if (closed && points.size() > 2)
        stroke(points.back().x, points.back().y, points.front().x, points.front().y, width);
    record(kind, points, width, closed);
}

void Canvas::record(const char* kind, const std::vector<TruthPoint>& points, double width, bool closed)
{
    if (!m_truth)
        return;
    for (TruthStroke& piece : ClipToImage(TruthStroke{kind, width, closed, points}, m_width, m_height))
        m_truth->strokes.push_back(std::move(piece));
}

void Canvas::capsule(double ax, double ay, double bx, double by, double width)
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

std::vector<TruthStroke> ClipToImage(const TruthStroke& stroke, int width, int height)
{
    const std::vector<TruthPoint>& p = stroke.points;
    const double w = width, h = height;
    auto inside = [&](TruthPoint q) { return q.x >= 0 && q.x <= w && q.y >= 0 && q.y <= h; };
    if (p.size() < 2)
        return {};
    if (std::all_of(p.begin(), p.end(), inside))
        return {stroke};

    // Walk the segments (with the closing one), keeping the runs inside.
    std::vector<TruthStroke> runs;
    bool open = false;          // the last run goes on with the next segment
    bool firstFromStart = false; // the first run begins at point 0
    bool lastToStart = false;    // the last run ends back at point 0
    const std::size_t segments = stroke.closed ? p.size() : p.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const TruthPoint a = p[i], b = p[(i + 1) % p.size()];
        double t0, t1;
        if (!clipSegment(a, b, w, h, t0, t1)) {
            open = false;
            continue;
        }
        if (open && t0 == 0) {
            runs.back().points.push_back(along(a, b, t1));
        } else {
            runs.push_back(TruthStroke{stroke.kind, stroke.width, false, {along(a, b, t0), along(a, b, t1)}});
            if (i == 0 && t0 == 0)
                firstFromStart = true;
        }
        open = t1 == 1;
        if (i + 1 == segments)
            lastToStart = stroke.closed && t1 == 1;
    }
    if (lastToStart && firstFromStart && runs.size() > 1) {
        std::vector<TruthPoint>& last = runs.back().points;
        last.insert(last.end(), runs.front().points.begin() + 1, runs.front().points.end());
        runs.front() = std::move(runs.back());
        runs.pop_back();
    }
    // Where the arithmetic left a cut a hair outside, put it on the border.
    for (TruthStroke& run : runs)
        for (TruthPoint& q : run.points) {
            q.x = std::clamp(q.x, 0.0, w);
            q.y = std::clamp(q.y, 0.0, h);
        }
    std::erase_if(runs, [](const TruthStroke& run) { return length(run.points) < 1e-9; });
    return runs;
}

void PaintScan(const Canvas& canvas, CBitmapImage& image, Random& random, double noise, int speckOdds)
{
    const int width = canvas.width(), height = canvas.height();
    const std::uint32_t stride = image.GetStride();
    std::uint8_t* bits = image.GetBits();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const double c = canvas.cover(x, y) / 255.0;
            const double n = random.between(-noise, noise);
            const bool speck = speckOdds != 0 && random.integer(0, speckOdds) == 0;
            const double paper[3] = {232, 246, 250}; // blue, green, red
            const double ink[3] = {48, 36, 30};
            for (int ch = 0; ch < 3; ++ch) {
                double v = paper[ch] + (ink[ch] - paper[ch]) * c + n;
                if (speck)
                    v = ink[ch] + 40;
                row[3 * x + ch] = std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
            }
        }
    }
}

} // namespace orvane::bench
