// The Screens seam on X11: RandR monitors, each with the part of it that
// panels and docks leave free, and the pointer, in desktop points.
#pragma once

#include "core/window/screens.h"
#include "x11/connection.h"
#include "x11/monitors.h"

namespace vx::x11 {

// The area an edge reservation (_NET_WM_STRUT_PARTIAL / _NET_WM_STRUT) takes,
// in root pixels, and which root edge it hangs from.
struct Strut {
    enum class Edge { left, right, top, bottom };
    Edge edge;
    PixelRect area;
};

// The struts of every viewable window that has one: managed docks through the
// client list, unmanaged ones through the root's children.
std::vector<Strut> readStruts(Connection& conn);

// A monitor minus the struts that reach into it from its own edges. A strut
// whose inner edge lies beyond the monitor (a panel on the next monitor,
// reserved from the far root edge) does not take the whole monitor.
PixelRect visibleArea(const PixelRect& monitor, const std::vector<Strut>& struts);

class X11Screens : public Screens {
public:
    // `scale`: device pixels per point (see readScaleFactor).
    explicit X11Screens(Connection& conn, double scale = 1.0) : conn_(conn), scale_(scale) {}

    std::vector<Screen> screens() const override;
    // The monitor holding the middle of the active window, else the primary.
    std::optional<Screen> mainScreen() const override;
    Point pointerLocation() const override;

private:
    std::vector<Screen> readScreens() const;

    Connection& conn_;
    double scale_;
};

} // namespace vx::x11
