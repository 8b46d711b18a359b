#include "database/Geometry.h"

#include <algorithm>
#include <cstdlib>

int Point::distance(const Point& p) const { return std::abs(p.x - x) + std::abs(p.y - y); }

bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
bool operator!=(const Point& a, const Point& b) { return !(a == b); }

int BoundingBox::distance(int x, int y, GridCell***, int) const {
    int cx = x < lower.x ? lower.x : std::min(x, upper.x);
    int cy = y < lower.y ? lower.y : std::min(y, upper.y);
    return std::abs(cy - y) + std::abs(cx - x);
}

int BoundingBox::size() const { return (upper.x - lower.x) * (upper.y - lower.y); }

int BoundingBox::numEdge() const {
    int w = upper.x - lower.x;
    int h = upper.y - lower.y;
    return w + h + 2 * w * h;
}

void BoundingBox::Bondary(int x, int y) {
    lower.x = std::min(lower.x, x);
    lower.y = std::min(lower.y, y);
    upper.x = std::max(upper.x, x);
    upper.y = std::max(upper.y, y);
}

BoundingBox emptyBox() { return BoundingBox(); }
