// Line quality.
#include "vector/line_quality.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace orvane {
namespace {

double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double lengthSq = dx * dx + dy * dy;
    double t = lengthSq > 0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSq : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

/// Distance from a point to the line, searching outwards from the segment
/// that was nearest to the previous point; the source runs along the line,
/// so the nearest segment moves little from one pixel to the next. Updates
/// `segment`.
double nearest(const PointList& line, double px, double py, int& segment)
{
    const int segments = line.count - 1;
    if (segments <= 0)
        return std::hypot(px - line.x[0], py - line.y[0]);
    auto at = [&](int s) {
        return segmentDistance(px, py, line.x[std::size_t(s)], line.y[std::size_t(s)], line.x[std::size_t(s + 1)],
                               line.y[std::size_t(s + 1)]);
    };
    double best = at(segment);
    int bestSegment = segment;
    // Look both ways; stop a side once it has been worse for a while.
    for (int direction : {-1, 1}) {
        int worse = 0;
        for (int s = segment + direction; s >= 0 && s < segments && worse < 16; s += direction) {
            const double d = at(s);
            if (d < best) {
                best = d;
                bestSegment = s;
                worse = 0;
            } else {
                ++worse;
            }
        }
    }
    // Where a line passes a place twice, the segment near the last point may
    // not be the nearest: far enough off to matter, every segment is asked.
    if (best > 0.25) {
        for (int s = 0; s < segments; ++s) {
            const double d = at(s);
            if (d < best) {
                best = d;
                bestSegment = s;
            }
        }
    }
    segment = bestSegment;
    return best;
}

} // namespace

LineQuality MeasureLine(std::int32_t id, const PointList& line, const PointList& source, bool runsBetween)
{
    LineQuality q;
    q.id = id;
    q.vertices = line.count;
    for (int i = 1; i < line.count; ++i)
        q.length += std::hypot(line.x[std::size_t(i)] - line.x[std::size_t(i - 1)],
                               line.y[std::size_t(i)] - line.y[std::size_t(i - 1)]);
    q.closed = line.count > 2 && line.x[0] == line.x[std::size_t(line.count - 1)] &&
               line.y[0] == line.y[std::size_t(line.count - 1)];
    if (line.count == 0 || source.count == 0)
        return q;
    int segment = 0;
    double sum = 0;
    std::size_t samples = 0;
    auto sample = [&](double x, double y) {
        const double d = nearest(line, x, y, segment);
        q.maxDistance = std::max(q.maxDistance, d);
        sum += d;
        ++samples;
    };
    sample(source.x[0], source.y[0]);
    for (int i = 1; i < source.count; ++i) {
        const double ax = source.x[std::size_t(i - 1)], ay = source.y[std::size_t(i - 1)];
        const double bx = source.x[std::size_t(i)], by = source.y[std::size_t(i)];
        // The pixels of a straight run between two source points.
        const int steps =
            runsBetween ? std::max(1, int(std::ceil(std::max(std::abs(bx - ax), std::abs(by - ay))))) : 1;
        for (int k = 1; k <= steps; ++k)
            sample(ax + (bx - ax) * k / steps, ay + (by - ay) * k / steps);
    }
    q.meanDistance = sum / double(samples);
    return q;
}

void CountFreeEnds(const std::vector<const CVectorLine*>& lines, std::span<LineQuality> report)
{
    constexpr double kReach = 1.5;
    constexpr double kCell = 16.0;
    // Every segment in each grid cell its box touches.
    struct Segment {
        std::size_t line;
        std::size_t index; ///< its first vertex
    };
    std::unordered_map<std::uint64_t, std::vector<Segment>> cells;
    auto cellKey = [](long cx, long cy) { return (std::uint64_t(std::uint32_t(cx)) << 32) | std::uint32_t(cy); };
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const auto& nodes = lines[l]->m_nodes;
        for (std::size_t i = 0; i + 1 < nodes.size() || (nodes.size() == 1 && i == 0); ++i) {
            const VectorNode& a = nodes[i];
            const VectorNode& b = nodes.size() == 1 ? a : nodes[i + 1];
            const long x0 = long(std::floor((std::min(a.m_dX, b.m_dX) - kReach) / kCell));
            const long x1 = long(std::floor((std::max(a.m_dX, b.m_dX) + kReach) / kCell));
            const long y0 = long(std::floor((std::min(a.m_dY, b.m_dY) - kReach) / kCell));
            const long y1 = long(std::floor((std::max(a.m_dY, b.m_dY) + kReach) / kCell));
            for (long cy = y0; cy <= y1; ++cy)
                for (long cx = x0; cx <= x1; ++cx)
                    cells[cellKey(cx, cy)].push_back({l, i});
        }
    }
    for (std::size_t l = 0; l < lines.size() && l < report.size(); ++l) {
        const auto& nodes = lines[l]->m_nodes;
        report[l].freeEnds = 0;
        if (nodes.empty() || report[l].closed)
            continue;
        for (int end = 0; end < (nodes.size() == 1 ? 1 : 2); ++end) {
            const std::size_t at = end == 0 ? 0 : nodes.size() - 1;
            const double px = nodes[at].m_dX, py = nodes[at].m_dY;
            bool met = false;
            const auto found = cells.find(cellKey(long(std::floor(px / kCell)), long(std::floor(py / kCell))));
            for (const Segment& s : found == cells.end() ? std::vector<Segment>() : found->second) {
                const auto& other = lines[s.line]->m_nodes;
                if (s.line == l)
                    continue;
                const VectorNode& a = other[s.index];
                const VectorNode& b = other.size() == 1 ? a : other[s.index + 1];
                if (segmentDistance(px, py, a.m_dX, a.m_dY, b.m_dX, b.m_dY) <= kReach) {
                    met = true;
                    break;
                }
            }
            report[l].freeEnds += met ? 0 : 1;
        }
    }
}

} // namespace orvane
