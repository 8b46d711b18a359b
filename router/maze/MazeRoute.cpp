// Maze search: the multi-source, multi-target best-first reroute of one
// connection over the 2D grid, with its source/target set-up, trace-back and
// the price of the old path that bounds it.
//
// The open set is a sorted deque plus a Fibonacci heap over the layer-0 cells,
// their records in a pool linked by slot (MazeOpenSet.h); popOpenSet and insertQueues keep the
// same rules for the public pointer-linked pair. Cells are
// never cleared between searches: a cell takes part in the current search only
// when its visit stamp equals the search stamp, and advancing the stamp makes
// every old mark stale at once.

#include <climits>
#include <cstdlib>

#include "database/MemoryBudget.h"
#include "database/Timer.h"
#include "router/heap/CellLinks.h"
#include "router/heap/FibCore.h"
#include "router/core/GlobalRouter.h"

namespace {

inline float keyOf(const fibheap_el* node) { return static_cast<const GridCell*>(node->data)->key; }

// Root of a cell's union-find set, compressing the whole walked chain onto it.
GridCell* findRoot(GridCell* c) {
    GridCell* root = c;
    while (root->ufParent) root = root->ufParent;
    while (c != root) {
        GridCell* next = c->ufParent;
        c->ufParent = root;
        c = next;
    }
    return root;
}

// Manhattan distance from (x, y) to the nearest G-cell of the box, 0 inside.
inline int boxDistance(const BoundingBox& b, int x, int y) {
    int cx = x < b.lower.x ? b.lower.x : (x < b.upper.x ? x : b.upper.x);
    int cy = y < b.lower.y ? b.lower.y : (y < b.upper.y ? y : b.upper.y);
    return std::abs(cy - y) + std::abs(cx - x);
}

}  // namespace

void GlobalRouter::advanceSearchStamp() {
    ++searchStamp;
    if (searchStamp == INT_MAX) {
        searchStamp = 0;
        graph.resetCellInformation();
        for (MazeNode& n : mazeNodes) {
            n.visit = -1;
            n.target = -1;
            n.slot = kNoCell;
        }
    }
}

GridCell* GlobalRouter::popOpenSet() {
    GridCell* c;
    if (heap->min == nullptr) {
        if (queue->head == nullptr) return nullptr;
        c = static_cast<GridCell*>(fh_pop(queue));
    } else if (queue->head == nullptr) {
        c = static_cast<GridCell*>(fh_extractmin(heap));
    } else if (keyOf(heap->min) > keyOf(queue->head)) {
        c = static_cast<GridCell*>(fh_pop(queue));
    } else {
        // Equal keys come from the heap first.
        c = static_cast<GridCell*>(fh_extractmin(heap));
    }
    c->inOpenSet = false;
    return c;
}

float GlobalRouter::PathScore(TwoPin* twoPin, Net&) {
    // Summed from the end of the list towards its front, which is the order in
    // which the search accumulates the cost of a path it found itself, so that
    // such a path prices exactly at the key it was found with.
    const std::vector<RPoint>& path = twoPin->path;
    float score = 0.0f;
    for (size_t i = path.size(); i-- > 0;) {
        const RPoint& s = path[i];
        if (s.hori == 0 || s.hori == 1) score += mapCostAt(s.hori, s.x, s.y);
        if (i + 1 < path.size() && path[i + 1].hori != s.hori) score += bendCost;
    }
    return score;
}

void GlobalRouter::initialTargetSource(TwoPin* twoPin, Net& net, bool single,
                                       std::vector<Point>& sources, std::vector<Point>& targets,
                                       std::vector<GridCell>& cells, BoundingBox& targetBox) {
    // The search state lives in mazeNodes; the union-find links in the cells.
    const int stamp = searchStamp;
    MazeNode* const nodes = mazeNodes.data();
    auto idx = [&](const Point& p) { return static_cast<uint32_t>(graph.cellIdx(p.x, p.y, 0)); };
    auto at = [&](const Point& p) -> GridCell& { return cells[idx(p)]; };
    OpenPool& pool = mazePool;
    auto seed = [&](uint32_t i, int h) {
        MazeNode& c = nodes[i];
        c.parent = kNoCell;
        c.g = 0.0f;
        c.length = 0;
        c.key = 0.0f;
        c.visit = stamp;
        c.h = h;
        const uint32_t s = pool.take(i, 0.0f);
        c.slot = s;
        pool.c[s].inQueue = fibcore::insertOpen(pool, mazeQueue, mazeHeap, s);
    };

    if (single) {
        const Point& from = twoPin->from;
        const Point& to = twoPin->to;
        nodes[idx(to)].target = stamp;
        seed(idx(from), std::abs(to.y - from.y) + std::abs(to.x - from.x));
        return;
    }

    // A cell enters the union-find of this search as a one-element set.
    auto join = [&](const Point& p) -> GridCell& {
        const uint32_t i = idx(p);
        GridCell& c = cells[i];
        if (nodes[i].visit != stamp) {
            // Reached in this search only through its union-find role: it is
            // in no open set (its key and length stay as they were).
            nodes[i].visit = stamp;
            nodes[i].slot = kNoCell;
            c.rank = 0;
            c.ufParent = nullptr;
        }
        return c;
    };
    for (TwoPin& t : net.twopin) {
        GridCell& a = join(t.from);
        GridCell& b = join(t.to);
        if (&t == twoPin || t.path.empty()) continue;
        GridCell* ra = findRoot(&a);
        GridCell* rb = findRoot(&b);
        if (ra == rb) continue;
        if (ra->rank > rb->rank) {
            rb->ufParent = ra;
        } else if (rb->rank > ra->rank) {
            ra->ufParent = rb;
        } else {
            rb->ufParent = ra;
            ++ra->rank;
        }
    }

    GridCell* rootS = findRoot(&at(twoPin->from));
    GridCell* rootT = findRoot(&at(twoPin->to));
    if (rootS == rootT) return;  // the other connections already join both ends

    for (const Point& p : net.pin2D) {
        // A pin that ends no connection would otherwise be read with the
        // union-find links of an earlier search.
        GridCell& c = join(p);
        if (findRoot(&c) == rootS)
            sources.push_back(p);
        else
            targets.push_back(p);
    }
    for (const Point& p : targets) {
        MazeNode& c = nodes[idx(p)];
        c.target = stamp;
        c.visit = -1;
        c.slot = kNoCell;
    }
    for (const Point& p : sources) {
        const uint32_t i = idx(p);
        if (nodes[i].target != stamp) seed(i, 0);
    }

    targetBox.Bondary(twoPin->to.x, twoPin->to.y);
    for (TwoPin& t : net.twopin) {
        if (&t == twoPin || findRoot(&at(t.from)) == rootS) continue;
        for (const RPoint& s : t.path) {
            if (s.hori == 1) {
                targetBox.Bondary(s.x, s.y);
                targetBox.Bondary(s.x + 1, s.y);
            } else if (s.hori == 0) {
                targetBox.Bondary(s.x, s.y);
                targetBox.Bondary(s.x, s.y + 1);
            }
        }
    }
}

void GlobalRouter::traceBack(TwoPin* twoPin, bool, GridCell* goal, bool) {
    twoPin->from = Point(goal->x, goal->y, goal->z);
    std::vector<RPoint>& path = twoPin->path;
    path.clear();
    GridCell* c = goal;
    while (GridCell* p = c->parent) {
        if (p->x > c->x)
            path.emplace_back(c->x, c->y, 0, 1);
        else if (p->x < c->x)
            path.emplace_back(p->x, p->y, 0, 1);
        else if (p->y > c->y)
            path.emplace_back(c->x, c->y, 0, 0);
        else
            path.emplace_back(p->x, p->y, 0, 0);
        c = p;
    }
    twoPin->to = Point(c->x, c->y, c->z);
    advanceSearchStamp();
    twoPin->pathSize = static_cast<int>(path.size());
    fh_resetheap(heap);
    fh_que_reset(queue);
    resetMazeOpenSet(mazeHeap, mazeQueue, mazePool);
}

void GlobalRouter::traceBackNodes(TwoPin* twoPin, uint32_t goal) {
    const MazeNode* const nodes = mazeNodes.data();
    const uint32_t rows = static_cast<uint32_t>(Y);
    auto xOf = [rows](uint32_t i) { return static_cast<int>(i / rows); };
    auto yOf = [rows](uint32_t i) { return static_cast<int>(i % rows); };
    twoPin->from = Point(xOf(goal), yOf(goal), 0);
    std::vector<RPoint>& path = twoPin->path;
    path.clear();
    // The cells of the found path also carry its search record in the grid
    // (cost, key, length and parent), as a search over the cells leaves it.
    GridCell* const cells = graph.cells.data();
    auto publish = [&](uint32_t i) {
        const MazeNode& n = nodes[i];
        GridCell& g = cells[i];
        g.g = n.g;
        g.key = n.key;
        g.h = n.h;
        g.length = n.length;
        g.parent = n.parent == kNoCell ? nullptr : cells + n.parent;
    };
    uint32_t c = goal;
    for (uint32_t p = nodes[c].parent; p != kNoCell; p = nodes[c].parent) {
        publish(c);
        const int cx = xOf(c), cy = yOf(c), px = xOf(p), py = yOf(p);
        if (px > cx)
            path.emplace_back(cx, cy, 0, 1);
        else if (px < cx)
            path.emplace_back(px, py, 0, 1);
        else if (py > cy)
            path.emplace_back(cx, cy, 0, 0);
        else
            path.emplace_back(px, py, 0, 0);
        c = p;
    }
    publish(c);
    twoPin->to = Point(xOf(c), yOf(c), 0);
    advanceSearchStamp();
    twoPin->pathSize = static_cast<int>(path.size());
    fh_resetheap(heap);
    fh_que_reset(queue);
    resetMazeOpenSet(mazeHeap, mazeQueue, mazePool);
}

void GlobalRouter::MultiMaze(TwoPin* twoPin, int maxLength, BoundingBox& box, bool) {
    Net& net = *twoPin->parNet;
    if (mazeNodes.size() != static_cast<size_t>(X) * Y) hugeAssign(mazeNodes, static_cast<size_t>(X) * Y, MazeNode{});
    minu_func(true, twoPin);
    const float bound = PathScore(twoPin, net);
    twoPin->mazeBound = bound;
    const float w = costScale + costOffset;
    const bool single = net.twopin.size() == 1;
    t_mazeKernel.start();

    // Ends every search that does not trace a path back.
    auto finish = [&]() {
        advanceSearchStamp();
        fh_resetheap(heap);
        fh_que_reset(queue);
        resetMazeOpenSet(mazeHeap, mazeQueue, mazePool);
        t_mazeKernel.stop();
        add_func(true, twoPin);
    };

    mazeSources.clear();
    mazeTargets.clear();
    BoundingBox targetBox = emptyBox();
    initialTargetSource(twoPin, net, single, mazeSources, mazeTargets, graph.cells, targetBox);
    if (!single && (mazeSources.empty() || mazeTargets.empty())) {
        twoPin->path.clear();
        twoPin->pathSize = 0;
        finish();
        return;
    }

    // The search box, kept inside the grid.
    const int loX = box.lower.x > 0 ? box.lower.x : 0;
    const int loY = box.lower.y > 0 ? box.lower.y : 0;
    const int hiX = box.upper.x < X - 1 ? box.upper.x : X - 1;
    const int hiY = box.upper.y < Y - 1 ? box.upper.y : Y - 1;

    const int stamp = searchStamp;
    MazeNode* const cells = mazeNodes.data();  // index x * Y + y
    const float* const vCost = mapCost.data();                                // [x][y]
    const float* const hCost = mapCost.data() + static_cast<size_t>(X) * Y;  // [x][y]
    const int toX = twoPin->to.x;
    const int toY = twoPin->to.y;
    const float bend = bendCost;
    const uint64_t rows = static_cast<uint64_t>(Y);
    const double invRows = 1.0 / static_cast<double>(Y);
    const long cellCount = static_cast<long>(X) * Y;
    OpenPool& pool = mazePool;
    for (;;) {
        const uint32_t cs = fibcore::popOpen(pool, mazeQueue, mazeHeap);
        if (cs == kNoCell) break;
        const uint32_t ci = pool.c[cs].cell;
        MazeNode* const c = cells + ci;
        c->slot = kNoCell;
        if (c->target == stamp) {
            // The parent chain of a goal runs back to a seed unless an
            // inconsistent reopening closed a loop; such a result is refused and
            // the old path kept.
            long steps = 0;
            for (uint32_t p = c->parent; p != kNoCell && steps <= cellCount; p = cells[p].parent) ++steps;
            if (steps > cellCount) break;
            twoPin->mazeBound = c->key;
            traceBackNodes(twoPin, ci);
            t_mazeKernel.stop();
            add_func(true, twoPin);
            return;
        }
        // The cell's coordinates from its index, without a division: the
        // double quotient is off by at most one, which the remainder corrects.
        uint64_t qx = static_cast<uint64_t>(static_cast<double>(ci) * invRows);
        if (qx * rows > ci)
            --qx;
        else if (ci - qx * rows >= rows)
            ++qx;
        const int cx = static_cast<int>(qx);
        const int cy = static_cast<int>(ci - qx * rows);
        const uint32_t parIdx = c->parent;
        const bool par = parIdx != kNoCell;
        // The parent is a neighbour: the step to a neighbour bends unless it
        // repeats the step from the parent (going back is never taken).
        const uint32_t fromParent = ci - parIdx;
        const float cg = c->g;
        const int clen = c->length;
        for (int dir = 0; dir < 4; ++dir) {
            int nx = cx, ny = cy;
            uint32_t ni;
            float edge;
            switch (dir) {
                case 0:  // up: vertical edge at (x, y)
                    ny = cy + 1;
                    if (ny > hiY || ny < loY || nx < loX || nx > hiX) continue;
                    edge = vCost[ci];
                    ni = ci + 1;
                    break;
                case 1:  // right: horizontal edge at (x, y)
                    nx = cx + 1;
                    if (nx > hiX || nx < loX || ny < loY || ny > hiY) continue;
                    edge = hCost[ci];
                    ni = ci + static_cast<uint32_t>(Y);
                    break;
                case 2:  // down: vertical edge at (x, y - 1)
                    ny = cy - 1;
                    if (ny < loY || ny > hiY || nx < loX || nx > hiX) continue;
                    edge = vCost[ci - 1];
                    ni = ci - 1;
                    break;
                default:  // left: horizontal edge at (x - 1, y)
                    nx = cx - 1;
                    if (nx < loX || nx > hiX || ny < loY || ny > hiY) continue;
                    edge = hCost[ci - static_cast<uint32_t>(Y)];
                    ni = ci - static_cast<uint32_t>(Y);
                    break;
            }
            if (ni == parIdx) continue;
            MazeNode* const n = cells + ni;
            const bool reached = n->visit == stamp;
            if (!reached)
                n->h = single ? std::abs(toX - nx) + std::abs(toY - ny) : boxDistance(targetBox, nx, ny);
            float g = cg + edge;
            if (par && ni - ci != fromParent) g += bend;
            float f;
            int length;
            if (edge == 0.0f) {
                f = g;
                length = clen;
            } else {
                f = g + static_cast<float>(n->h) * w;
                length = clen + 1;
            }
            if (f > bound || clen + n->h > maxLength) continue;
            if (reached && !(f < n->key || (f == n->key && length < n->length))) continue;
            n->parent = ci;
            n->length = length;
            if (reached && n->slot != kNoCell) {
                const uint32_t s = n->slot;
                n->g = g;
                if (pool.c[s].inQueue) {
                    n->key = f;
                    if (!fibcore::replaceInQueue(pool, mazeQueue, s, f))
                        pool.c[s].inQueue = fibcore::insertOpen(pool, mazeQueue, mazeHeap, s);
                } else if (f < n->key) {
                    n->key = f;
                    decreaseKey(pool, mazeHeap, s, f);
                }
            } else {
                n->visit = stamp;
                n->g = g;
                n->key = f;
                const uint32_t s = pool.take(ni, f);
                n->slot = s;
                pool.c[s].inQueue = fibcore::insertOpen(pool, mazeQueue, mazeHeap, s);
            }
        }
    }
    // Nothing within the bounds: the connection keeps its old path.
    finish();
}

void GlobalRouter::insertQueues(fibque* q, fibheap* h, void* cell) {
    NodeLinks p;
    GridCell* c = static_cast<GridCell*>(cell);
    c->inQueue = fibcore::insertOpen(p, *q, *h, nodeOf(cell));
}
