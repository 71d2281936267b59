// The lines of a thinned image as a graph: where lines meet, where they
// end, and the pixels between.
//
// Two line pixels are neighbours when they touch by a side, or by a corner
// with neither of the two pixels beside that corner inked (a step round a
// corner is then one neighbour, not two). A pixel with three or more
// neighbours is a junction pixel; junction pixels that touch form one
// junction. Every run of pixels between junctions and line ends is an edge;
// a ring of pixels with no junction is an edge of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <vector>

namespace orvane {

class CBitmapImage;

struct SkeletonPixel {
    std::int32_t x = 0; ///< column from 0
    std::int32_t y = 0; ///< row from 0
};

class SkeletonGraph {
public:
    enum class NodeKind : std::uint8_t { Junction, End, Dot };

    struct Node {
        NodeKind kind = NodeKind::End;
        double x = 0, y = 0;     ///< a junction's mean pixel; an end's or dot's pixel
        std::int32_t pixels = 1; ///< pixels of a junction
        /// How far from its point the pixels of a junction lie that later
        /// joined it (the forks of a crossing thinning pulled apart).
        double spread = 0;
        std::vector<int> edges;  ///< incident edges (a loop edge appears twice)
        bool alive = true;
    };

    /// The pixels from the node `from` to the node `to`, in that order,
    /// without junction pixels; an end's pixel is the first or last pixel.
    /// A ring has no nodes (both -1) and its last pixel touches its first.
    struct Edge {
        explicit Edge(std::pmr::memory_resource* room = std::pmr::get_default_resource()) : pixels(room) {}
        int from = -1;
        int to = -1;
        std::pmr::vector<SkeletonPixel> pixels;
        bool alive = true;
        bool ring() const { return from < 0; }
    };

    /// Reads the black pixels of `image` as line pixels and builds the
    /// graph. `cancelled` is asked now and then; the build stops when it
    /// says yes. Returns false when cancelled. Throws std::bad_alloc when
    /// memory runs out.
    bool Build(const CBitmapImage& image, const std::function<bool(int rowsDone)>& cancelled);

private:
    /// Where the edges' pixels live: a block sized for every line pixel,
    /// on large pages, given back whole with the graph (declared before
    /// the edges, so that it outlives them).
    class PixelRoom;
    struct PixelRoomRelease {
        void operator()(PixelRoom* room) const;
    };
    std::unique_ptr<PixelRoom, PixelRoomRelease> m_room;

public:

    int width = 0, height = 0; ///< of the image the graph was built from
    std::vector<Node> nodes;
    std::vector<Edge> edges;
    /// Pixels with seven or eight inked neighbours: ink that thinning could
    /// not reduce to lines.
    std::vector<SkeletonPixel> crowded;
};

} // namespace orvane
