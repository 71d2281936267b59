// Clean tracing.
#include "vector/clean_tracer.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <span>
#include <unordered_map>
#include <utility>

namespace orvane {
namespace {

using Kind = SkeletonGraph::NodeKind;

constexpr double kPi = 3.14159265358979323846;

struct Point {
    double x, y;
};

/// The length of (dx, dy). Coordinates are pixels: the squares neither
/// overflow nor underflow, and the square root is quicker than std::hypot.
double norm(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

/// The unit direction from `from` along an edge, leaving by its `side`
/// end, to the edge's first point `reach` away (or its far end).
Point branchDirection(Point from, const SkeletonGraph::Edge& ed, int side, double reach)
{
    const std::size_t count = ed.pixels.size();
    Point towards = from;
    for (std::size_t k = 0; k < count; ++k) {
        const SkeletonPixel p = ed.pixels[side == 0 ? k : count - 1 - k];
        towards = {double(p.x), double(p.y)};
        if (norm(towards.x - from.x, towards.y - from.y) >= reach)
            break;
    }
    const double dx = towards.x - from.x, dy = towards.y - from.y;
    const double length = norm(dx, dy);
    return length > 0 ? Point{dx / length, dy / length} : Point{0, 0};
}

/// How straight a line goes on from one branch into another: the cosine
/// of its turn, 1 straight on.
double straightness(Point a, Point b) { return -(a.x * b.x + a.y * b.y); }

Point unit(Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, length = norm(dx, dy);
    return length > 0 ? Point{dx / length, dy / length} : Point{0, 0};
}

/// Whether the segments p1-p2 and q1-q2 cross each other.
bool segmentsCross(Point p1, Point p2, Point q1, Point q2)
{
    const auto turn = [](Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
    const double d1 = turn(p1, p2, q1), d2 = turn(p1, p2, q2), d3 = turn(q1, q2, p1), d4 = turn(q1, q2, p2);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

/// The point `reach` away from junction n along the line that leaves it
/// by edge e (its `side` end), or the farthest point short of that. An edge that ends sooner
/// at another junction is followed on through it by the branch that
/// goes most nearly straight on (a few junctions at most), so that a
/// short piece between two junctions does not decide the direction
/// from its few pixels alone.
Point farPointOf(const SkeletonGraph& graph, int n, int e, int side, double reach)
{
    const Point from{graph.nodes[std::size_t(n)].x, graph.nodes[std::size_t(n)].y};
    Point towards = from;
    int node = n;
    for (int hop = 0; hop < 4; ++hop) {
        const SkeletonGraph::Edge& ed = graph.edges[std::size_t(e)];
        const std::size_t count = ed.pixels.size();
        for (std::size_t k = 0; k < count; ++k) {
            const SkeletonPixel p = ed.pixels[side == 0 ? k : count - 1 - k];
            towards = {double(p.x), double(p.y)};
            if (norm(towards.x - from.x, towards.y - from.y) >= reach)
                return towards;
        }
        const int next = side == 0 ? ed.to : ed.from;
        const SkeletonGraph::Node& there = graph.nodes[std::size_t(next)];
        if (next == node || there.kind != Kind::Junction)
            break;
        towards = {there.x, there.y};
        if (norm(towards.x - from.x, towards.y - from.y) >= reach)
            break;
        // On through the junction by its straightest branch.
        const Point heading = unit(from, towards);
        double best = -2;
        int bestEdge = -1, bestSide = 0;
        for (int other : there.edges) {
            if (other == e)
                continue;
            const SkeletonGraph::Edge& o = graph.edges[std::size_t(other)];
            const int s = o.from == next ? 0 : 1;
            const Point d = branchDirection(towards, o, s, 3.0);
            const double ahead = d.x * heading.x + d.y * heading.y;
            if (ahead > best) {
                best = ahead;
                bestEdge = other;
                bestSide = s;
            }
        }
        if (bestEdge < 0 || best < 0.5)
            break;
        node = next;
        e = bestEdge;
        side = bestSide;
    }
    return towards;
}

/// The most branches one junction gathers by merging.
constexpr int kMostBranches = 24;

class GraphCleaner {
public:
    GraphCleaner(SkeletonGraph& graph, const CleanTraceOptions& options) : m_g(graph), m_options(options) {}

    void clean()
    {
        for (int round = 0; round < 8; ++round) {
            bool changed = dropSmallLoops();
            changed = removeSpurs() || changed;
            changed = mergeNearJunctions() || changed;
            changed = closeAcuteCorners() || changed;
            changed = dissolvePassThroughs() || changed;
            if (!changed)
                break;
        }
        shareCrossings();
    }

    /// Pairs of ports (2 * edge + side) that continue each other whatever
    /// their directions: the lines of a shallow crossing along the edge
    /// the two strokes share.
    const std::vector<std::pair<int, int>>& throughPairs() const { return m_through; }
    /// The forks of those crossings: both lines run through each, neither
    /// ends there, and neither keeps its point (it lies between them).
    const std::vector<int>& crossedForks() const { return m_crossed; }

    /// The stroke width about a point: twice the depth of the ink there, at
    /// least one pixel; 2 when the ink is not known.
    double widthAt(double x, double y) const
    {
        if (!m_options.ink)
            return 2.0;
        return std::max(1.0, 2.0 * m_options.ink->radiusAt(x, y));
    }
    double widthAt(const SkeletonGraph::Node& node) const { return widthAt(node.x, node.y); }

    /// The stroke width at node n, found once while the node stays put.
    double widthAt(int n)
    {
        if (m_width.size() < m_g.nodes.size())
            m_width.resize(m_g.nodes.size(), -1.0);
        double& width = m_width[std::size_t(n)];
        if (width < 0)
            width = widthAt(node(n));
        return width;
    }

private:
    SkeletonGraph::Node& node(int id) { return m_g.nodes[std::size_t(id)]; }
    SkeletonGraph::Edge& edge(int id) { return m_g.edges[std::size_t(id)]; }

    int degree(int n) { return int(node(n).edges.size()); }

    void detach(int e)
    {
        SkeletonGraph::Edge& ed = edge(e);
        for (int end : {ed.from, ed.to}) {
            if (end < 0)
                continue;
            auto& list = node(end).edges;
            const auto at = std::find(list.begin(), list.end(), e);
            if (at != list.end())
                list.erase(at);
        }
        ed.alive = false;
    }

    /// Little rings hanging on one junction: holes left in a blob of ink.
    /// A ring round a hole narrower than the ink beside it is a hole in a
    /// thick stroke; a ring round a wider gap is drawn (two strokes of a
    /// letter that meet at both ends) and stays.
    bool dropSmallLoops()
    {
        bool changed = false;
        for (std::size_t e = 0; e < m_g.edges.size(); ++e) {
            SkeletonGraph::Edge& ed = m_g.edges[e];
            if (!ed.alive || ed.ring() || ed.from != ed.to)
                continue;
            if (double(ed.pixels.size()) < 2.0 * widthAt(ed.from) + 2.0 && holeInInk(ed)) {
                detach(int(e));
                changed = true;
            }
        }
        return changed;
    }

    /// Whether the ring of pixels `ed` runs round a hole no wider than the
    /// ink on either side of it: its pixels lie, on average, at least half
    /// as deep in the ink as they lie from the ring's middle.
    bool holeInInk(const SkeletonGraph::Edge& ed) const { return holeInInk(ed.pixels, {}); }

    /// The same for the ring of two edges between the same two junctions.
    bool holeInInk(std::span<const SkeletonPixel> first, std::span<const SkeletonPixel> second) const
    {
        if (!m_options.ink)
            return true;
        double sumX = 0, sumY = 0;
        for (const auto* pixels : {&first, &second})
            for (SkeletonPixel p : *pixels) {
                sumX += p.x;
                sumY += p.y;
            }
        const double count = double(first.size() + second.size());
        if (count == 0)
            return true;
        const double mx = sumX / count, my = sumY / count;
        double across = 0, depth = 0;
        for (const auto* pixels : {&first, &second})
            for (SkeletonPixel p : *pixels) {
                across += norm(p.x - mx, p.y - my);
                depth += m_options.ink->radiusAt(p.x, p.y);
            }
        return depth >= 0.5 * across;
    }

    /// Whether the junctions at the ends of edge e are also joined by
    /// another edge, the two making a small ring round a hole in the ink:
    /// thinning went both ways round a speck of paper in a blob.
    bool holeBetween(int e, double width)
    {
        const SkeletonGraph::Edge& ed = edge(e);
        for (int other : node(ed.from).edges) {
            const SkeletonGraph::Edge& o = edge(other);
            if (other == e || !((o.from == ed.from && o.to == ed.to) || (o.from == ed.to && o.to == ed.from)))
                continue;
            if (double(ed.pixels.size() + o.pixels.size()) < 2.0 * width + 2.0 && holeInInk(ed.pixels, o.pixels))
                return true;
        }
        return false;
    }

    /// A branch from a junction to a free end no longer than the stroke is
    /// wide, whose ink ends within the junction's blob, is a spur of
    /// thinning, not a drawn line; junctions keep at least two branches.
    bool removeSpurs()
    {
        bool changed = false;
        for (std::size_t n = 0; n < m_g.nodes.size(); ++n) {
            if (!m_g.nodes[n].alive || m_g.nodes[n].kind != Kind::Junction)
                continue;
            for (;;) {
                SkeletonGraph::Node& junction = m_g.nodes[n];
                if (junction.edges.size() < 3)
                    break;
                const double limit = std::max(2.0, 0.75 * widthAt(int(n)));
                int shortest = -1;
                std::size_t shortestLength = 0;
                for (int e : junction.edges) {
                    const SkeletonGraph::Edge& ed = edge(e);
                    const int other = ed.from == int(n) ? ed.to : ed.from;
                    if (other == int(n) || node(other).kind != Kind::End)
                        continue;
                    if ((shortest < 0 || ed.pixels.size() < shortestLength) &&
                        ((double(ed.pixels.size()) <= limit && capWithin(junction, ed, other)) ||
                         (double(ed.pixels.size()) <= 2.0 * limit && speck(junction, other)))) {
                        shortest = e;
                        shortestLength = ed.pixels.size();
                    }
                }
                if (shortest < 0)
                    break;
                const int end = edge(shortest).from == int(n) ? edge(shortest).to : edge(shortest).from;
                detach(shortest);
                node(end).alive = false;
                changed = true;
            }
        }
        return changed;
    }

    /// A stroke that turns by more than a right angle (the point of a V,
    /// the corners of N, M and W, an open arrowhead) runs its two legs
    /// into one blob at the corner, and thinning makes a Y of it: the legs
    /// meet at a junction short of the corner and a stem goes on to the
    /// tip (or a spur did, gone by now). Where the legs, each straight for
    /// a stroke's width or two, meet ahead of the junction, within the ink
    /// and along the stem, and the stem ends no farther past their meeting
    /// point than the tip of the ink lies (half a stroke over the sine of
    /// half the angle, and a pixel) with no ink going on beyond it, the
    /// stem is the corner's tip: it is dropped, the legs lose their pixels
    /// bent into the blob, and the junction moves to where the legs meet,
    /// so that the stroke turns there as one line. A Y drawn as such, whose
    /// arms meet where its stem starts, is left alone.
    bool closeAcuteCorners()
    {
        bool changed = false;
        for (std::size_t n = 0; n < m_g.nodes.size(); ++n) {
            const SkeletonGraph::Node& junction = m_g.nodes[n];
            if (!junction.alive || junction.kind != Kind::Junction)
                continue;
            if (junction.edges.size() == 2) {
                changed = closeCornerAt(int(n), -1) || changed;
                continue;
            }
            if (junction.edges.size() != 3)
                continue;
            for (int k = 0; k < 3; ++k)
                if (closeCornerAt(int(n), k)) {
                    changed = true;
                    break;
                }
        }
        return changed;
    }

    /// closeAcuteCorners at junction n with its k-th branch as the stem, or
    /// at a junction of two branches with no stem (k < 0).
    bool closeCornerAt(int n, int k)
    {
        const SkeletonGraph::Node& junction = node(n);
        const std::size_t count = junction.edges.size();
        const int stem = k < 0 ? -1 : junction.edges[std::size_t(k)];
        int tipNode = -1;
        if (stem >= 0) {
            const SkeletonGraph::Edge& se = edge(stem);
            tipNode = se.from == n ? se.to : se.from;
            if (tipNode == n || node(tipNode).kind != Kind::End)
                return false;
        }
        const int legs[2] = {junction.edges[std::size_t(k < 0 ? 0 : (k + 1) % count)],
                             junction.edges[std::size_t(k < 0 ? 1 : (k + 2) % count)]};
        if (legs[0] == legs[1] || legs[0] == stem || legs[1] == stem)
            return false;
        for (int leg : legs)
            if (edge(leg).from == edge(leg).to)
                return false;
        const Point at{junction.x, junction.y};
        const double width = std::max(1.0, 2.0 * legWidth(n, legs));
        // Each leg's course: the line fitted to its pixels past the blob.
        // A pixel's step over a few pixels moves the meeting point of two
        // legs of a narrow V by several; a fit over all of them does not.
        const double near = width + 2.0, far = near + std::max(8.0, 4.0 * width);
        Point from[2], along[2];
        for (int i = 0; i < 2; ++i)
            if (!legCourse(n, legs[i], near, far, from[i], along[i]))
                return false; // too short to tell its course
        // An acute turn: the legs leave the corner less than 80 degrees apart.
        const double cosine = along[0].x * along[1].x + along[0].y * along[1].y;
        if (cosine < std::cos(80.0 * kPi / 180.0))
            return false;
        // Where the legs meet.
        const double cross = along[0].x * along[1].y - along[0].y * along[1].x;
        if (std::abs(cross) < 1e-6)
            return false;
        const double dx = from[1].x - from[0].x, dy = from[1].y - from[0].y;
        const double t = (dx * along[1].y - dy * along[1].x) / cross;
        const double u = (dx * along[0].y - dy * along[0].x) / cross;
        if (t <= 0 || u <= 0)
            return false;
        const Point corner{from[0].x + t * along[0].x, from[0].y + t * along[0].y};
        if (corner.x < 0 || corner.y < 0 || corner.x > m_g.width - 1 || corner.y > m_g.height - 1)
            return false;
        const double sineHalf = std::sqrt(std::max(0.0, (1.0 - cosine) / 2.0));
        const double inkTip = 0.5 * width / std::max(sineHalf, 0.05);
        // The corner lies ahead of the junction, where the stem goes (or,
        // with none, where the legs point), inside the ink.
        const Point tip = tipNode >= 0 ? Point{node(tipNode).x, node(tipNode).y} : corner;
        const Point outward = tipNode >= 0 ? unit(at, tip) : unit({0, 0}, {along[0].x + along[1].x, along[0].y + along[1].y});
        const double ahead = (corner.x - at.x) * outward.x + (corner.y - at.y) * outward.y;
        const double aside = std::abs((corner.x - at.x) * outward.y - (corner.y - at.y) * outward.x);
        if (ahead < 0.5 || aside > 0.5 * width + 1.0 || ahead > inkTip + width + 1.0)
            return false;
        if (m_options.ink && !m_options.ink->ink(int(std::lround(corner.x)), int(std::lround(corner.y))) &&
            !m_options.ink->ink(int(std::lround(corner.x - outward.x)), int(std::lround(corner.y - outward.y))))
            return false;
        if (tipNode >= 0) {
            const double stemLength = norm(tip.x - at.x, tip.y - at.y);
            if (stemLength - ahead > inkTip + 1.0)
                return false; // a stroke of its own goes on from the meeting point
            if (m_options.ink && inkBeyond(tip, outward) > inkTip + width)
                return false; // ink goes on past the corner
        }
        // The legs' pixels bent into the blob give way to straight runs to
        // the corner.
        for (int leg : legs) {
            auto& pixels = edge(leg).pixels;
            const bool fromHere = edge(leg).from == n;
            std::size_t bent = 0;
            while (bent + 1 < pixels.size()) {
                const SkeletonPixel p = pixels[fromHere ? bent : pixels.size() - 1 - bent];
                if (norm(p.x - at.x, p.y - at.y) >= near)
                    break;
                ++bent;
            }
            if (fromHere)
                pixels.erase(pixels.begin(), pixels.begin() + long(bent));
            else
                pixels.resize(pixels.size() - bent);
        }
        if (stem >= 0) {
            detach(stem);
            node(tipNode).alive = false;
        }
        SkeletonGraph::Node& moved = node(n);
        moved.x = corner.x;
        moved.y = corner.y;
        if (std::size_t(n) < m_width.size())
            m_width[std::size_t(n)] = -1.0;
        return true;
    }

    /// The course of the branch e of junction n: the line fitted to its
    /// pixels from `near` to `far` from the junction, through their mean
    /// (`at`) and heading back towards the junction (`along`). False when
    /// fewer than four pixels lie there.
    bool legCourse(int n, int e, double near, double far, Point& at, Point& along) const
    {
        const SkeletonGraph::Edge& ed = m_g.edges[std::size_t(e)];
        const SkeletonGraph::Node& junction = m_g.nodes[std::size_t(n)];
        const std::size_t count = ed.pixels.size();
        const bool fromHere = ed.from == n;
        double sumX = 0, sumY = 0;
        int used = 0;
        std::size_t first = count, last = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const SkeletonPixel p = ed.pixels[fromHere ? k : count - 1 - k];
            const double d = norm(p.x - junction.x, p.y - junction.y);
            if (d > far)
                break;
            if (d < near)
                continue;
            sumX += p.x;
            sumY += p.y;
            ++used;
            first = std::min(first, k);
            last = k;
        }
        if (used < 4)
            return false;
        const double mx = sumX / used, my = sumY / used;
        double xx = 0, xy = 0, yy = 0;
        for (std::size_t k = first; k <= last; ++k) {
            const SkeletonPixel p = ed.pixels[fromHere ? k : count - 1 - k];
            const double d = norm(p.x - junction.x, p.y - junction.y);
            if (d < near)
                continue;
            xx += (p.x - mx) * (p.x - mx);
            xy += (p.x - mx) * (p.y - my);
            yy += (p.y - my) * (p.y - my);
        }
        // The principal direction of the pixels, turned towards the junction.
        const double angle = 0.5 * std::atan2(2.0 * xy, xx - yy);
        along = {std::cos(angle), std::sin(angle)};
        if (along.x * (junction.x - mx) + along.y * (junction.y - my) < 0)
            along = {-along.x, -along.y};
        at = {mx, my};
        return true;
    }

    /// The stroke width along two legs of a junction, where they are apart
    /// (2 to 12 pixels out): twice the deepest ink under each leg's pixels
    /// there, the two averaged. The deepest, as a thin leg's pixels may lie
    /// to one side of its middle.
    double legWidth(int n, const int (&legs)[2]) const
    {
        if (!m_options.ink)
            return 1.0;
        const SkeletonGraph::Node& junction = m_g.nodes[std::size_t(n)];
        double sum = 0;
        for (int leg : legs) {
            const SkeletonGraph::Edge& le = m_g.edges[std::size_t(leg)];
            const std::size_t count = le.pixels.size();
            double deepest = 0.5;
            for (std::size_t k = 0; k < count; ++k) {
                const SkeletonPixel p = le.pixels[le.from == n ? k : count - 1 - k];
                const double d = norm(p.x - junction.x, p.y - junction.y);
                if (d > 12.0)
                    break;
                if (d >= 2.0)
                    deepest = std::max(deepest, m_options.ink->radiusAt(p.x, p.y));
            }
            sum += deepest;
        }
        return sum / 2.0;
    }

    /// How far the ink goes on from `from` along `way`, up to 24 pixels.
    double inkBeyond(Point from, Point way) const
    {
        double last = 0;
        for (double t = 0.5; t <= 24.0; t += 0.5) {
            if (!m_options.ink->ink(int(std::lround(from.x + way.x * t)), int(std::lround(from.y + way.y * t))))
                break;
            last = t;
        }
        return last;
    }

    /// Whether the ink of a branch ends within the junction's blob: the
    /// last ink beyond its free end, straight on from the junction, lies no
    /// farther from the junction's point than a corner of the blob. A
    /// branch that thinning pulled out into a corner of the ink does; the
    /// end of a short drawn stroke reaches out past the blob.
    bool capWithin(const SkeletonGraph::Node& junction, const SkeletonGraph::Edge& ed, int end) const
    {
        if (!m_options.ink)
            return true;
        const InkMask& ink = *m_options.ink;
        const SkeletonGraph::Node& tip = m_g.nodes[std::size_t(end)];
        double dx = tip.x - junction.x, dy = tip.y - junction.y;
        double reach = norm(dx, dy);
        if (reach < 0.5) {
            const Point d = branchDirection({junction.x, junction.y}, ed, ed.from == end ? 1 : 0, 3.0);
            dx = d.x;
            dy = d.y;
        } else {
            dx /= reach;
            dy /= reach;
        }
        reach += inkBeyond({tip.x, tip.y}, {dx, dy}) + 0.5;
        const double radius = ink.radiusAt(junction.x, junction.y);
        if (reach <= 1.5 * radius + 1.0)
            return true;
        // Past the blob, a bump no longer than it is wide is no stroke.
        std::vector<double> depths;
        for (SkeletonPixel p : ed.pixels)
            if (norm(p.x - junction.x, p.y - junction.y) > radius)
                depths.push_back(ink.radiusAt(p.x, p.y));
        if (depths.empty())
            return true;
        std::nth_element(depths.begin(), depths.begin() + long(depths.size() / 2), depths.end());
        return reach - radius <= 2.0 * depths[depths.size() / 2];
    }

    /// Whether the ink a branch runs out to from the junction's blob is a
    /// speck touching the stroke: a single pixel outside the blob, joined
    /// to no other pixel outside it. Thinning draws a spur out to such a
    /// pixel, as long as the stroke is wide; a drawn stroke, however short,
    /// leaves more ink than that past the blob.
    bool speck(const SkeletonGraph::Node& junction, int end) const
    {
        if (!m_options.ink)
            return false;
        constexpr int kMost = 1;
        const InkMask& ink = *m_options.ink;
        const double blob = ink.radiusAt(junction.x, junction.y) + 0.5;
        const auto outside = [&](int x, int y) {
            return ink.ink(x, y) && norm(x - junction.x, y - junction.y) > blob;
        };
        const SkeletonGraph::Node& tip = m_g.nodes[std::size_t(end)];
        const int tx = int(tip.x), ty = int(tip.y);
        if (!outside(tx, ty))
            return false;
        // A walk over at most kMost + 1 pixels (one more decides).
        SkeletonPixel found[kMost + 1] = {{tx, ty}};
        int count = 1;
        for (int i = 0; i < count; ++i)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = found[i].x + dx, y = found[i].y + dy;
                    if (!outside(x, y) || std::any_of(found, found + count, [&](SkeletonPixel p) { return p.x == x && p.y == y; }))
                        continue;
                    if (count > kMost)
                        return false;
                    found[count++] = {x, y};
                }
        return true;
    }

    /// Two junctions a short edge apart are one place where strokes meet
    /// (thinning splits a thick crossing into two forks), and so are two
    /// that thinning split round a hole in the ink.
    bool mergeNearJunctions()
    {
        bool changed = false;
        for (std::size_t e = 0; e < m_g.edges.size(); ++e) {
            SkeletonGraph::Edge& ed = m_g.edges[e];
            if (!ed.alive || ed.ring() || ed.from == ed.to)
                continue;
            const int a = ed.from, b = ed.to;
            if (node(a).kind != Kind::Junction || node(b).kind != Kind::Junction)
                continue;
            // Junctions three pixels apart or closer are one place at any width.
            const double limit = std::max(4.0, std::min(widthAt(a), widthAt(b)));
            const bool hole = holeBetween(int(e), std::min(widthAt(a), widthAt(b)));
            if (double(ed.pixels.size()) >= limit && !hole && !crossingApart(int(e), limit))
                continue;
            if (!hole && (besideLine(a, int(e), b) || besideLine(b, int(e), a)))
                continue;
            // Where strokes meet, a handful of branches do. Ink that thins
            // to a mesh (noise, a photograph, a dark scan) would otherwise
            // merge into one junction of thousands of branches, whose
            // pairing grows with the square of their count.
            if (degree(a) + degree(b) - 2 > kMostBranches)
                continue;
            // The merged junction lies at the mean of all its pixels.
            SkeletonGraph::Node& keep = node(a);
            SkeletonGraph::Node& gone = node(b);
            double sumX = keep.x * keep.pixels + gone.x * gone.pixels, sumY = keep.y * keep.pixels + gone.y * gone.pixels;
            for (SkeletonPixel p : ed.pixels) {
                sumX += p.x;
                sumY += p.y;
            }
            const std::int32_t pixels = keep.pixels + gone.pixels + std::int32_t(ed.pixels.size());
            const Point at{sumX / pixels, sumY / pixels};
            double spread = std::max(keep.spread + norm(keep.x - at.x, keep.y - at.y),
                                     gone.spread + norm(gone.x - at.x, gone.y - at.y));
            for (SkeletonPixel p : ed.pixels)
                spread = std::max(spread, norm(p.x - at.x, p.y - at.y));
            detach(int(e));
            keep.x = at.x;
            keep.y = at.y;
            m_width[std::size_t(a)] = -1.0; // moved
            keep.pixels = pixels;
            keep.spread = spread;
            for (int moved : gone.edges) {
                SkeletonGraph::Edge& m = edge(moved);
                if (m.from == b)
                    m.from = a;
                if (m.to == b)
                    m.to = a;
                keep.edges.push_back(moved);
            }
            gone.edges.clear();
            gone.alive = false;
            changed = true;
        }
        return changed;
    }

    /// Whether junction n is where a line runs straight on, with edge e
    /// leaving it sideways to a junction `other` that lies off that line,
    /// outside its stroke: a stroke that ends on the line (or touches it)
    /// from a place of its own, which is no part of the line's crossing.
    bool besideLine(int n, int e, int other)
    {
        if (degree(n) != 3)
            return false;
        const SkeletonGraph::Node& here = node(n);
        const Point from{here.x, here.y};
        const double heading = std::max(8.0, 2.0 * widthAt(n));
        Point d[2];
        int found = 0;
        for (int branch : here.edges) {
            if (branch == e)
                continue;
            const SkeletonGraph::Edge& b = edge(branch);
            if (b.from == b.to || found == 2)
                return false;
            d[found++] = branchDirection(from, b, b.from == n ? 0 : 1, heading);
        }
        if (found != 2 || straightness(d[0], d[1]) < std::cos(m_options.joinAngle * kPi / 180.0))
            return false;
        // Along the line: the mean of its two directions, one turned round.
        const double ax = d[0].x - d[1].x, ay = d[0].y - d[1].y, length = norm(ax, ay);
        if (length <= 0)
            return false;
        // The other junction lies clear of the line's ink (more than a
        // pixel past its edge), about square to it: a fork of the line's
        // own crossing, or of a stroke meeting it at a shallow angle, lies
        // in the line's ink or along it.
        const SkeletonGraph::Node& there = node(other);
        const double vx = there.x - here.x, vy = there.y - here.y, apart = norm(vx, vy);
        const double off = std::abs(vx * ay - vy * ax) / length;
        return off > 0.5 * widthAt(n) + 2.0 && off >= 0.85 * apart;
    }

    /// Whether the junctions at the two ends of a longer edge are the two
    /// forks thinning makes of a shallow crossing: each has two other
    /// branches that leave it onwards, away from the other fork (not
    /// sideways, as the posts of an H leave its bar), and seen from the
    /// edge's middle each branch at one end goes straight on into a branch
    /// at the other. Where the edge is a piece of one of the two lines (a
    /// branch at each fork goes straight on from it), the other line's
    /// branch may leave more steeply: thinning bends a thin line's last
    /// pixels towards the fork, so that at a 45 degree crossing they leave
    /// it at 60 or 70 degrees from onwards.
    bool crossingApart(int e, double width)
    {
        // Onwards: within 60 degrees of straight on; a post of an H is 90.
        // Beside a piece of a line, within 75 degrees.
        constexpr double kOnwards = 0.5;
        constexpr double kAcross = 0.26;
        const SkeletonGraph::Edge& ed = edge(e);
        const double length = double(ed.pixels.size());
        if (length >= 20.0 * width || degree(ed.from) != 3 || degree(ed.to) != 3)
            return false;
        const double limit = std::cos(m_options.joinAngle * kPi / 180.0);
        const double reach = std::max(3.0, 1.5 * width);
        Point middle{(node(ed.from).x + node(ed.to).x) / 2, (node(ed.from).y + node(ed.to).y) / 2};
        Point at[2][2];
        for (int end = 0; end < 2; ++end) {
            const int n = end == 0 ? ed.from : ed.to;
            const Point fork{node(n).x, node(n).y};
            const Point inwards = branchDirection(fork, ed, end, reach);
            int found = 0;
            double onwards[2] = {0, 0};
            for (int other : node(n).edges) {
                if (other == e || found == 2)
                    continue;
                const SkeletonGraph::Edge& branch = edge(other);
                if (branch.from == branch.to)
                    return false;
                const int side = branch.from == n ? 0 : 1;
                onwards[found] = straightness(inwards, branchDirection(fork, branch, side, reach));
                at[end][found++] = branchDirection(middle, branch, side, length / 2 + reach);
            }
            if (found != 2)
                return false;
            const double most = std::max(onwards[0], onwards[1]), least = std::min(onwards[0], onwards[1]);
            if (least < kOnwards && !(most >= limit && least >= kAcross))
                return false;
        }
        auto pairs = [&](int i, int j) { return straightness(at[0][i], at[1][j]) >= limit; };
        return (pairs(0, 0) && pairs(1, 1)) || (pairs(0, 1) && pairs(1, 0));
    }

    /// A junction left with two branches is no junction: its branches
    /// become one edge through its point.
    bool dissolvePassThroughs()
    {
        bool changed = false;
        for (std::size_t n = 0; n < m_g.nodes.size(); ++n) {
            SkeletonGraph::Node& junction = m_g.nodes[n];
            if (!junction.alive || junction.kind != Kind::Junction || junction.edges.size() != 2)
                continue;
            const int e1 = junction.edges[0], e2 = junction.edges[1];
            const SkeletonPixel middle{std::int32_t(std::lround(junction.x)), std::int32_t(std::lround(junction.y))};
            if (e1 == e2) {
                // A loop through this junction only: a ring.
                SkeletonGraph::Edge& ring = edge(e1);
                ring.pixels.insert(ring.pixels.begin(), middle);
                ring.from = ring.to = -1;
                junction.edges.clear();
                junction.alive = false;
                changed = true;
                continue;
            }
            SkeletonGraph::Edge& first = edge(e1);
            SkeletonGraph::Edge& second = edge(e2);
            // first runs into the junction, second out of it.
            if (first.to != int(n)) {
                std::reverse(first.pixels.begin(), first.pixels.end());
                std::swap(first.from, first.to);
            }
            if (second.from != int(n)) {
                std::reverse(second.pixels.begin(), second.pixels.end());
                std::swap(second.from, second.to);
            }
            first.pixels.push_back(middle);
            first.pixels.insert(first.pixels.end(), second.pixels.begin(), second.pixels.end());
            first.to = second.to;
            second.alive = false;
            auto& farEdges = node(second.to).edges;
            std::replace(farEdges.begin(), farEdges.end(), e2, e1);
            junction.edges.clear();
            junction.alive = false;
            changed = true;
        }
        return changed;
    }

    /// Two strokes crossing at a shallow angle run together over tens of
    /// pixels, and thinning leaves one path for both: two forks joined by
    /// an edge longer than one place, each with two other branches. Where
    /// the four branches make two straight lines that cross along that
    /// edge, each line goes through it: the edge is doubled, one copy for
    /// each line, and its branches are paired across it.
    void shareCrossings()
    {
        const std::size_t edgeCount = m_g.edges.size();
        for (std::size_t e = 0; e < edgeCount; ++e) {
            int a, b, c, d;
            Point lines[2][2]; // a point and the direction of each line
            if (!crossingAlong(int(e), a, b, c, d, lines))
                continue;
            const int j1 = edge(int(e)).from, j2 = edge(int(e)).to;
            SkeletonGraph::Edge twin(edge(int(e)).pixels.get_allocator().resource());
            twin.pixels = edge(int(e)).pixels;
            twin.from = j1;
            twin.to = j2;
            // The shared pixels lie between the two strokes' centres: each
            // copy goes onto its own line.
            ontoLine(edge(int(e)).pixels, lines[0][0], lines[0][1], m_g.width, m_g.height);
            ontoLine(twin.pixels, lines[1][0], lines[1][1], m_g.width, m_g.height);
            m_crossed.push_back(j1);
            m_crossed.push_back(j2);
            const int t = int(m_g.edges.size());
            m_g.edges.push_back(std::move(twin));
            node(j1).edges.push_back(t);
            node(j2).edges.push_back(t);
            const auto port = [&](int branch, int at) { return 2 * branch + (edge(branch).from == at ? 0 : 1); };
            m_through.push_back({port(a, j1), 2 * int(e)});
            m_through.push_back({2 * int(e) + 1, port(c, j2)});
            m_through.push_back({port(b, j1), 2 * t});
            m_through.push_back({2 * t + 1, port(d, j2)});
        }
    }

    /// Whether edge e joins two forks of a shallow crossing: its junctions
    /// J1 (from) and J2 (to) each have two other branches, a and b at J1,
    /// c and d at J2, all four distinct and none a ring; the line through
    /// the points a stroke width or two out along a and c and the line
    /// through those of b and d cross, at no more than the joining angle;
    /// both run along the edge within half a stroke and a pixel of every
    /// pixel of it (two strokes' ink runs together only so far: a T, a Y
    /// or a V fails this); and each line's nearer and farther points lie
    /// on it too (straight strokes, not a turn into the edge, nor forks at
    /// both ends of a bar). The joining angle bounds the crossing's angle
    /// only loosely: an edge longer than one place along both lines within
    /// half a stroke is itself the tighter bound, about the stroke's width
    /// over the edge's length.
    bool crossingAlong(int e, int& a, int& b, int& c, int& d, Point (&lines)[2][2])
    {
        const SkeletonGraph::Edge& ed = edge(e);
        if (!ed.alive || ed.ring() || ed.from == ed.to)
            return false;
        const int j1 = ed.from, j2 = ed.to;
        if (node(j1).kind != Kind::Junction || node(j2).kind != Kind::Junction || degree(j1) != 3 || degree(j2) != 3)
            return false;
        int at1[2], at2[2], found1 = 0, found2 = 0;
        for (int other : node(j1).edges)
            if (other != e && found1 < 2)
                at1[found1++] = other;
        for (int other : node(j2).edges)
            if (other != e && found2 < 2)
                at2[found2++] = other;
        if (found1 != 2 || found2 != 2)
            return false;
        for (int branch : {at1[0], at1[1], at2[0], at2[1]}) {
            const SkeletonGraph::Edge& o = edge(branch);
            // A ring, or a second edge between the two forks.
            if (o.from == o.to || ((o.from == j1 || o.to == j1) && (o.from == j2 || o.to == j2)))
                return false;
        }
        if (at1[0] == at1[1] || at2[0] == at2[1])
            return false;
        const double width = std::max(widthAt(j1), widthAt(j2));
        // Shorter edges are one place with their junctions, or kept apart
        // for a reason of their own (a stroke beside the line).
        if (double(ed.pixels.size()) < std::max(4.0, std::min(widthAt(j1), widthAt(j2))))
            return false;
        const double nearReach = std::max(3.0, 1.5 * width), farReach = std::max(8.0, 2.0 * width);
        const double tolerance = 0.5 * width + 1.0;
        const auto side = [&](int branch, int at) { return edge(branch).from == at ? 0 : 1; };
        Point nearP[2][2], farP[2][2];
        for (int k = 0; k < 2; ++k) {
            nearP[0][k] = farPointOf(m_g, j1, at1[k], side(at1[k], j1), nearReach);
            farP[0][k] = farPointOf(m_g, j1, at1[k], side(at1[k], j1), farReach);
            nearP[1][k] = farPointOf(m_g, j2, at2[k], side(at2[k], j2), nearReach);
            farP[1][k] = farPointOf(m_g, j2, at2[k], side(at2[k], j2), farReach);
        }
        // Both lines go on past the forks: branches that end close by (the
        // serifs of an I) cross nothing.
        for (int k = 0; k < 2; ++k)
            if (norm(farP[0][k].x - node(j1).x, farP[0][k].y - node(j1).y) < farReach - 1.0 ||
                norm(farP[1][k].x - node(j2).x, farP[1][k].y - node(j2).y) < farReach - 1.0)
                return false;
        // Which branch at J2 continues a: the pairing whose lines cross.
        for (int k = 0; k < 2; ++k) {
            const Point pa = farP[0][0], pc = farP[1][k], pb = farP[0][1], pd = farP[1][1 - k];
            if (!segmentsCross(pa, pc, pb, pd))
                continue;
            const Point u = unit(pa, pc), v = unit(pb, pd);
            if (std::abs(u.x * v.x + u.y * v.y) < std::cos(m_options.joinAngle * kPi / 180.0))
                return false;
            const auto off = [](Point p, Point from, Point dir) { return std::abs((p.x - from.x) * dir.y - (p.y - from.y) * dir.x); };
            if (off(nearP[0][0], pa, u) > tolerance || off(nearP[1][k], pa, u) > tolerance ||
                off(nearP[0][1], pb, v) > tolerance || off(nearP[1][1 - k], pb, v) > tolerance)
                return false;
            for (SkeletonPixel p : ed.pixels) {
                const Point q{double(p.x), double(p.y)};
                if (off(q, pa, u) > tolerance || off(q, pb, v) > tolerance)
                    return false;
            }
            // Two strokes share ink only while their centre lines are no
            // farther apart than their half widths together: over the edge,
            // at the angle their lines cross at farther out (half the
            // edge's length on), they part by no more than two strokes as
            // wide as the forks' ink (and a pixel each). Forks that spread
            // from both ends of a long bar part by far more, though near
            // the bar they look the same.
            const double fartherReach = std::max(farReach, 0.5 * double(ed.pixels.size()));
            const auto farther = [&](int branch, int at) { return farPointOf(m_g, at, branch, side(branch, at), fartherReach); };
            const Point u2 = unit(farther(at1[0], j1), farther(at2[k], j2));
            const Point v2 = unit(farther(at1[1], j1), farther(at2[1 - k], j2));
            if (double(ed.pixels.size()) * std::abs(u2.x * v2.y - u2.y * v2.x) > 2.0 * width + 2.0)
                return false;
            lines[0][0] = pa;
            lines[0][1] = u;
            lines[1][0] = pb;
            lines[1][1] = v;
            a = at1[0];
            b = at1[1];
            c = at2[k];
            d = at2[1 - k];
            return true;
        }
        return false;
    }

    /// Moves each pixel to the nearest pixel on the line through `at` in
    /// the unit direction `dir`, never off the image; a pixel that lands
    /// where the one before it did goes.
    static void ontoLine(std::pmr::vector<SkeletonPixel>& pixels, Point at, Point dir, int width, int height)
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const double along = (pixels[i].x - at.x) * dir.x + (pixels[i].y - at.y) * dir.y;
            const SkeletonPixel p{std::clamp(std::int32_t(std::lround(at.x + along * dir.x)), 0, std::max(0, width - 1)),
                                  std::clamp(std::int32_t(std::lround(at.y + along * dir.y)), 0, std::max(0, height - 1))};
            if (kept > 0 && pixels[kept - 1].x == p.x && pixels[kept - 1].y == p.y)
                continue;
            pixels[kept++] = p;
        }
        pixels.resize(kept);
    }

    SkeletonGraph& m_g;
    const CleanTraceOptions& m_options;
    std::vector<double> m_width; ///< by node: its stroke width, or -1 until asked
    std::vector<std::pair<int, int>> m_through;
    std::vector<int> m_crossed;
};

/// Room simplification keeps from line to line.
struct SimplifyRoom {
    std::vector<bool> kept;
    std::vector<std::pair<int, int>> spans;
};

/// SimplifyWithinTolerance in the room given; `keep` is left changed.
void simplify(PointList& points, std::vector<bool>& keep, const CleanTraceOptions& options, SimplifyRoom& room);

/// The points in use of `points`, in arrays just large enough.
PointList exactCopy(const PointList& points)
{
    PointList copy(std::max(1, points.count));
    for (int i = 0; i < points.count; ++i)
        copy.append(points.x[std::size_t(i)], points.y[std::size_t(i)]);
    return copy;
}

/// Notes where a line starts in reading order, from the pixels it was
/// traced from (its vertices before they are simplified) and, when the
/// options keep them, keeps a copy of those pixels.
void noteSource(CleanLine& line, bool keepSource)
{
    line.topY = line.points.y[0];
    line.topX = line.points.x[0];
    for (int i = 1; i < line.points.count; ++i) {
        const double y = line.points.y[std::size_t(i)], x = line.points.x[std::size_t(i)];
        if (y < line.topY || (y == line.topY && x < line.topX)) {
            line.topY = y;
            line.topX = x;
        }
    }
    if (keepSource)
        line.source = exactCopy(line.points);
}

/// Lets go of the room a finished line's vertices outgrew.
void settle(CleanLine& line)
{
    const std::size_t used = std::size_t(std::max(1, line.points.count));
    line.points.x.resize(used);
    line.points.y.resize(used);
    line.points.x.shrink_to_fit();
    line.points.y.shrink_to_fit();
}

/// Builds lines from the cleaned graph: pairs branches at junctions and
/// walks each line from end to end.
class LineAssembler {
public:
    LineAssembler(SkeletonGraph& graph, const CleanTraceOptions& options, const GraphCleaner& cleaner)
        : m_g(graph), m_options(options), m_cleaner(cleaner), m_partner(2 * graph.edges.size(), -1),
          m_used(graph.edges.size(), false)
    {
        m_crossedFork.assign(graph.nodes.size(), false);
        m_spreadCrossing.assign(graph.nodes.size(), false);
        for (int fork : cleaner.crossedForks())
            m_crossedFork[std::size_t(fork)] = true;
        m_point.reserve(graph.nodes.size());
        for (const SkeletonGraph::Node& n : graph.nodes)
            m_point.push_back({n.x, n.y});
    }

    void pairBranches()
    {
        const double limit = std::cos(m_options.joinAngle * kPi / 180.0);
        struct Pair {
            bool stub;           // one of the two branches ends close by
            double straightness; // cosine of the turn: 1 goes straight on
            int a, b;
        };
        for (const auto& [p, q] : m_cleaner.throughPairs())
            join(p, q);
        pairAcrossRings(limit);
        std::vector<Pair> pairs;
        std::vector<int> ports;
        std::vector<Point> directions, far;
        std::vector<bool> stubs;
        std::vector<double> reached;
        for (std::size_t n = 0; n < m_g.nodes.size(); ++n) {
            const SkeletonGraph::Node& junction = m_g.nodes[n];
            if (!junction.alive || junction.kind != Kind::Junction || junction.edges.size() < 3)
                continue;
            ports.clear();
            directions.clear();
            far.clear();
            stubs.clear();
            reached.clear();
            // Where a line goes on is judged from farther away than where it
            // runs through the junction: a few pixels from the junction, the
            // steps of a thin line's pixels swing its direction by tens of
            // degrees, and a curve bends away from its chord farther out.
            const double width = m_cleaner.widthAt(junction);
            const double reach = std::max(3.0, 1.5 * width) + junction.spread;
            const double heading = std::max(8.0, 2.0 * width) + junction.spread;
            for (std::size_t i = 0; i < junction.edges.size(); ++i) {
                const int e = junction.edges[i];
                const SkeletonGraph::Edge& ed = m_g.edges[std::size_t(e)];
                // A loop edge is two ports: its start, then its end.
                const bool second = ed.from == ed.to && std::count(junction.edges.begin(), junction.edges.begin() + long(i), e) > 0;
                const int side = (ed.from == int(n) && !second) ? 0 : 1;
                ports.push_back(2 * e + side);
                far.push_back(farPoint(int(n), e, side, reach));
                const Point ahead = farPoint(int(n), e, side, heading);
                directions.push_back(unit({junction.x, junction.y}, ahead));
                stubs.push_back(norm(ahead.x - junction.x, ahead.y - junction.y) < heading - 1.0);
                reached.push_back(norm(ahead.x - junction.x, ahead.y - junction.y));
            }
            pairs.clear();
            for (std::size_t i = 0; i < ports.size(); ++i)
                for (std::size_t j = i + 1; j < ports.size(); ++j) {
                    const double straight = straightness(directions[i], directions[j]);
                    if (straight >= limit)
                        pairs.push_back({stubs[i] || stubs[j], straight, ports[i], ports[j]});
                }
            if (const auto [first, second] = shortBarAcross(junction, far, directions, stubs, width); first >= 0)
                pairs.push_back({false, 2.0, ports[std::size_t(first)], ports[std::size_t(second)]});
            // Branches that go on pair first: a line carries on into a
            // branch that ends a few pixels on (the tail of a stroke past a
            // crossing) only when no branch that goes on continues it.
            std::sort(pairs.begin(), pairs.end(), [](const Pair& p, const Pair& q) {
                return p.stub != q.stub ? q.stub : p.straightness > q.straightness;
            });
            std::vector<std::pair<Point, Point>> chords;
            for (const Pair& p : pairs) {
                if (m_partner[std::size_t(p.a)] < 0 && m_partner[std::size_t(p.b)] < 0 && p.a / 2 != p.b / 2) {
                    join(p.a, p.b);
                    const auto at = [&](int port) { return far[std::size_t(std::find(ports.begin(), ports.end(), port) - ports.begin())]; };
                    chords.push_back({at(p.a), at(p.b)});
                }
            }
            placeOnThroughLines(n, chords, std::max(1.5, 0.5 * width));
            // Two lines crossing at one junction, each branch going on past
            // the widened blob (see pixelsInside): where thinning merged the
            // two forks of a shallow crossing into it, the branches bend
            // towards the forks for as far as the forks lay from its point.
            if (junction.edges.size() == 4 && chords.size() == 2 && junction.spread > 0 && m_options.ink &&
                segmentsCross(chords[0].first, chords[0].second, chords[1].first, chords[1].second)) {
                const Point at = m_point[n];
                const double blob = m_options.ink->radiusAt(at.x, at.y) + 1.5 + junction.spread;
                m_spreadCrossing[n] = std::all_of(reached.begin(), reached.end(), [&](double r) { return r >= blob + 2.0; });
            }
        }
        joinAcrossLines();
    }

    /// A short bar across the end of a stroke (the serif of an I, the top
    /// of a small T, the plate of a capacitor): thinning pulls the junction
    /// in towards the stroke, and the bar's two halves leave it bent, too
    /// far from straight to pair by their directions. Where two branches
    /// end close by on either side of the third, which goes on, and the
    /// line between their ends runs across the third and close by the
    /// junction, the halves are one bar. Returns the two halves' indices
    /// among the junction's branches, or -1 for both.
    static std::pair<int, int> shortBarAcross(const SkeletonGraph::Node& junction, const std::vector<Point>& far,
                                              const std::vector<Point>& directions, const std::vector<bool>& stubs,
                                              double width)
    {
        constexpr std::pair<int, int> kNone{-1, -1};
        if (stubs.size() != 3)
            return kNone;
        int stem = -1, halves[2] = {-1, -1}, found = 0;
        for (int i = 0; i < 3; ++i) {
            if (!stubs[std::size_t(i)]) {
                if (stem >= 0)
                    return kNone;
                stem = i;
            } else {
                if (found == 2)
                    return kNone; // three short branches: no stroke to stand on
                halves[found++] = i;
            }
        }
        if (stem < 0)
            return kNone;
        const Point a = far[std::size_t(halves[0])], b = far[std::size_t(halves[1])], d = directions[std::size_t(stem)];
        const double length = norm(b.x - a.x, b.y - a.y);
        if (length < 2.0)
            return kNone;
        const Point u{(b.x - a.x) / length, (b.y - a.y) / length};
        const double across = std::abs(d.x * u.x + d.y * u.y);
        const double off = std::abs((junction.x - a.x) * u.y - (junction.y - a.y) * u.x);
        const double sideA = d.x * (a.y - junction.y) - d.y * (a.x - junction.x);
        const double sideB = d.x * (b.y - junction.y) - d.y * (b.x - junction.x);
        if (across > std::cos(60.0 * kPi / 180.0) || off > 0.5 * width + 1.5 || sideA * sideB >= 0)
            return kNone;
        return {halves[0], halves[1]};
    }

    /// A line crossing another at a slant often reaches the other's centre
    /// pixels a little before it leaves them again: thinning leaves two
    /// forks a few pixels apart along the other line, one branch coming in
    /// at one, one going on from the other on the far side. The other line
    /// runs on through both forks, and each half of the crossing line ends
    /// at its own (two such forks alone are one junction by now; these
    /// are kept apart by a third stroke meeting there). Such halves are
    /// joined across the other line when
    /// neither continues anything else there, both go on for a stroke's
    /// width or two, they lie on opposite sides of the path between the
    /// forks and the line from one to the other crosses it, they go
    /// straight on into each other seen from the path's middle, and the
    /// forks lie no farther apart than two stroke widths and two pixels.
    /// The joined line runs straight from one half to the other, clear of
    /// both forks' points (which lie on the other line).
    void joinAcrossLines()
    {
        const double limit = std::cos(m_options.joinAngle * kPi / 180.0);
        const std::size_t edgeCount = m_g.edges.size();
        for (std::size_t e = 0; e < edgeCount; ++e) {
            const SkeletonGraph::Edge& path = m_g.edges[e];
            if (!betweenTwoJunctions(path))
                continue;
            const int j1 = path.from, j2 = path.to;
            // The other line runs through the path from one fork to the next.
            if (m_partner[2 * e] < 0 || m_partner[2 * e + 1] < 0)
                continue;
            const Point p1 = m_point[std::size_t(j1)], p2 = m_point[std::size_t(j2)];
            const double apart = norm(p2.x - p1.x, p2.y - p1.y);
            const double width = std::max(m_cleaner.widthAt(m_g.nodes[std::size_t(j1)]), m_cleaner.widthAt(m_g.nodes[std::size_t(j2)]));
            if (apart < 1.0 || apart > 2.0 * width + 2.0)
                continue;
            const double heading = std::max(8.0, 2.0 * width);
            struct Branch {
                int port;
                Point far;
            };
            constexpr int kMost = 4;
            Branch ends[2][kMost];
            int found[2] = {0, 0};
            for (int end = 0; end < 2; ++end) {
                const int j = end == 0 ? j1 : j2;
                const Point from = m_point[std::size_t(j)];
                for (int other : m_g.nodes[std::size_t(j)].edges) {
                    const SkeletonGraph::Edge& o = m_g.edges[std::size_t(other)];
                    // Another edge between the two forks would close the
                    // joined line on itself.
                    if (other == int(e) || o.from == o.to || found[end] == kMost || (o.from == j1 && o.to == j2) ||
                        (o.from == j2 && o.to == j1))
                        continue;
                    const int side = o.from == j ? 0 : 1;
                    if (m_partner[std::size_t(2 * other + side)] >= 0)
                        continue;
                    const Point ahead = farPoint(j, other, side, heading);
                    if (norm(ahead.x - from.x, ahead.y - from.y) >= heading - 1.0) // goes on
                        ends[end][found[end]++] = {2 * other + side, ahead};
                }
            }
            const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
            const auto turn = [&](Point q) { return (p2.x - p1.x) * (q.y - p1.y) - (p2.y - p1.y) * (q.x - p1.x); };
            double best = limit;
            int bi = -1, bj = -1;
            for (int i = 0; i < found[0]; ++i)
                for (int j = 0; j < found[1]; ++j) {
                    const Point a = ends[0][i].far, b = ends[1][j].far;
                    const double straight = straightness(unit(middle, a), unit(middle, b));
                    if (straight >= best && turn(a) * turn(b) < 0 && crossesBetween(a, b, p1, p2) && slantedEnough(a, b, p1, p2, width)) {
                        best = straight;
                        bi = i;
                        bj = j;
                    }
                }
            if (bi < 0)
                continue;
            // The joined line goes from one fork to the other by an edge of
            // its own with no pixels.
            SkeletonGraph::Edge jump(path.pixels.get_allocator().resource());
            jump.from = j1;
            jump.to = j2;
            const int t = int(m_g.edges.size());
            m_g.edges.push_back(std::move(jump));
            m_g.nodes[std::size_t(j1)].edges.push_back(t);
            m_g.nodes[std::size_t(j2)].edges.push_back(t);
            m_partner.push_back(-1);
            m_partner.push_back(-1);
            m_used.push_back(false);
            m_jump.resize(m_g.edges.size(), false);
            m_jump[std::size_t(t)] = true;
            join(ends[0][bi].port, 2 * t);
            join(2 * t + 1, ends[1][bj].port);
        }
    }

    /// Whether a line from a to b crossing ink `width` wide along the line
    /// from p to q runs along it far enough to part p from q: about the
    /// width over the tangent of the angle between them, and two pixels.
    /// Two strokes that end on a line from either side a few pixels apart
    /// go square across it, and are not one line.
    static bool slantedEnough(Point a, Point b, Point p, Point q, double width)
    {
        const Point u = unit(a, b), v = unit(p, q);
        const double along = std::abs(u.x * v.x + u.y * v.y), across = std::abs(u.x * v.y - u.y * v.x);
        return norm(q.x - p.x, q.y - p.y) * across <= (2.0 * width + 2.0) * along;
    }

    /// Whether the segment from a to b crosses the line through p and q
    /// between them, or within a pixel past either.
    static bool crossesBetween(Point a, Point b, Point p, Point q)
    {
        const double rx = b.x - a.x, ry = b.y - a.y, sx = q.x - p.x, sy = q.y - p.y;
        const double cross = rx * sy - ry * sx, length = norm(sx, sy);
        if (std::abs(cross) < 1e-9 || length <= 0)
            return false;
        const double t = ((p.x - a.x) * sy - (p.y - a.y) * sx) / cross;
        const double u = ((p.x - a.x) * ry - (p.y - a.y) * rx) / cross;
        return t > 0 && t < 1 && u * length >= -1.0 && u * length <= length + 1.0;
    }

    /// Two junctions joined by exactly two short edges (a thin ring of ink
    /// round a small hole, as thinning leaves where a thin line crosses a
    /// thick one) are one place where lines cross: their other branches
    /// are paired with each other as if they met at one junction, and a
    /// line from one junction to the other goes through the edge nearer
    /// its own course (two such lines take one edge each); an edge no line
    /// takes stays a line of its own. Taken only where the hole is no wider
    /// than the wider stroke there and every branch that goes on for a
    /// stroke's width or two pairs as a straight line through the place
    /// (a branch that ends close by may end there): a letter's bowl is
    /// wider than its strokes, and its branches bend away.
    void pairAcrossRings(double limit)
    {
        for (std::size_t e = 0; e < m_g.edges.size(); ++e) {
            const SkeletonGraph::Edge& ed = m_g.edges[e];
            if (!betweenTwoJunctions(ed))
                continue;
            const int j1 = ed.from, j2 = ed.to;
            int ring[2] = {int(e), -1}, between = 0;
            bool loop = false;
            for (int other : m_g.nodes[std::size_t(j1)].edges) {
                const SkeletonGraph::Edge& o = m_g.edges[std::size_t(other)];
                loop = loop || o.from == o.to;
                if ((o.from == j1 && o.to == j2) || (o.from == j2 && o.to == j1)) {
                    ++between;
                    if (other != int(e))
                        ring[1] = other;
                }
            }
            // Each ring once, from its lower edge.
            if (loop || between != 2 || ring[1] < int(e))
                continue;
            const Point p1 = m_point[std::size_t(j1)], p2 = m_point[std::size_t(j2)];
            const double width = std::max(m_cleaner.widthAt(m_g.nodes[std::size_t(j1)]), m_cleaner.widthAt(m_g.nodes[std::size_t(j2)]));
            const SkeletonGraph::Edge& r0 = m_g.edges[std::size_t(ring[0])];
            const SkeletonGraph::Edge& r1 = m_g.edges[std::size_t(ring[1])];
            if (!holeNarrowerThan(r0, r1, width))
                continue;
            const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
            const double apart = norm(p2.x - p1.x, p2.y - p1.y);
            const double heading = std::max(8.0, 2.0 * width) + 0.5 * apart;
            struct Branch {
                int port, node;
                Point far, direction;
                bool stub; // ends close by
            };
            constexpr int kMost = 6;
            Branch branches[kMost];
            int count = 0, at1 = 0;
            bool usable = true;
            for (int j : {j1, j2})
                for (int other : m_g.nodes[std::size_t(j)].edges) {
                    if (other == ring[0] || other == ring[1])
                        continue;
                    const SkeletonGraph::Edge& o = m_g.edges[std::size_t(other)];
                    const int side = o.from == j ? 0 : 1;
                    if (count == kMost || m_partner[std::size_t(2 * other + side)] >= 0) {
                        usable = false;
                        continue;
                    }
                    const Point from = m_point[std::size_t(j)];
                    const Point ahead = farPoint(j, other, side, heading);
                    const bool stub = norm(ahead.x - from.x, ahead.y - from.y) < heading - 1.0;
                    branches[count++] = {2 * other + side, j, ahead, unit(middle, ahead), stub};
                    at1 += j == j1;
                }
            if (!usable || count < 2 || at1 == 0 || at1 == count)
                continue;
            // Branches that go on pair with the straightest one left; a
            // branch that ends close by pairs after them, at its own
            // junction only, or ends there.
            int partner[kMost];
            std::fill(partner, partner + kMost, -1);
            for (int stubs = 0; stubs < 2; ++stubs)
                for (;;) {
                    double best = limit;
                    int bi = -1, bj = -1;
                    for (int i = 0; i < count; ++i)
                        for (int j = i + 1; j < count; ++j) {
                            if (partner[i] >= 0 || partner[j] >= 0 || (branches[i].stub || branches[j].stub) != bool(stubs))
                                continue;
                            if (stubs && branches[i].node != branches[j].node)
                                continue;
                            const double straight = straightness(branches[i].direction, branches[j].direction);
                            if (straight >= best) {
                                best = straight;
                                bi = i;
                                bj = j;
                            }
                        }
                    if (bi < 0)
                        break;
                    partner[bi] = bj;
                    partner[bj] = bi;
                }
            bool whole = true;
            for (int i = 0; i < count; ++i)
                whole = whole && (partner[i] >= 0 || branches[i].stub);
            if (!whole)
                continue;
            // Lines from one junction to the other, and how far each edge
            // lies from each line's course.
            int across[2][2], lines = 0;
            for (int i = 0; i < count; ++i)
                if (partner[i] > i && branches[i].node != branches[partner[i]].node && lines < 2) {
                    across[lines][0] = branches[i].node == j1 ? i : partner[i];
                    across[lines][1] = branches[i].node == j1 ? partner[i] : i;
                    ++lines;
                }
            const auto offCourse = [&](int line, int edgeIndex) {
                const Point a = branches[across[line][0]].far, b = branches[across[line][1]].far;
                const Point u = unit(a, b);
                double sum = 0;
                const SkeletonGraph::Edge& r = m_g.edges[std::size_t(ring[edgeIndex])];
                for (SkeletonPixel p : r.pixels)
                    sum += std::abs((p.x - a.x) * u.y - (p.y - a.y) * u.x);
                return r.pixels.empty() ? 0.0 : sum / double(r.pixels.size());
            };
            int edgeOf[2] = {0, 1};
            if (lines == 1) {
                edgeOf[0] = offCourse(0, 0) <= offCourse(0, 1) ? 0 : 1;
            } else if (lines == 2 && offCourse(0, 1) + offCourse(1, 0) < offCourse(0, 0) + offCourse(1, 1)) {
                edgeOf[0] = 1;
                edgeOf[1] = 0;
            }
            for (int i = 0; i < count; ++i)
                if (partner[i] > i && branches[i].node == branches[partner[i]].node)
                    join(branches[i].port, branches[partner[i]].port);
            for (int line = 0; line < lines; ++line) {
                const int r = ring[edgeOf[line]];
                const SkeletonGraph::Edge& re = m_g.edges[std::size_t(r)];
                const int side1 = re.from == j1 ? 0 : 1;
                join(branches[across[line][0]].port, 2 * r + side1);
                join(2 * r + (1 - side1), branches[across[line][1]].port);
            }
        }
    }

    /// Whether the ring of two edges runs round a hole narrower than
    /// `width` and a pixel: no pixel of either edge lies farther than that
    /// from the other edge; and is short, each edge no longer than a few
    /// widths.
    static bool holeNarrowerThan(const SkeletonGraph::Edge& first, const SkeletonGraph::Edge& second, double width)
    {
        const double most = width + 1.0, longest = 4.0 * width + 4.0;
        if (first.pixels.empty() || second.pixels.empty() || double(first.pixels.size()) > longest ||
            double(second.pixels.size()) > longest)
            return false;
        const auto within = [most](const SkeletonGraph::Edge& from, const SkeletonGraph::Edge& to) {
            for (SkeletonPixel p : from.pixels) {
                double nearest = most + 1.0;
                for (SkeletonPixel q : to.pixels)
                    nearest = std::min(nearest, norm(p.x - q.x, p.y - q.y));
                if (nearest > most)
                    return false;
            }
            return true;
        };
        return within(first, second) && within(second, first);
    }

    /// Where the lines through a junction cross, the junction lies: on the
    /// chord of a line that passes through it (so that a T's stem ends on
    /// the line's centre, not on the middle of the T's blob), or where the
    /// chords of two lines meet. Never farther than `reach` from the mean
    /// of the junction's pixels (about half a stroke: a T's blob is no
    /// further off its line), and never off the image.
    void placeOnThroughLines(std::size_t n, const std::vector<std::pair<Point, Point>>& chords, double reach)
    {
        if (chords.empty())
            return;
        const Point here = m_point[n];
        Point placed = here;
        const auto [a, b] = chords[0];
        const double dx = b.x - a.x, dy = b.y - a.y, lengthSq = dx * dx + dy * dy;
        if (lengthSq <= 0)
            return;
        bool crossed = false;
        if (chords.size() >= 2) {
            const auto [c, d] = chords[1];
            const double ex = d.x - c.x, ey = d.y - c.y;
            const double cross = dx * ey - dy * ex;
            if (std::abs(cross) > 0.2 * std::sqrt(lengthSq * (ex * ex + ey * ey))) {
                const double t = ((c.x - a.x) * ey - (c.y - a.y) * ex) / cross;
                placed = {a.x + t * dx, a.y + t * dy};
                crossed = true;
            }
        }
        if (!crossed) {
            const double t = ((here.x - a.x) * dx + (here.y - a.y) * dy) / lengthSq;
            placed = {a.x + t * dx, a.y + t * dy};
        }
        const bool onImage = placed.x >= 0 && placed.y >= 0 && placed.x <= m_g.width - 1 && placed.y <= m_g.height - 1;
        if (onImage && norm(placed.x - here.x, placed.y - here.y) <= reach)
            m_point[n] = placed;
    }

    template <typename Emit>
    void assemble(Emit emit)
    {
        // Lines with an end: start at every port that continues nowhere.
        for (std::size_t e = 0; e < m_g.edges.size(); ++e) {
            const SkeletonGraph::Edge& ed = m_g.edges[e];
            if (!ed.alive || ed.ring() || m_used[e])
                continue;
            for (int side = 0; side < 2 && !m_used[e]; ++side)
                if (m_partner[2 * e + std::size_t(side)] < 0)
                    emit(walk(int(e), side));
        }
        // What is left closes on itself through junctions; rings close alone.
        for (std::size_t e = 0; e < m_g.edges.size(); ++e) {
            const SkeletonGraph::Edge& ed = m_g.edges[e];
            if (!ed.alive || m_used[e])
                continue;
            if (ed.ring())
                emit(ringLine(ed));
            else
                emit(walk(int(e), 0));
            m_used[e] = true;
        }
        // Dots.
        for (const SkeletonGraph::Node& n : m_g.nodes) {
            // A blob of junction pixels with no branch at all is a dot too.
            if (n.alive && (n.kind == Kind::Dot || (n.kind == Kind::Junction && n.edges.empty()))) {
                CleanLine line;
                line.points.append(n.x, n.y);
                noteSource(line, m_options.keepSource);
                settle(line);
                emit(std::move(line));
            }
        }
    }

private:
    Point farPoint(int n, int e, int side, double reach) const { return farPointOf(m_g, n, e, side, reach); }

    int nodeAt(const SkeletonGraph::Edge& ed, int side) const { return side == 0 ? ed.from : ed.to; }

    bool jump(int e) const { return std::size_t(e) < m_jump.size() && m_jump[std::size_t(e)]; }

    /// Pairs two ports: the line through one goes on through the other.
    void join(int p, int q)
    {
        m_partner[std::size_t(p)] = q;
        m_partner[std::size_t(q)] = p;
    }

    /// Whether the edge joins two different junctions, neither a fork of a
    /// shallow crossing (whose lines are paired already).
    bool betweenTwoJunctions(const SkeletonGraph::Edge& ed) const
    {
        if (!ed.alive || ed.ring() || ed.from == ed.to)
            return false;
        for (int j : {ed.from, ed.to})
            if (m_g.nodes[std::size_t(j)].kind != Kind::Junction || m_crossedFork[std::size_t(j)])
                return false;
        return true;
    }

    bool freeEnd(int node) const
    {
        const SkeletonGraph::Node& n = m_g.nodes[std::size_t(node)];
        return n.kind == Kind::End || n.edges.size() == 1;
    }

    /// The line that leaves edge e by its `side` end: through the edge and
    /// on through every paired junction.
    CleanLine walk(int e, int side)
    {
        CleanLine line;
        // The line is gathered in room kept from line to line.
        line.points = std::move(m_room);
        line.points.count = 0;
        std::vector<bool>& keep = m_keep;
        keep.clear();
        const int startEdge = e, startSide = side;
        const int startNode = nodeAt(m_g.edges[std::size_t(e)], side);
        if (m_g.nodes[std::size_t(startNode)].kind == Kind::Junction && !jump(e)) {
            addPoint(line, keep, m_point[std::size_t(startNode)].x, m_point[std::size_t(startNode)].y, true);
        }
        for (;;) {
            m_used[std::size_t(e)] = true;
            const SkeletonGraph::Edge& ed = m_g.edges[std::size_t(e)];
            const std::size_t count = ed.pixels.size();
            const int exitSide = 1 - side;
            const int exitNode = nodeAt(ed, exitSide);
            // Inside a junction's blob thinning bends the centre pixels
            // towards the other strokes: the line runs straight from the
            // junction's point to the first pixel outside it.
            // A free end keeps its pixel, however near the junction: the
            // line then reaches out to the end cap rather than shrinking to
            // the junction's point.
            // That holds whichever way the edge is walked.
            const bool freeExit = m_g.nodes[std::size_t(exitNode)].kind != Kind::Junction;
            const bool freeStart = m_g.nodes[std::size_t(nodeAt(ed, side))].kind != Kind::Junction;
            const std::size_t first = pixelsInside(ed, side, nodeAt(ed, side), freeExit ? count - 1 : count);
            const std::size_t last =
                count - pixelsInside(ed, exitSide, exitNode, count - first - (freeStart && count > first ? 1 : 0));
            for (std::size_t k = first; k < last; ++k) {
                const SkeletonPixel p = ed.pixels[side == 0 ? k : count - 1 - k];
                addPoint(line, keep, p.x, p.y, false);
            }
            const SkeletonGraph::Node& there = m_g.nodes[std::size_t(exitNode)];
            const int next = m_partner[2 * std::size_t(e) + std::size_t(exitSide)];
            // A line that steps across another between two forks keeps
            // clear of their points, which lie on the other line.
            if (there.kind == Kind::Junction && !m_crossedFork[std::size_t(exitNode)] && !jump(e) &&
                !(next >= 0 && jump(next / 2)))
                addPoint(line, keep, m_point[std::size_t(exitNode)].x, m_point[std::size_t(exitNode)].y, true);
            if (next < 0) {
                line.freeEnds = int(freeEnd(startNode)) + int(freeEnd(exitNode));
                break;
            }
            if (next / 2 == startEdge && next % 2 == startSide) {
                line.closed = true;
                break;
            }
            if (m_used[std::size_t(next / 2)])
                break;
            e = next / 2;
            side = next % 2;
        }
        finish(line, keep);
        return line;
    }

    /// How many pixels of an edge, from its `side` end, lie inside the ink
    /// blob of the junction there (none at a free end), at most `most`.
    /// Where two lines cross at a junction merged from the forks of a
    /// shallow crossing, the blob reaches as far again as the forks lay
    /// from its point: the lines run straight from their own courses, past
    /// the pixels that bend in towards the forks, to where they cross.
    std::size_t pixelsInside(const SkeletonGraph::Edge& ed, int side, int node, std::size_t most) const
    {
        if (node < 0 || m_g.nodes[std::size_t(node)].kind != Kind::Junction || !m_options.ink)
            return 0;
        const Point at = m_point[std::size_t(node)];
        const double reach = m_options.ink->radiusAt(at.x, at.y) + 1.5 +
                             (m_spreadCrossing[std::size_t(node)] ? m_g.nodes[std::size_t(node)].spread : 0.0);
        const std::size_t count = ed.pixels.size();
        std::size_t inside = 0;
        while (inside < most) {
            const SkeletonPixel p = ed.pixels[side == 0 ? inside : count - 1 - inside];
            if (norm(p.x - at.x, p.y - at.y) > reach)
                break;
            ++inside;
        }
        return inside;
    }

    CleanLine ringLine(const SkeletonGraph::Edge& ed)
    {
        CleanLine line;
        line.points = std::move(m_room);
        line.points.count = 0;
        std::vector<bool>& keep = m_keep;
        keep.clear();
        for (SkeletonPixel p : ed.pixels)
            addPoint(line, keep, p.x, p.y, false);
        addPoint(line, keep, ed.pixels.front().x, ed.pixels.front().y, false);
        line.closed = true;
        finish(line, keep);
        return line;
    }

    static void addPoint(CleanLine& line, std::vector<bool>& keep, double x, double y, bool fixed)
    {
        line.points.append(x, y);
        keep.push_back(fixed);
    }

    void finish(CleanLine& line, std::vector<bool>& keep)
    {
        if (!line.closed && m_options.ink && line.points.count >= 2) {
            // Pixels thinning left past an end cap are not centre pixels:
            // the line is measured against its ends as moved.
            extendEnd(line, keep, true);
            extendEnd(line, keep, false);
        }
        noteSource(line, m_options.keepSource);
        simplify(line.points, keep, m_options, m_simplifying);
        // The line keeps just the room its vertices need; the rest is
        // kept for the next line.
        PointList vertices = exactCopy(line.points);
        m_room = std::move(line.points);
        line.points = std::move(vertices);
    }

    /// Puts a free end at the middle of the stroke's end cap: as far inside
    /// the last ink ahead of it as the stroke is deep behind it. Thinning
    /// may stop short of that point (the end is carried out) or, on round
    /// caps, run past it (the end is drawn back).
    void extendEnd(CleanLine& line, std::vector<bool>& keep, bool atStart)
    {
        // Only ends the thinned line stops at, not junction points.
        if (atStart ? keep.front() : keep.back())
            return;
        std::vector<Point>& points = m_ends;
        points.resize(std::size_t(line.points.count));
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = {line.points.x[i], line.points.y[i]};
        std::vector<bool>& fixed = m_fixed;
        fixed = keep;
        if (atStart) {
            std::reverse(points.begin(), points.end());
            std::reverse(fixed.begin(), fixed.end());
        }
        const Point end = points.back();
        const InkMask& ink = *m_options.ink;
        // The stroke's depth a little behind the end, and the direction the
        // line arrives in, from about two stroke widths back.
        std::vector<double>& depths = m_depths;
        depths.clear();
        Point back = end;
        double walked = 0;
        for (std::size_t k = points.size() - 1; k-- > 0;) {
            walked += norm(points[k + 1].x - points[k].x, points[k + 1].y - points[k].y);
            back = points[k];
            if (walked >= 1.0 && walked <= 10.0)
                depths.push_back(ink.radiusAt(back.x, back.y));
            if (walked >= 10.0)
                break;
        }
        const double length = norm(end.x - back.x, end.y - back.y);
        if (length < 1.0 || depths.empty())
            return;
        std::nth_element(depths.begin(), depths.begin() + long(depths.size() / 2), depths.end());
        const double depth = std::max(0.5, depths[depths.size() / 2]);
        const double ux = (end.x - back.x) / length, uy = (end.y - back.y) / length;
        // March to the last ink ahead, half a pixel at a time.
        double last = 0;
        for (double t = 0.5; t <= 2.0 * depth + 3.0; t += 0.5) {
            if (!ink.ink(int(std::lround(end.x + ux * t)), int(std::lround(end.y + uy * t))))
                break;
            last = t;
        }
        // The cap's edge is half a pixel beyond the last ink centre.
        const double move = last + 0.5 - depth;
        if (move >= 0.75) {
            points.push_back({end.x + ux * move, end.y + uy * move});
            fixed.push_back(false);
        } else if (move <= -0.75 && walked > 2.0 * -move + 1.0) {
            // Draw the end back along the line, never past a junction point.
            double cut = -move;
            while (points.size() > 2 && !fixed[points.size() - 2]) {
                const Point a = points[points.size() - 2], b = points.back();
                const double segment = norm(b.x - a.x, b.y - a.y);
                if (segment > cut) {
                    points.back() = {b.x + (a.x - b.x) * cut / segment, b.y + (a.y - b.y) * cut / segment};
                    break;
                }
                cut -= segment;
                points.pop_back();
                fixed.pop_back();
            }
        } else {
            return;
        }
        if (atStart) {
            std::reverse(points.begin(), points.end());
            std::reverse(fixed.begin(), fixed.end());
        }
        line.points.count = 0;
        for (const Point& p : points)
            line.points.append(p.x, p.y);
        std::swap(keep, fixed);
    }

    SkeletonGraph& m_g;
    const CleanTraceOptions& m_options;
    const GraphCleaner& m_cleaner;
    std::vector<int> m_partner; ///< by port (2 * edge + side): the port it continues into
    std::vector<Point> m_point; ///< by node: where its lines meet
    std::vector<bool> m_used;
    std::vector<bool> m_crossedFork; ///< by node: a fork of a shallow crossing
    /// By node: two long lines cross there, its pixels gathered from forks
    /// apart (see pixelsInside).
    std::vector<bool> m_spreadCrossing;
    std::vector<bool> m_jump;        ///< by edge: a line's step across another between two forks
    // Room kept from line to line: the vertices being gathered, which
    // are fixed, an end's points and depths while it is moved, and
    // simplification's own.
    PointList m_room;
    std::vector<bool> m_keep, m_fixed;
    std::vector<Point> m_ends;
    std::vector<double> m_depths;
    SimplifyRoom m_simplifying;
};

/// Groups crowded pixels within a few pixels of each other into regions:
/// a walk over each pixel's neighbours up to 3 pixels away, found by hash.
std::vector<CrowdedRegion> groupCrowdedPixels(const std::vector<SkeletonPixel>& pixels)
{
    constexpr int kNear = 3;
    auto key = [](std::int32_t x, std::int32_t y) { return (std::uint64_t(std::uint32_t(y)) << 32) | std::uint32_t(x); };
    std::unordered_map<std::uint64_t, std::size_t> index;
    index.reserve(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        index.emplace(key(pixels[i].x, pixels[i].y), i);
    std::vector<bool> taken(pixels.size(), false);
    std::vector<std::size_t> stack;
    std::vector<CrowdedRegion> regions;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (taken[i])
            continue;
        taken[i] = true;
        stack.assign(1, i);
        double sumX = 0, sumY = 0;
        std::size_t count = 0;
        while (!stack.empty()) {
            const SkeletonPixel p = pixels[stack.back()];
            stack.pop_back();
            sumX += p.x;
            sumY += p.y;
            ++count;
            for (int dy = -kNear; dy <= kNear; ++dy)
                for (int dx = -kNear; dx <= kNear; ++dx) {
                    const auto found = index.find(key(p.x + dx, p.y + dy));
                    if (found != index.end() && !taken[found->second]) {
                        taken[found->second] = true;
                        stack.push_back(found->second);
                    }
                }
        }
        regions.push_back({sumX / double(count), sumY / double(count), count});
    }
    return regions;
}

/// Douglas-Peucker over [first, last]: marks the vertices to keep. Spans
/// wait on a stack of their own (`spans`, kept from call to call), so a
/// long line cannot run deep.
void reduceSpan(const PointList& points, int first, int last, double tolerance, std::vector<bool>& keep,
                std::vector<std::pair<int, int>>& spans)
{
    spans.assign(1, {first, last});
    const double* xs = points.x.data();
    const double* ys = points.y.data();
    while (!spans.empty()) {
        const auto [from, to] = spans.back();
        spans.pop_back();
        if (to - from < 2)
            continue;
        // The square of each vertex's distance from the chord (the segment,
        // not its line), with what the chord alone decides worked out once.
        const double ax = xs[from], ay = ys[from];
        const double dx = xs[to] - ax, dy = ys[to] - ay;
        const double lengthSq = dx * dx + dy * dy;
        double farthest = -1;
        int at = -1;
        for (int i = from + 1; i < to; ++i) {
            const double px = xs[i] - ax, py = ys[i] - ay;
            const double t = lengthSq > 0 ? std::clamp((px * dx + py * dy) / lengthSq, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            const double d = ex * ex + ey * ey;
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest <= tolerance * tolerance)
            continue;
        keep[std::size_t(at)] = true;
        spans.push_back({from, at});
        spans.push_back({at, to});
    }
}

void simplify(PointList& points, std::vector<bool>& keep, const CleanTraceOptions& options, SimplifyRoom& room)
{
    const int count = points.count;
    if (count < 3)
        return;
    keep.resize(std::size_t(count), false);
    keep.front() = keep.back() = true;
    double budget = std::max(0.0, options.tolerance);
    if (options.smooth) {
        // Each free vertex moves towards the mean of itself and its two
        // neighbours, by no more than its share of the tolerance: half of
        // it when reduction follows, which has the other half.
        const double step = options.reduce ? budget / 2.0 : budget;
        // Each vertex moves from where its neighbours were before they
        // moved: the one behind is remembered as it was.
        double behindX = points.x[0], behindY = points.y[0];
        for (int i = 1; i + 1 < count; ++i) {
            const std::size_t c = std::size_t(i), n = std::size_t(i + 1);
            const double x = points.x[c], y = points.y[c];
            if (!keep[c]) {
                double dx = (behindX + x + points.x[n]) / 3.0 - x;
                double dy = (behindY + y + points.y[n]) / 3.0 - y;
                const double length = std::sqrt(dx * dx + dy * dy);
                if (length > step) {
                    dx *= step / length;
                    dy *= step / length;
                }
                points.x[c] += dx;
                points.y[c] += dy;
            }
            behindX = x;
            behindY = y;
        }
        budget -= step;
    }
    if (!options.reduce)
        return;
    std::vector<bool>& kept = room.kept;
    kept = keep;
    std::vector<std::pair<int, int>>& spans = room.spans;
    int first = 0;
    for (int i = 1; i < count; ++i) {
        if (!keep[std::size_t(i)])
            continue;
        reduceSpan(points, first, i, budget, kept, spans);
        first = i;
    }
    int out = 0;
    for (int i = 0; i < count; ++i) {
        if (!kept[std::size_t(i)])
            continue;
        points.x[std::size_t(out)] = points.x[std::size_t(i)];
        points.y[std::size_t(out)] = points.y[std::size_t(i)];
        ++out;
    }
    points.count = out;
}

} // namespace

void SimplifyWithinTolerance(PointList& points, std::vector<bool> keep, const CleanTraceOptions& options)
{
    SimplifyRoom room;
    simplify(points, keep, options, room);
}

bool CCleanTracer::Run(const CBitmapImage& image, const std::function<bool(int)>& cancelled,
                       const std::function<void(CleanLine&)>& emit)
{
    m_crowded.clear();
    SkeletonGraph graph;
    const int height = std::max(1, image.GetHeight());
    if (!graph.Build(image, [&](int rowsDone) { return cancelled(int(80L * rowsDone / height)); }))
        return false;
    m_crowded = groupCrowdedPixels(graph.crowded);
    graph.crowded.clear();
    if (cancelled(80))
        return false;
    GraphCleaner cleaner(graph, m_options);
    cleaner.clean();
    if (cancelled(85))
        return false;
    LineAssembler assembler(graph, m_options, cleaner);
    assembler.pairBranches();
    if (cancelled(90))
        return false;
    std::vector<CleanLine> lines;
    assembler.assemble([&](CleanLine&& line) { lines.push_back(std::move(line)); });
    // Lines in order of their first pixel, top to bottom, left to right,
    // as the split tracer hands them on: ids then read across the image.
    std::vector<std::size_t> order(lines.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::pair{lines[a].topY, lines[a].topX} < std::pair{lines[b].topY, lines[b].topX};
    });
    for (std::size_t i : order)
        emit(lines[i]);
    return !cancelled(100);
}

} // namespace orvane
