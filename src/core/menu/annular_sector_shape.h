// One slice of a ring with rounded corners, as a path of moves, lines and
// circular arcs. The menu's wedge is drawn with it, and slides by
// interpolating the two angles.
#pragma once

#include "core/base/geometry.h"

#include <optional>
#include <variant>
#include <vector>

namespace vx {

struct MoveTo {
    Point to;
    friend bool operator==(const MoveTo&, const MoveTo&) = default;
};
struct LineTo {
    Point to;
    friend bool operator==(const LineTo&, const LineTo&) = default;
};
// A circular arc in view space (y down), angles in radians measured as atan2
// sees them there. When the current point is not the arc's first point, a
// straight line joins them first. The arc turns from `startAngle` to
// `endAngle` in the given direction, at most one full turn.
struct ArcTo {
    Point center;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    bool counterClockwiseOnScreen = true; // decreasing view angles
    friend bool operator==(const ArcTo&, const ArcTo&) = default;
};
struct ClosePath {
    friend bool operator==(const ClosePath&, const ClosePath&) = default;
};
using PathElement = std::variant<MoveTo, LineTo, ArcTo, ClosePath>;
using Path = std::vector<PathElement>;

// The signed sweep of an arc, in radians: negative when counter-clockwise on screen.
double sweep(const ArcTo& arc);
// The arc's first and last points.
Point arcStart(const ArcTo& arc);
Point arcEnd(const ArcTo& arc);

struct AnnularSectorShape {
    // Counter-clockwise on screen from pointing right; the slice runs from start to end.
    double startAngleRadians = 0;
    double endAngleRadians = 0;
    double innerRadius = 0;
    double outerRadius = 0;
    // Requested rounding of the four corners; reduced to what the slice can hold.
    double cornerRadius = 0;

    // The corner radius the path uses; absent when the slice is drawn with sharp corners.
    std::optional<double> effectiveCornerRadius() const;

    // The closed outline centred on `rect`'s mid-point.
    Path path(const Rect& rect) const;

    // The shape part way (t in 0...1) from `from` to `to`: only the angles move;
    // the radii are those of `to`.
    static AnnularSectorShape interpolated(const AnnularSectorShape& from,
                                           const AnnularSectorShape& to, double t);

    friend bool operator==(const AnnularSectorShape&, const AnnularSectorShape&) = default;
};

} // namespace vx
