#pragma once
// Points, vectors and axis-parallel rectangles in document units (0.1 mm,
// y growing downwards), held in single precision like all document geometry.

#include <cmath>

namespace geom {

struct PointF {
    float x = 0.0f;
    float y = 0.0f;

    constexpr PointF() = default;
    constexpr PointF(float px, float py) : x(px), y(py) {}

    constexpr PointF operator+(PointF o) const { return {x + o.x, y + o.y}; }
    constexpr PointF operator-(PointF o) const { return {x - o.x, y - o.y}; }
    constexpr PointF operator*(float s) const { return {x * s, y * s}; }
    constexpr PointF& operator+=(PointF o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    constexpr PointF& operator-=(PointF o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    constexpr bool operator==(const PointF&) const = default;
};

inline double Length(PointF v) {
    return std::hypot(double(v.x), double(v.y));
}
inline double Distance(PointF a, PointF b) {
    return Length(a - b);
}

struct RectF {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    constexpr RectF() = default;
    constexpr RectF(float px, float py, float w, float h) : x(px), y(py), width(w), height(h) {}

    constexpr float Left() const { return x; }
    constexpr float Top() const { return y; }
    constexpr float Right() const { return x + width; }
    constexpr float Bottom() const { return y + height; }
    constexpr bool IsEmptyArea() const { return width <= 0.0f || height <= 0.0f; }

    // Half-open: the left and top edges belong to the rectangle, the right and bottom do not.
    constexpr bool Contains(PointF p) const {
        return x <= p.x && p.x < x + width && y <= p.y && p.y < y + height;
    }
    // Strict overlap: rectangles that only share an edge do not overlap.
    constexpr bool IntersectsWith(const RectF& b) const {
        return x < b.x + b.width && y < b.y + b.height && x + width > b.x && y + height > b.y;
    }
    // The same with shared edges counting: for area tests where touching is a hit.
    constexpr bool Touches(const RectF& b) const {
        return x <= b.x + b.width && y <= b.y + b.height && x + width >= b.x && y + height >= b.y;
    }
    constexpr bool operator==(const RectF&) const = default;

    // The smallest rectangle holding both corners.
    static RectF FromCorners(PointF a, PointF b) {
        const float l = std::fmin(a.x, b.x), t = std::fmin(a.y, b.y);
        return {l, t, std::fmax(a.x, b.x) - l, std::fmax(a.y, b.y) - t};
    }
};

}  // namespace geom
