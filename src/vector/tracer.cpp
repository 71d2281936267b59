// The raster-to-vector tracer.
#include "vector/tracer.h"

#include "port/port.h"

#include <cassert>
#include <new>

namespace orvane {
namespace {

/// 1 when the node is an end made by end_line (front self-link: leave it by
/// its back links), 2 when made by start_line (back self-link: leave it by
/// its front links), 0 for any other node.
int end_kind(const TraceNode* node)
{
    if (node->front == node)
        return 1;
    if (node->back == node)
        return 2;
    return 0;
}

} // namespace

TraceNode* TraceNodePool::allocate()
{
    TraceNode* node = m_free;
    if (node) {
        m_free = node->front;
    } else {
        if (m_used == kBlockSize) {
            m_blocks.push_back(std::make_unique<TraceNode[]>(kBlockSize));
            m_used = 0;
        }
        node = &m_blocks.back()[m_used++];
    }
    *node = TraceNode{};
    ++m_live;
    return node;
}

void TraceNodePool::release(TraceNode* node)
{
    assert(m_live > 0 && "a node released twice");
    node->back = nullptr;
    node->front = m_free;
    m_free = node;
    --m_live;
}

void TraceNodePool::clear()
{
    m_blocks.clear();
    m_free = nullptr;
    m_used = kBlockSize;
    m_live = 0;
}

int CTracer::begin(int width)
{
    end();
    try {
        m_columns.assign(std::size_t(width) + 1, ColumnSlots{});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    v_list = m_columns.data();
    h_ptr = nullptr;
    return 1;
}

std::size_t CTracer::end()
{
    const std::size_t unwritten = m_pool.liveNodes();
    m_pool.clear();
    m_columns = {};
    v_list = nullptr;
    h_ptr = nullptr;
    return unwritten;
}

int CTracer::count_neighbours(const std::uint8_t* previous, const std::uint8_t* current, const std::uint8_t* next,
                              int column)
{
    NW = previous[column - 1] != 0;
    N = previous[column] != 0;
    NE = previous[column + 1] != 0;
    W = current[column - 1] != 0;
    E = current[column + 1] != 0;
    SW = next[column - 1] != 0;
    S = next[column] != 0;
    SE = next[column + 1] != 0;
    return NW + N + NE + W + E + SW + S + SE;
}

int CTracer::process_pixel(int count)
{
    switch (count) {
    case 0: return 1;
    case 1: endingPixel(); return 1;
    case 2: linePixel(); return 1;
    case 3:
    case 4:
    case 5:
    case 6: junction(); return 1;
    default:
        ShowMessageBox(m_port, MessageButtons::Ok,
                       "Crowded pixel. %d neighbours found at (X %d,Y %d).\n"
                       "Image is not thinned properly.\n"
                       "Please run Image-Thinning function.\n",
                       count, nCol, row);
        return 0;
    }
}

// ---- chain primitives --------------------------------------------------

TraceNode* CTracer::new_node()
{
    TraceNode* node = m_pool.allocate();
    place(node);
    return node;
}

void CTracer::place(TraceNode* node) const
{
    node->x = nCol - 1;
    node->y = row - 1;
}

TraceNode* CTracer::start_line(int kind)
{
    TraceNode* end = new_node();
    TraceNode* tip = new_node();
    end->back = end;
    end->front = tip;
    end->kind = kind;
    tip->back = end;
    return tip;
}

void CTracer::end_line(TraceNode* tip, int kind)
{
    if (!tip)
        return; // a consistent thin image never leaves the slot empty
    place(tip);
    tip->front = tip;
    tip->kind = kind;
    VecWriteLine(tip);
}

void CTracer::join_lines(TraceNode* p, TraceNode* q)
{
    if (!p || !q || p == q)
        return;
    place(p);
    if (p->front) {
        warn("join_lines: p front pointer not NULL!");
        return;
    }
    if (q->front) {
        warn("join_lines: q front pointer not NULL!");
        return;
    }
    TraceNode* r = q->back;
    p->front = r;
    if (r) {
        if (r->front == q)
            r->front = p;
        else
            r->back = p;
    }
    m_pool.release(q);
    VecWriteLine(p);
}

void CTracer::extend_lines(TraceNode* p, TraceNode* q)
{
    if (!p) {
        warn("WARNING! extend line:  p is NULL\n");
        p = start_line(1);
    }
    place(p);
    if (p->front) {
        warn("WARNING! extend_lines: p front pointer not NULL!");
        return;
    }
    p->front = q;
    if (q->back) {
        warn("WARNING! extend_lines: q back pointer not NULL!");
        return;
    }
    q->back = p;
}

void CTracer::warn(const char* text) { m_port.showMessage(text, MessageButtons::Ok); }

// ---- walking and writing -----------------------------------------------

TraceNode* CTracer::next_node(TraceNode* n)
{
    if (m_nDirection == 1) {
        TraceNode* m = n->back;
        if (m && m->back == n)
            m_nDirection = 2;
        return m;
    }
    TraceNode* m = n->front;
    if (m && m->front == n)
        m_nDirection = 1;
    return m;
}

CTracer::WalkResult CTracer::walk_chain(TraceNode* start, int direction)
{
    m_nDirection = direction;
    // A chain holds no more nodes than are alive; a longer walk can only go
    // round a cycle that misses the start, which no line can be written from.
    const std::size_t limit = m_pool.liveNodes() + 1;
    TraceNode* n = start;
    for (int steps = 1;; ++steps) {
        n = next_node(n);
        if (n == start)
            return {n, WalkStatus::Loop, steps};
        if (!n || std::size_t(steps) > limit)
            return {n, WalkStatus::Open, steps};
        if (end_kind(n) != 0)
            return {n, WalkStatus::End, steps};
    }
}

void CTracer::VecWriteLine(TraceNode* p)
{
    const int k = end_kind(p);
    if (k != 0) {
        const WalkResult walk = walk_chain(p, k);
        if (walk.status != WalkStatus::Open)
            writeLine(p, k, walk.steps + 1);
        return;
    }
    const WalkResult forward = walk_chain(p, 2);
    if (forward.status == WalkStatus::Open)
        return;
    if (forward.status == WalkStatus::Loop) {
        writeLine(p, 2, forward.steps + 1);
        return;
    }
    const WalkResult backward = walk_chain(p, 1);
    if (backward.status == WalkStatus::Open)
        return;
    if (backward.status == WalkStatus::Loop) {
        warn("VecWriteLine: found half a loop!\n");
        return;
    }
    TraceNode* start = backward.last;
    writeLine(start, end_kind(start), forward.steps + backward.steps + 1);
}

void CTracer::writeLine(TraceNode* start, int direction, int count)
{
    m_points.count = 0;
    m_chain.clear();
    m_nDirection = direction;
    TraceNode* node = start;
    for (int i = 0; i < count; ++i) {
        if (!node)
            return; // the chain broke off: no line
        m_points.append(node->x, node->y);
        m_chain.push_back(node);
        if (i + 1 < count)
            node = next_node(node);
    }
    releaseChain();
    m_sink.StoreTracedLine(m_points);
}

void CTracer::releaseChain()
{
    for (TraceNode* node : m_chain)
        node->dying = true;
    // Nodes outside the chain must not keep links into it.
    for (TraceNode* node : m_chain) {
        for (TraceNode* neighbour : {node->back, node->front}) {
            if (!neighbour || neighbour->dying)
                continue;
            if (neighbour->back == node)
                neighbour->back = nullptr;
            if (neighbour->front == node)
                neighbour->front = nullptr;
        }
    }
    // A closed line visits its first node twice; release each node once.
    for (TraceNode* node : m_chain) {
        if (!node->dying)
            continue;
        node->dying = false;
        m_pool.release(node);
    }
}

// ---- the rules, by neighbour count -------------------------------------

void CTracer::endingPixel()
{
    ColumnSlots& here = v_list[nCol];
    if (W) {
        end_line(h_ptr, 0);
        h_ptr = nullptr;
    } else if (NW) {
        end_line(here.left, 0);
        here.left = nullptr;
    } else if (N) {
        end_line(here.center, 0);
        here.center = nullptr;
    } else if (NE) {
        end_line(here.right, 0);
        here.right = nullptr;
    } else if (E) {
        h_ptr = start_line(0);
    } else if (SE) {
        v_list[nCol + 1].left = start_line(0);
    } else if (S) {
        here.center = start_line(0);
    } else if (SW) {
        v_list[nCol - 1].right = start_line(0);
    }
}

void CTracer::linePixel()
{
    ColumnSlots& here = v_list[nCol];
    TraceNode*& L = here.left;
    TraceNode*& C = here.center;
    TraceNode*& R = here.right;
    if (NW && SE) {
        v_list[nCol + 1].left = L;
        L = nullptr;
    } else if (NE && SW) {
        v_list[nCol - 1].right = R;
        R = nullptr;
    } else if (W && N) {
        join_lines(h_ptr, C);
        C = h_ptr = nullptr;
    } else if (W && NE) {
        join_lines(h_ptr, R);
        R = h_ptr = nullptr;
    } else if (NW && NE) {
        join_lines(L, R);
        L = R = nullptr;
    } else if ((NW && N) || (NE && N)) {
        end_line(C, 1);
        C = nullptr;
    } else if ((NW && W) || (SW && W)) {
        end_line(h_ptr, 1);
        h_ptr = nullptr;
    } else if (NE && E) {
        h_ptr = start_line(1);
    } else if ((N && S) || (W && E)) {
        // The line runs straight through: its tip stays in its slot.
    } else if (W || NW || N || NE) {
        bend();
    } else if (E && SE) {
        h_ptr = start_line(1);
    } else if (S && (SE || SW)) {
        C = start_line(1);
    } else {
        // A line begins in its middle here with two branches: a is the
        // vertex, b and c the tips of the two branches.
        TraceNode* a = new_node();
        TraceNode* b = new_node();
        TraceNode* c = new_node();
        a->front = b;
        a->back = c;
        b->back = a;
        c->back = a;
        if (E && S) {
            h_ptr = b;
            C = c;
        } else if (E && SW) {
            h_ptr = b;
            v_list[nCol - 1].right = c;
        } else {
            v_list[nCol + 1].left = b;
            v_list[nCol - 1].right = c;
        }
    }
}

void CTracer::bend()
{
    ColumnSlots& here = v_list[nCol];
    TraceNode* q = new_node();
    TraceNode** slot;
    const char* emptyWarning;
    if (W) {
        slot = &h_ptr;
        emptyWarning = "Warning! h_ptr is NULL! ";
    } else if (NW) {
        slot = &here.left;
        emptyWarning = "Warning! v_list[nCol].left is NULL!";
    } else if (N) {
        slot = &here.center;
        emptyWarning = "Warning! v_list[nCol].center is NULL!";
    } else {
        slot = &here.right;
        emptyWarning = "Warning! v_list[nCol].right is NULL!";
    }
    if (!*slot)
        warn(emptyWarning);
    extend_lines(*slot, q);
    *slot = nullptr;
    if (E)
        h_ptr = q;
    else if (SE)
        v_list[nCol + 1].left = q;
    else if (S)
        here.center = q;
    else
        v_list[nCol - 1].right = q;
}

void CTracer::junction()
{
    ColumnSlots& here = v_list[nCol];
    if (W) {
        end_line(h_ptr, 1);
        h_ptr = nullptr;
    }
    if (N) {
        end_line(here.center, 1);
        here.center = nullptr;
    }
    if (NW && !W && !N) {
        end_line(here.left, 1);
        here.left = nullptr;
    }
    if (NE && !E && !N) {
        end_line(here.right, 1);
        here.right = nullptr;
    }
    if (E)
        h_ptr = start_line(1);
    if (S)
        here.center = start_line(1);
    if (SE && !E && !S)
        v_list[nCol + 1].left = start_line(1);
    if (SW && !W && !S)
        v_list[nCol - 1].right = start_line(1);
}

} // namespace orvane
