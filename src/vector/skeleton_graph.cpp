// Building the skeleton graph.
#include "vector/skeleton_graph.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"

#include <bit>
#include <new>
#include <unordered_map>

namespace orvane {
namespace {

/// The neighbours of a line pixel (see the header); returns how many.
int neighbours(const InkMask& s, int x, int y, SkeletonPixel* out)
{
    int n = 0;
    const bool north = s.ink(x, y - 1), south = s.ink(x, y + 1), west = s.ink(x - 1, y), east = s.ink(x + 1, y);
    if (north)
        out[n++] = {x, y - 1};
    if (south)
        out[n++] = {x, y + 1};
    if (west)
        out[n++] = {x - 1, y};
    if (east)
        out[n++] = {x + 1, y};
    if (!north && !west && s.ink(x - 1, y - 1))
        out[n++] = {x - 1, y - 1};
    if (!north && !east && s.ink(x + 1, y - 1))
        out[n++] = {x + 1, y - 1};
    if (!south && !west && s.ink(x - 1, y + 1))
        out[n++] = {x - 1, y + 1};
    if (!south && !east && s.ink(x + 1, y + 1))
        out[n++] = {x + 1, y + 1};
    return n;
}

int inkAround(const InkMask& s, int x, int y)
{
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            n += (dx || dy) && s.ink(x + dx, y + dy);
    return n;
}

bool same(SkeletonPixel a, SkeletonPixel b) { return a.x == b.x && a.y == b.y; }

class Builder {
public:
    Builder(SkeletonGraph& graph, InkMask&& lines)
        : m_graph(graph), m_width(lines.width()), m_line(std::move(lines)), m_seen(m_width, m_line.height())
    {
    }

    bool build(const std::function<bool(int)>& cancelled)
    {
        const int height = m_line.height();
        // Junction pixels and the places thinning could not reduce.
        std::vector<SkeletonPixel> junctionPixels;
        SkeletonPixel around[8];
        for (int y = 0; y < height; ++y) {
            if ((y & 255) == 0 && cancelled(y / 2))
                return false;
            forEachInk(m_line, y, [&](int x) {
                if (neighbours(m_line, x, y, around) >= 3) {
                    m_seen.set(x, y, true);
                    junctionPixels.push_back({x, y});
                    // Seven inked neighbours leave at least three sides
                    // inked: only junction pixels can be crowded.
                    if (inkAround(m_line, x, y) >= 7)
                        m_graph.crowded.push_back({x, y});
                }
            });
        }
        // Junctions: touching junction pixels.
        m_nodeOf.reserve(junctionPixels.size());
        std::vector<SkeletonPixel> stack;
        std::vector<std::vector<SkeletonPixel>> members;
        for (SkeletonPixel p : junctionPixels) {
            if (m_nodeOf.count(key(p)))
                continue;
            const int node = int(m_graph.nodes.size());
            m_graph.nodes.push_back({});
            members.emplace_back();
            m_nodeOf[key(p)] = node;
            stack.assign(1, p);
            double sumX = 0, sumY = 0;
            while (!stack.empty()) {
                const SkeletonPixel q = stack.back();
                stack.pop_back();
                members.back().push_back(q);
                sumX += q.x;
                sumY += q.y;
                const int n = neighbours(m_line, q.x, q.y, around);
                for (int i = 0; i < n; ++i) {
                    if (junctionAt(around[i]) && m_nodeOf.emplace(key(around[i]), node).second)
                        stack.push_back(around[i]);
                }
            }
            SkeletonGraph::Node& made = m_graph.nodes[std::size_t(node)];
            made.kind = SkeletonGraph::NodeKind::Junction;
            made.pixels = std::int32_t(members.back().size());
            made.x = sumX / made.pixels;
            made.y = sumY / made.pixels;
        }
        // Edges leaving every junction.
        for (std::size_t node = 0; node < members.size(); ++node) {
            for (SkeletonPixel p : members[node]) {
                const int n = neighbours(m_line, p.x, p.y, around);
                for (int i = 0; i < n; ++i) {
                    if (!m_seen.ink(around[i].x, around[i].y))
                        walk(int(node), p, around[i]);
                }
            }
        }
        // Lines with two free ends, dots, then rings: what is left.
        for (int y = 0; y < height; ++y) {
            if ((y & 255) == 0 && cancelled(height / 2 + y / 2))
                return false;
            forEachInk(m_line, y, [&](int x) {
                if (m_seen.ink(x, y))
                    return;
                const int n = neighbours(m_line, x, y, around);
                if (n == 0) {
                    m_seen.set(x, y, true);
                    addNode(SkeletonGraph::NodeKind::Dot, {x, y});
                } else if (n == 1) {
                    walkFromEnd({x, y});
                }
            });
        }
        for (int y = 0; y < height; ++y) {
            forEachInk(m_line, y, [&](int x) {
                if (!m_seen.ink(x, y))
                    ring({x, y});
            });
        }
        return true;
    }

private:
    template <typename Visit>
    static void forEachInk(const InkMask& mask, int y, Visit visit)
    {
        for (int w = 0; w < mask.wordsPerRow(); ++w) {
            for (std::uint64_t bits = mask.word(y, w); bits; bits &= bits - 1)
                visit(w * 64 + std::countr_zero(bits));
        }
    }

    /// Whether a pixel is a junction pixel. Every junction pixel is marked
    /// seen from the start, and no pixel walked has three neighbours, so
    /// only seen pixels need their neighbours counted.
    bool junctionAt(SkeletonPixel p) const
    {
        SkeletonPixel around[8];
        return m_seen.ink(p.x, p.y) && neighbours(m_line, p.x, p.y, around) >= 3;
    }

    std::uint64_t key(SkeletonPixel p) const { return std::uint64_t(p.y) * std::uint64_t(m_width) + std::uint64_t(p.x); }

    int addNode(SkeletonGraph::NodeKind kind, SkeletonPixel at)
    {
        SkeletonGraph::Node node;
        node.kind = kind;
        node.x = at.x;
        node.y = at.y;
        m_graph.nodes.push_back(std::move(node));
        return int(m_graph.nodes.size()) - 1;
    }

    void addEdge(SkeletonGraph::Edge&& edge)
    {
        const int id = int(m_graph.edges.size());
        if (edge.from >= 0) {
            m_graph.nodes[std::size_t(edge.from)].edges.push_back(id);
            m_graph.nodes[std::size_t(edge.to)].edges.push_back(id);
        }
        m_graph.edges.push_back(std::move(edge));
    }

    /// Follows the pixels from `first` (next to `previous`) until a junction
    /// or a free end, appending them to `edge`, and stores the edge.
    void follow(SkeletonGraph::Edge& edge, SkeletonPixel previous, SkeletonPixel first)
    {
        SkeletonPixel around[8];
        SkeletonPixel current = first;
        for (;;) {
            if (junctionAt(current)) {
                edge.to = m_nodeOf.at(key(current));
                break;
            }
            m_seen.set(current.x, current.y, true);
            edge.pixels.push_back(current);
            const int n = neighbours(m_line, current.x, current.y, around);
            SkeletonPixel next{-1, -1};
            for (int i = 0; i < n; ++i) {
                if (!same(around[i], previous)) {
                    next = around[i];
                    break;
                }
            }
            if (n != 2 || (m_seen.ink(next.x, next.y) && !junctionAt(next))) {
                // A free end (or, on odd ink, a pixel already walked).
                edge.to = addNode(SkeletonGraph::NodeKind::End, current);
                break;
            }
            previous = current;
            current = next;
        }
        addEdge(std::move(edge));
    }

    void walk(int node, SkeletonPixel from, SkeletonPixel first)
    {
        SkeletonGraph::Edge edge;
        edge.from = node;
        follow(edge, from, first);
    }

    void walkFromEnd(SkeletonPixel end)
    {
        SkeletonPixel around[8];
        neighbours(m_line, end.x, end.y, around);
        SkeletonGraph::Edge edge;
        edge.from = addNode(SkeletonGraph::NodeKind::End, end);
        edge.pixels.push_back(end);
        m_seen.set(end.x, end.y, true);
        follow(edge, end, around[0]);
    }

    void ring(SkeletonPixel start)
    {
        SkeletonPixel around[8];
        SkeletonGraph::Edge edge;
        SkeletonPixel previous = start, current = start;
        for (;;) {
            m_seen.set(current.x, current.y, true);
            edge.pixels.push_back(current);
            const int n = neighbours(m_line, current.x, current.y, around);
            SkeletonPixel next{-1, -1};
            for (int i = 0; i < n; ++i) {
                if (!same(around[i], previous) && !m_seen.ink(around[i].x, around[i].y)) {
                    next = around[i];
                    break;
                }
            }
            if (next.x < 0)
                break;
            previous = current;
            current = next;
        }
        addEdge(std::move(edge));
    }

    SkeletonGraph& m_graph;
    int m_width;
    InkMask m_line;     ///< line pixels
    InkMask m_seen;     ///< pixels already in an edge or a node
    std::unordered_map<std::uint64_t, int> m_nodeOf;
};

} // namespace

bool SkeletonGraph::Build(const CBitmapImage& image, const std::function<bool(int)>& cancelled)
{
    nodes.clear();
    edges.clear();
    crowded.clear();
    width = image.GetWidth();
    height = image.GetHeight();
    if (image.IsEmpty() || width <= 0 || height <= 0)
        return true;
    InkMask lines = InkMask::FromImage(image, InkMask::Rule::Black);
    if (lines.empty())
        throw std::bad_alloc();
    Builder builder(*this, std::move(lines));
    return builder.build(cancelled);
}

} // namespace orvane
