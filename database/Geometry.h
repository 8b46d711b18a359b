#pragma once
// Places on the routing grid: a G-cell with a layer, one unit step of a path,
// and the box a two-pin connection is routed in. All in G-cells, 0-based layers.

struct GridCell;

struct Point {
    int x = 0;
    int y = 0;
    int z = 0;
    Point() = default;
    Point(int x_, int y_, int z_) : x(x_), y(y_), z(z_) {}
    // Manhattan distance over x and y; the layer is ignored.
    int distance(const Point& p) const;
};

// Equality looks at x and y only.
bool operator==(const Point& a, const Point& b);
bool operator!=(const Point& a, const Point& b);

// One unit step: hori 0 = vertical edge (x,y)-(x,y+1), 1 = horizontal edge
// (x,y)-(x+1,y), 2 = via (x,y,z)-(x,y,z+1). Edges are named by their lower/left cell.
struct RPoint {
    int hori = 0;
    int x = 0;
    int y = 0;
    int z = 0;
    RPoint() = default;
    RPoint(int x_, int y_, int hori_) : hori(hori_), x(x_), y(y_), z(0) {}
    RPoint(int x_, int y_, int z_, int hori_) : hori(hori_), x(x_), y(y_), z(z_) {}
};

struct BoundingBox {
    Point upper{-1, -1, 0};
    Point lower{2147483647, 2147483647, 0};
    // May the box grow towards smaller x, larger x, larger y, smaller y.
    bool growLeft = true;
    bool growRight = true;
    bool growUp = true;
    bool growDown = true;

    bool inside(int x, int y) const {
        return lower.x <= x && x <= upper.x && lower.y <= y && y <= upper.y;
    }
    // Manhattan distance to the nearest G-cell of the box (0 inside); the grid
    // arguments are accepted for interface compatibility and not used.
    int distance(int x, int y, GridCell*** grid = nullptr, int layers = 0) const;
    int size() const;
    int numEdge() const;
    // Grow the box to hold (x, y); the growth flags are left alone.
    void Bondary(int x, int y);
};

// The empty box from which a box is grown point by point.
BoundingBox emptyBox();
