// Measures of the radial menu's drawing.
#include "core/menu/radial_menu_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vx {

namespace {
constexpr double degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}
constexpr double radians(double deg) {
    return deg * std::numbers::pi / 180;
}
} // namespace

double RadialMenuLayout::wedgeHalfWidthDegrees() const {
    return 22.5 - degrees(gap);
}

AnnularSectorShape RadialMenuLayout::wedge(double angleDegrees) const {
    const double h = wedgeHalfWidthDegrees();
    return {radians(angleDegrees - h), radians(angleDegrees + h), inner + 1.5, outer - 1.5, 6};
}

double RadialMenuLayout::iconSize() const {
    return std::max(0.58 * hubDiameter(), 28.0);
}

bool RadialMenuLayout::isInHub(Point p) const {
    const auto c = center();
    return std::hypot(p.x - c.x, p.y - c.y) <= hubDiameter() / 2;
}

RadialMenuLayout::Lean RadialMenuLayout::lean(double lookX, double lookY) {
    return {-12 * lookY, 12 * lookX, {1.4 * lookX, 0.6 - 1.4 * lookY}};
}

} // namespace vx
