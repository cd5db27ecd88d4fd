// Geometry in points (never pixels) as doubles. Which coordinate system a value
// is in (desktop y-up or top-left y-down) is told by the API that hands it out,
// not by the type: both systems share these types.
#pragma once

#include <algorithm>
#include <cmath>
#include <ostream>

namespace vx {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double midX() const { return origin.x + size.width * 0.5; }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midY() const { return origin.y + size.height * 0.5; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }
    Point mid() const { return {midX(), midY()}; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Readable failures in tests and in the diagnostic report.
inline std::ostream& operator<<(std::ostream& os, const Point& p) {
    return os << '(' << p.x << ", " << p.y << ')';
}
inline std::ostream& operator<<(std::ostream& os, const Size& s) {
    return os << '(' << s.width << ", " << s.height << ')';
}
inline std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << '(' << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", "
              << r.size.height << ')';
}

} // namespace vx
