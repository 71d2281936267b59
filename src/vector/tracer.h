// The raster-to-vector tracer: turns a thinned, one-pixel-wide line image
// into polylines in a single top-to-bottom, left-to-right pass.
//
// The tracer never follows a line through the image. For every open line it
// keeps a tip waiting in a slot at the pixel where the line will continue;
// at each ink pixel it decides from the eight neighbours whether lines
// start, end, bend, pass through or meet there. Vertices are made only where
// a line starts, ends, bends or meets a junction. A line is handed on as
// soon as both its ends are known or it closes on itself.
#pragma once

#include "vector/line_store.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane {

class Port;

/// One vertex of an open line. Links of neighbouring nodes need not agree
/// in orientation, so walks keep a direction. An end is a self-link: `back`
/// to itself for an end made when the line started, `front` to itself for
/// one made when it ended.
struct TraceNode {
    TraceNode* back = nullptr;
    TraceNode* front = nullptr;
    std::int32_t y = 0;    ///< row - 1 where the node was last placed
    std::int32_t x = 0;    ///< nCol - 1 there
    std::int32_t kind = 0; ///< for an end: 0 at a pixel of one neighbour, 1 elsewhere
    bool dying = false;    ///< set while the node's line is being released
};

/// The three slots of one column: tips arriving from the row above.
struct ColumnSlots {
    TraceNode* left = nullptr;   ///< from the NW of the column
    TraceNode* right = nullptr;  ///< from the NE
    TraceNode* center = nullptr; ///< from the N
};

/// Receives every finished line. The points belong to the tracer and may be
/// changed in place; they are reused once the call returns.
class TracedLineSink {
public:
    virtual ~TracedLineSink() = default;
    /// Stores one finished line; returns 1.
    virtual int StoreTracedLine(PointList& points) = 0;
};

/// Hands out trace nodes from blocks and takes them back for reuse; every
/// block goes when the pool is cleared or destroyed.
class TraceNodePool {
public:
    TraceNode* allocate();
    void release(TraceNode* node);
    /// Releases every node at once.
    void clear();
    std::size_t liveNodes() const { return m_live; }
    /// Bytes of the blocks held (the high-water mark of the run).
    std::size_t bytesHeld() const { return m_blocks.size() * kBlockSize * sizeof(TraceNode); }

private:
    static constexpr std::size_t kBlockSize = 256;
    std::vector<std::unique_ptr<TraceNode[]>> m_blocks;
    TraceNode* m_free = nullptr; ///< free nodes, chained through `front`
    std::size_t m_used = kBlockSize; ///< nodes handed out of the newest block
    std::size_t m_live = 0;
};

/// The tracer's state for one run over an image `width` pixels wide: the
/// column table, the left slot and the node pool. The caller sets `row`,
/// `nCol` and the neighbour flags (count_neighbours) before process_pixel.
class CTracer {
public:
    CTracer(Port& port, TracedLineSink& sink) : m_port(port), m_sink(sink) {}
    CTracer(const CTracer&) = delete;
    CTracer& operator=(const CTracer&) = delete;

    /// Empties every slot and makes the column table for `width` columns
    /// (width + 1 entries). Returns 1, or 0 when memory runs out.
    int begin(int width);
    /// Releases the column table and every node still held: the nodes of
    /// lines never written. Returns how many nodes that were.
    std::size_t end();

    /// Sets the eight neighbour flags of column nCol from the three window
    /// rows (previous, current, next; each width + 2 cells with a zero
    /// border) and returns how many are set.
    int count_neighbours(const std::uint8_t* previous, const std::uint8_t* current, const std::uint8_t* next,
                         int column);
    /// Applies the tracing rules at the current pixel. Returns 1 to go on, or
    /// 0 (after telling the user) when the pixel has 7 or 8 neighbours.
    int process_pixel(int count);

    std::size_t liveNodes() const { return m_pool.liveNodes(); }
    std::size_t poolBytes() const { return m_pool.bytesHeld(); }
    std::size_t columnTableBytes() const { return m_columns.size() * sizeof(ColumnSlots); }
    /// Bytes of the buffers that hold the line being written.
    std::size_t scratchBytes() const
    {
        return (m_points.x.capacity() + m_points.y.capacity()) * sizeof(double) +
               m_chain.capacity() * sizeof(TraceNode*);
    }

    std::int32_t row = 0;  ///< current image row, 1-based
    std::int32_t nCol = 0; ///< current image column, 1-based
    std::int32_t NW = 0, N = 0, NE = 0, W = 0, E = 0, SW = 0, S = 0, SE = 0;

private:
    enum class WalkStatus { Open, Loop, End };
    struct WalkResult {
        TraceNode* last;
        WalkStatus status;
        int steps;
    };

    TraceNode* new_node();
    void place(TraceNode* node) const;
    TraceNode* start_line(int kind);
    void end_line(TraceNode* tip, int kind);
    void join_lines(TraceNode* p, TraceNode* q);
    void extend_lines(TraceNode* p, TraceNode* q);
    TraceNode* next_node(TraceNode* n);
    WalkResult walk_chain(TraceNode* start, int direction);
    void VecWriteLine(TraceNode* p);
    void writeLine(TraceNode* start, int direction, int count);
    void releaseChain();

    void endingPixel();
    void linePixel();
    void bend();
    void junction();
    void warn(const char* text);

    Port& m_port;
    TracedLineSink& m_sink;
    TraceNodePool m_pool;
    std::vector<ColumnSlots> m_columns; ///< v_list: width + 1 entries
    ColumnSlots* v_list = nullptr;
    TraceNode* h_ptr = nullptr;
    int m_nDirection = 1;             ///< walking direction: 1 follows back, 2 front
    PointList m_points;               ///< the line being written
    std::vector<TraceNode*> m_chain;  ///< its nodes, for release
};

} // namespace orvane
