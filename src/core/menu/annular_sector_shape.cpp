// The ring slice's outline: four rounded corners where the slice is wide and
// thick enough to hold them, sharp corners otherwise.
#include "core/menu/annular_sector_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

// Angular insets of the corner circles' centres.
struct Insets {
    double outer;
    double inner;
};

Insets cornerInsets(double r, double ri, double ro) {
    const double outerRatio = ro - r > 0.5 ? r / (ro - r) : 0.99;
    const double innerRatio = ri + r > 0.5 ? r / (ri + r) : 0.99;
    return {std::asin(std::min(outerRatio, 0.99)), std::asin(std::min(innerRatio, 0.99))};
}

} // namespace

double sweep(const ArcTo& arc) {
    // Positive view angles turn clockwise on screen (y down).
    double d = arc.endAngle - arc.startAngle;
    if (arc.counterClockwiseOnScreen) {
        d = std::fmod(d, twoPi);
        if (d > 0)
            d -= twoPi;
    } else {
        d = std::fmod(d, twoPi);
        if (d < 0)
            d += twoPi;
    }
    return d;
}

Point arcStart(const ArcTo& arc) {
    return {arc.center.x + arc.radius * std::cos(arc.startAngle),
            arc.center.y + arc.radius * std::sin(arc.startAngle)};
}

Point arcEnd(const ArcTo& arc) {
    const double a = arc.startAngle + sweep(arc);
    return {arc.center.x + arc.radius * std::cos(a), arc.center.y + arc.radius * std::sin(a)};
}

std::optional<double> AnnularSectorShape::effectiveCornerRadius() const {
    const double s = startAngleRadians, e = endAngleRadians;
    const double ri = innerRadius, ro = outerRadius;
    const double span = e - s;
    if (!(span > 0.04 && ri + 2 < ro))
        return std::nullopt;
    const double limit = std::min((ro - ri) * 0.48, span * (ro + ri) * 0.2);
    const double r = std::min(std::max(cornerRadius, 0.0), std::min(limit, 14.0));
    if (!(r >= 0.75)) // also refuses a NaN request
        return std::nullopt;
    const auto [ao, ai] = cornerInsets(r, ri, ro);
    // Corners that would meet or cross make a twisted outline.
    if (2 * ao >= span - 0.02 || 2 * ai >= span - 0.02)
        return std::nullopt;
    return r;
}

Path AnnularSectorShape::path(const Rect& rect) const {
    const double cx = rect.midX(), cy = rect.midY();
    const Point c{cx, cy};
    const double s = startAngleRadians, e = endAngleRadians;
    const double ri = innerRadius, ro = outerRadius;
    // The point at screen angle θ (counter-clockwise, y up) and radius r.
    auto P = [&](double radius, double theta) {
        return Point{cx + radius * std::cos(theta), cy - radius * std::sin(theta)};
    };

    const auto rounded = effectiveCornerRadius();
    if (!rounded) {
        return {MoveTo{P(ro, s)}, ArcTo{c, ro, -s, -e, true}, LineTo{P(ri, e)},
                ArcTo{c, ri, -e, -s, false}, ClosePath{}};
    }

    const double r = *rounded;
    const auto [ao, ai] = cornerInsets(r, ri, ro);
    const double Ro = ro - r, Ri = ri + r;
    const Point C1 = P(Ro, s + ao), C2 = P(Ro, e - ao), C3 = P(Ri, e - ai), C4 = P(Ri, s + ai);
    const Point P1 = P(ro, s + ao), P2 = P(ro, e - ao), P3 = P(ri, e - ai), P4 = P(ri, s + ai);
    const Point Eo = P(Ro, e), Ei = P(Ri, e), So = P(Ro, s), Si = P(Ri, s);
    auto ang = [](Point from, Point to) { return std::atan2(to.y - from.y, to.x - from.x); };

    return {
        MoveTo{P1},
        ArcTo{c, ro, -(s + ao), -(e - ao), true},
        ArcTo{C2, r, ang(C2, P2), ang(C2, Eo), true},
        LineTo{Ei},
        ArcTo{C3, r, ang(C3, Ei), ang(C3, P3), true},
        ArcTo{c, ri, -(e - ai), -(s + ai), false},
        ArcTo{C4, r, ang(C4, P4), ang(C4, Si), true},
        LineTo{So},
        ArcTo{C1, r, ang(C1, So), ang(C1, P1), true},
        ClosePath{},
    };
}

AnnularSectorShape AnnularSectorShape::interpolated(const AnnularSectorShape& from,
                                                    const AnnularSectorShape& to, double t) {
    AnnularSectorShape out = to;
    out.startAngleRadians =
        from.startAngleRadians + (to.startAngleRadians - from.startAngleRadians) * t;
    out.endAngleRadians = from.endAngleRadians + (to.endAngleRadians - from.endAngleRadians) * t;
    return out;
}

} // namespace vx
