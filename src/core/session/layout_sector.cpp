// Titles, hit test and rectangles of the eight layout sectors.
#include "core/session/layout_sector.h"

#include "core/base/localization.h"

#include <cmath>
#include <numbers>

namespace vx {

std::optional<LayoutSector> layoutSectorFromRaw(int raw) {
    if (raw < 0 || raw > 7)
        return std::nullopt;
    return static_cast<LayoutSector>(raw);
}

std::string title(LayoutSector s) {
    switch (s) {
    case LayoutSector::right:
        return localized("Right half");
    case LayoutSector::topRight:
        return localized("Top-right");
    case LayoutSector::top:
        return localized("Top half");
    case LayoutSector::topLeft:
        return localized("Top-left");
    case LayoutSector::left:
        return localized("Left half");
    case LayoutSector::bottomLeft:
        return localized("Bottom-left");
    case LayoutSector::bottom:
        return localized("Bottom half");
    case LayoutSector::bottomRight:
        return localized("Bottom-right");
    }
    return {};
}

std::optional<LayoutSector> sector(Point pointer, Point center) {
    const double dx = pointer.x - center.x;
    const double dy = pointer.y - center.y;
    const double distance = std::hypot(dx, dy);
    // Written so that a position that is not a number selects nothing rather
    // than some wedge by accident.
    if (!(distance >= centerZoneRadius) || !std::isfinite(distance))
        return std::nullopt;
    double angle = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    if (angle < 0)
        angle += 360.0;
    // Each wedge owns [centre - 22.5, centre + 22.5): a pointer on a boundary
    // goes to the wedge counter-clockwise of it, and 337.5..360 wraps to the right.
    const int k = static_cast<int>((angle + 22.5) / 45.0);
    return layoutSectorFromRaw(k % 8);
}

Rect frame(LayoutSector s, const Rect& visibleFrame) {
    const double x = visibleFrame.minX();
    const double y = visibleFrame.minY();
    const double w = visibleFrame.width();
    const double h = visibleFrame.height();
    const double halfW = w * 0.5;
    const double halfH = h * 0.5;
    switch (s) {
    case LayoutSector::right:
        return {x + halfW, y, halfW, h};
    case LayoutSector::topRight:
        return {x + halfW, y + halfH, halfW, halfH};
    case LayoutSector::top:
        return {x, y + halfH, w, halfH};
    case LayoutSector::topLeft:
        return {x, y + halfH, halfW, halfH};
    case LayoutSector::left:
        return {x, y, halfW, h};
    case LayoutSector::bottomLeft:
        return {x, y, halfW, halfH};
    case LayoutSector::bottom:
        return {x, y, w, halfH};
    case LayoutSector::bottomRight:
        return {x + halfW, y, halfW, halfH};
    }
    return visibleFrame;
}

} // namespace vx
