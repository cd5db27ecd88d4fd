// The Screens seam: the displays attached right now and the pointer, in desktop
// coordinates (points, origin at the bottom-left of the primary display, y up).
// Nothing is cached behind it: a display plugged or removed is seen at the next
// call. X11 reads RandR and the window manager's struts; tests use fixed sets.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vx {

// The number a display is known by; 0 when the platform gives none.
using DisplayID = std::uint32_t;

struct Screen {
    // Absent when the platform could not name the display (reads as id 0).
    std::optional<DisplayID> number;
    Rect frame;        // the whole display
    Rect visibleFrame; // minus panels, docks and other reserved edges
    friend bool operator==(const Screen&, const Screen&) = default;
};

class Screens {
public:
    virtual ~Screens() = default;
    // In the order the platform gives them.
    virtual std::vector<Screen> screens() const = 0;
    // The display the user works on (the one with keyboard focus); may be absent.
    virtual std::optional<Screen> mainScreen() const = 0;
    virtual Point pointerLocation() const = 0;
};

} // namespace vx
