// Monitors as RandR 1.5 describes them, and the one conversion from root-window
// pixels to the two coordinate systems of core (desktop points with y up from
// the primary's bottom; top-left points with y down from the primary's top),
// with a single scale factor. Read afresh on every call.
#pragma once

#include "core/base/geometry.h"
#include "x11/connection.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vx::x11 {

// A rectangle in root-window pixels.
struct PixelRect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::int32_t right() const { return x + width; }
    std::int32_t bottom() const { return y + height; }
    bool contains(std::int32_t px, std::int32_t py) const {
        return px >= x && px < right() && py >= y && py < bottom();
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct Monitor {
    xcb_atom_t name = XCB_ATOM_NONE; // stable for the server's life: the display id
    bool primary = false;
    PixelRect rect;
};

// The active monitors (RandR 1.5, else the whole root as one monitor).
std::vector<Monitor> readMonitors(Connection& conn);
// The root window's current size.
PixelRect rootSize(Connection& conn);
// RandR's primary, else the monitor at the root origin, else the first.
std::optional<Monitor> primaryMonitor(const std::vector<Monitor>& monitors);

// Device pixels per point: Xft.dpi / 96 from the resource database, times
// QT_SCALE_FACTOR when set; 1 when neither says otherwise.
double readScaleFactor(Connection& conn);

class Coordinates {
public:
    Coordinates(PixelRect primary, double scale) : primary_(primary), scale_(scale) {}
    // From the monitors on the server now.
    static Coordinates current(Connection& conn, double scale);

    double scale() const { return scale_; }
    Point desktopPoint(double rootX, double rootY) const;
    Rect desktopRect(const PixelRect& r) const;
    Point topLeftPoint(double rootX, double rootY) const;
    Rect topLeftRect(const PixelRect& r) const;
    // Back to root pixels (rounded), for requests.
    std::int32_t rootX(double topLeftX) const;
    std::int32_t rootY(double topLeftY) const;
    std::int32_t pixels(double points) const;

private:
    PixelRect primary_;
    double scale_;
};

} // namespace vx::x11
