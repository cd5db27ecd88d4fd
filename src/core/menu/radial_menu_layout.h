// The radial menu's measures in its own view (220 points square, y down): the
// ring, the wedge for a given angle, the hub and the icon's lean.
#pragma once

#include "core/base/geometry.h"
#include "core/menu/annular_sector_shape.h"

namespace vx {

struct RadialMenuLayout {
    double outer = 100; // ring outer radius
    double inner = 38;  // ring inner radius
    double gap = 0.02;  // radians between the wedge and its sector boundary
    double size = 220;  // side of the square view

    Point center() const { return {size / 2, size / 2}; }
    Rect bounds() const { return {0, 0, size, size}; }

    // Half the wedge's opening, in degrees.
    double wedgeHalfWidthDegrees() const;
    // The wedge centred on `angleDegrees` (counter-clockwise from right, y up).
    AnnularSectorShape wedge(double angleDegrees) const;

    double hubDiameter() const { return 2 * inner - 10; }
    double iconSize() const;
    // Whether a view point falls on the hub, the menu's only clickable part.
    bool isInHub(Point viewPoint) const;

    // The icon's lean for a look (each -1...1): rotations in degrees about the
    // view's horizontal and vertical axes, and its shadow's offset (y down).
    struct Lean {
        double aboutXDegrees;
        double aboutYDegrees;
        Point shadowOffset;
    };
    static Lean lean(double lookX, double lookY);
};

} // namespace vx
