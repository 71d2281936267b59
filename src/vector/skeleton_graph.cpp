// Building the skeleton graph.
#include "vector/skeleton_graph.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"

#include <array>
#include <bit>
#include <new>
#include <unordered_map>

namespace orvane {
namespace {

/// Pixels x - 1, x and x + 1 of row y as bits 0, 1 and 2; none off the
/// mask. x lies on the mask.
unsigned threeAt(const InkMask& s, int x, int y)
{
    if (unsigned(y) >= unsigned(s.height()))
        return 0;
    const int w = x >> 6, b = x & 63;
    const std::uint64_t word = s.word(y, w);
    if (b >= 1 && b <= 62)
        return unsigned(word >> (b - 1)) & 7u;
    if (b == 0)
        return (unsigned(word << 1) & 6u) | (w > 0 ? unsigned(s.word(y, w - 1) >> 63) : 0u);
    return unsigned(word >> 62) | (w + 1 < s.wordsPerRow() ? unsigned(s.word(y, w + 1) & 1u) << 2 : 0u);
}

/// The eight pixels round (x, y) as bits: 0 north-west, 1 north, 2
/// north-east, 3 west, 4 east, 5 south-west, 6 south, 7 south-east.
unsigned ringCode(const InkMask& s, int x, int y)
{
    const int w = x >> 6, b = x & 63;
    if (b >= 1 && b <= 62 && y >= 1 && y + 1 < s.height()) {
        // Away from the edges and from word boundaries: three words.
        const unsigned up = unsigned(s.word(y - 1, w) >> (b - 1)) & 7u;
        const unsigned middle = unsigned(s.word(y, w) >> (b - 1)) & 7u;
        const unsigned down = unsigned(s.word(y + 1, w) >> (b - 1)) & 7u;
        return up | (middle & 1u) << 3 | (middle >> 2) << 4 | down << 5;
    }
    const unsigned middle = threeAt(s, x, y);
    return threeAt(s, x, y - 1) | (middle & 1u) << 3 | (middle >> 2) << 4 | threeAt(s, x, y + 1) << 5;
}

/// For every ring of eight pixels: its neighbours by the rule of the
/// header, in the order north, south, west, east, then the corners
/// north-west, north-east, south-west, south-east; and its inked pixels.
struct Ring {
    std::int8_t count = 0;
    std::int8_t inked = 0;
    std::int8_t dx[8] = {}, dy[8] = {};
};
const std::array<Ring, 256>& rings()
{
    static const std::array<Ring, 256> table = [] {
        std::array<Ring, 256> t{};
        for (unsigned code = 0; code < 256; ++code) {
            Ring& r = t[code];
            const auto at = [code](int bit) { return ((code >> bit) & 1u) != 0; };
            const bool north = at(1), south = at(6), west = at(3), east = at(4);
            const auto add = [&r](int dx, int dy) {
                r.dx[r.count] = std::int8_t(dx);
                r.dy[r.count] = std::int8_t(dy);
                ++r.count;
            };
            if (north)
                add(0, -1);
            if (south)
                add(0, 1);
            if (west)
                add(-1, 0);
            if (east)
                add(1, 0);
            if (!north && !west && at(0))
                add(-1, -1);
            if (!north && !east && at(2))
                add(1, -1);
            if (!south && !west && at(5))
                add(-1, 1);
            if (!south && !east && at(7))
                add(1, 1);
            for (int bit = 0; bit < 8; ++bit)
                r.inked = std::int8_t(r.inked + int(at(bit)));
        }
        return t;
    }();
    return table;
}

/// The neighbours of a line pixel (see the header); returns how many.
int neighbours(const InkMask& s, int x, int y, SkeletonPixel* out)
{
    const Ring& r = rings()[ringCode(s, x, y)];
    for (int i = 0; i < r.count; ++i)
        out[i] = {x + r.dx[i], y + r.dy[i]};
    return r.count;
}

/// Which of the 64 pixels of word w of row y, ink or not, have three or
/// more neighbours by the rule of the header. `here` is the word itself.
std::uint64_t threeOrMore(const InkMask& s, int y, int w, std::uint64_t here)
{
    const int words = s.wordsPerRow();
    // Row yy's pixels shifted so that bit i holds column 64 w + i + dx.
    const auto row = [&](int yy, std::uint64_t& west, std::uint64_t& east) {
        const std::uint64_t c = yy == y ? here : (unsigned(yy) < unsigned(s.height()) ? s.word(yy, w) : 0);
        const bool inside = unsigned(yy) < unsigned(s.height());
        west = (c << 1) | (inside && w > 0 ? s.word(yy, w - 1) >> 63 : 0);
        east = (c >> 1) | (inside && w + 1 < words ? s.word(yy, w + 1) << 63 : 0);
        return c;
    };
    std::uint64_t northWest, northEast, west, east, southWest, southEast;
    const std::uint64_t north = row(y - 1, northWest, northEast);
    row(y, west, east);
    const std::uint64_t south = row(y + 1, southWest, southEast);
    // A corner counts only with neither side beside it inked.
    const std::uint64_t counted[8] = {north, south, west, east, northWest & ~north & ~west, northEast & ~north & ~east,
                                      southWest & ~south & ~west, southEast & ~south & ~east};
    // A count per bit, in two bits and a flag for four or more.
    std::uint64_t ones = 0, twos = 0, fours = 0;
    for (std::uint64_t m : counted) {
        const std::uint64_t carry = ones & m;
        ones ^= m;
        fours |= twos & carry;
        twos ^= carry;
    }
    return fours | (twos & ones);
}

bool same(SkeletonPixel a, SkeletonPixel b) { return a.x == b.x && a.y == b.y; }

class Builder {
public:
    Builder(SkeletonGraph& graph, InkMask&& lines, std::pmr::memory_resource* room)
        : m_graph(graph), m_width(lines.width()), m_line(std::move(lines)), m_seen(m_width, m_line.height()), m_room(room)
    {
    }

    bool build(const std::function<bool(int)>& cancelled)
    {
        const int height = m_line.height();
        // Junction pixels and the places thinning could not reduce, a word
        // at a time.
        std::vector<SkeletonPixel> junctionPixels;
        SkeletonPixel around[8];
        for (int y = 0; y < height; ++y) {
            if ((y & 255) == 0 && cancelled(y / 2))
                return false;
            for (int w = 0; w < m_line.wordsPerRow(); ++w) {
                const std::uint64_t here = m_line.word(y, w);
                if (!here)
                    continue;
                const std::uint64_t junctions = here & threeOrMore(m_line, y, w, here);
                m_seen.setWord(y, w, junctions);
                for (std::uint64_t bits = junctions; bits; bits &= bits - 1) {
                    const int x = w * 64 + std::countr_zero(bits);
                    junctionPixels.push_back({x, y});
                    // Seven inked neighbours leave at least three sides
                    // inked: only junction pixels can be crowded.
                    if (rings()[ringCode(m_line, x, y)].inked >= 7)
                        m_graph.crowded.push_back({x, y});
                }
            }
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
            forEachUnseen(y, [&](int x) {
                const int n = neighbours(m_line, x, y, around);
                if (n == 0) {
                    m_seen.set(x, y, true);
                    addNode(SkeletonGraph::NodeKind::Dot, {x, y});
                } else if (n == 1) {
                    walkFromEnd({x, y});
                }
            });
        }
        for (int y = 0; y < height; ++y)
            forEachUnseen(y, [&](int x) { ring({x, y}); });
        return true;
    }

private:
    /// Visits the line pixels of row y not yet seen, left to right; a
    /// pixel that a visit marks seen is not visited after it.
    template <typename Visit>
    void forEachUnseen(int y, Visit visit)
    {
        for (int w = 0; w < m_line.wordsPerRow(); ++w) {
            std::uint64_t bits = m_line.word(y, w) & ~m_seen.word(y, w);
            while (bits) {
                const int bit = std::countr_zero(bits);
                visit(w * 64 + bit);
                const std::uint64_t later = bit == 63 ? 0 : ~std::uint64_t(0) << (bit + 1);
                bits = m_line.word(y, w) & ~m_seen.word(y, w) & later;
            }
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
        // The pixels gather in a buffer kept from edge to edge; the edge
        // then takes just the room it needs.
        m_path.assign(edge.pixels.begin(), edge.pixels.end());
        for (;;) {
            if (junctionAt(current)) {
                edge.to = m_nodeOf.at(key(current));
                break;
            }
            m_seen.set(current.x, current.y, true);
            m_path.push_back(current);
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
        edge.pixels.assign(m_path.begin(), m_path.end());
        addEdge(std::move(edge));
    }

    void walk(int node, SkeletonPixel from, SkeletonPixel first)
    {
        SkeletonGraph::Edge edge(m_room);
        edge.from = node;
        follow(edge, from, first);
    }

    void walkFromEnd(SkeletonPixel end)
    {
        SkeletonPixel around[8];
        neighbours(m_line, end.x, end.y, around);
        SkeletonGraph::Edge edge(m_room);
        edge.from = addNode(SkeletonGraph::NodeKind::End, end);
        edge.pixels.push_back(end);
        m_seen.set(end.x, end.y, true);
        follow(edge, end, around[0]);
    }

    void ring(SkeletonPixel start)
    {
        SkeletonPixel around[8];
        SkeletonGraph::Edge edge(m_room);
        SkeletonPixel previous = start, current = start;
        m_path.clear();
        for (;;) {
            m_seen.set(current.x, current.y, true);
            m_path.push_back(current);
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
        edge.pixels.assign(m_path.begin(), m_path.end());
        addEdge(std::move(edge));
    }

    SkeletonGraph& m_graph;
    int m_width;
    InkMask m_line;     ///< line pixels
    InkMask m_seen;     ///< pixels already in an edge or a node
    std::unordered_map<std::uint64_t, int> m_nodeOf;
    std::vector<SkeletonPixel> m_path; ///< the pixels of the edge being walked
    std::pmr::memory_resource* m_room; ///< where edges keep their pixels
};

} // namespace

class SkeletonGraph::PixelRoom {
public:
    /// Room for `bytes`: mapped on large pages from a megabyte on, below
    /// that (or when the system will not map it) from the heap.
    explicit PixelRoom(std::size_t bytes)
        : m_bytes(bytes), m_block(bytes >= (std::size_t(1) << 20) ? MapLargePages(m_bytes) : nullptr),
          m_resource(m_block, m_block ? m_bytes : 0, std::pmr::new_delete_resource())
    {
    }
    ~PixelRoom()
    {
        m_resource.release();
        if (m_block)
            UnmapLargePages(m_block, m_bytes);
    }
    PixelRoom(const PixelRoom&) = delete;
    PixelRoom& operator=(const PixelRoom&) = delete;
    std::pmr::memory_resource* resource() { return &m_resource; }

private:
    std::size_t m_bytes;
    void* m_block;
    std::pmr::monotonic_buffer_resource m_resource; ///< from the block, then from the heap
};

void SkeletonGraph::PixelRoomRelease::operator()(PixelRoom* room) const { delete room; }

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
    // Every line pixel lies in one edge, or a junction; joining edges
    // through junctions later takes about as much again.
    m_room.reset(new PixelRoom(2 * lines.inkCount() * sizeof(SkeletonPixel)));
    Builder builder(*this, std::move(lines), m_room->resource());
    return builder.build(cancelled);
}


} // namespace orvane
