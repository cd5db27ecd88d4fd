// The eight places a window snaps to — four halves, four quarters — which are
// also the eight wedges of the radial menu, counter-clockwise from the right.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <optional>
#include <string>

namespace vx {

// Raw values are 45-degree steps counter-clockwise from pointing right (y up).
enum class LayoutSector : int {
    right = 0,
    topRight = 1,
    top = 2,
    topLeft = 3,
    left = 4,
    bottomLeft = 5,
    bottom = 6,
    bottomRight = 7,
};

inline constexpr std::array<LayoutSector, 8> allLayoutSectors{
    LayoutSector::right,      LayoutSector::topRight, LayoutSector::top,
    LayoutSector::topLeft,    LayoutSector::left,     LayoutSector::bottomLeft,
    LayoutSector::bottom,     LayoutSector::bottomRight};

// Pointer positions closer than this to the menu centre select no sector.
inline constexpr double centerZoneRadius = 38.0;

// A case for 0 to 7, absent for anything else.
std::optional<LayoutSector> layoutSectorFromRaw(int raw);
inline int rawValue(LayoutSector s) { return static_cast<int>(s); }
inline double centerAngleDegrees(LayoutSector s) { return rawValue(s) * 45.0; }

// Localized title ("Right half", "Top-right", ...).
std::string title(LayoutSector s);

// The hit test, in desktop (y-up) coordinates.
std::optional<LayoutSector> sector(Point pointer, Point center);

// The rectangle the sector occupies in a visible frame (y-up, unrounded).
Rect frame(LayoutSector s, const Rect& visibleFrame);

} // namespace vx
