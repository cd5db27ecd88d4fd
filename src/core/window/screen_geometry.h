// Lookups over the current displays, and the one conversion from desktop
// coordinates (y up) to the top-left coordinates windows are placed in. Nothing
// is cached: each call asks the Screens seam again, so a display plugged in or
// removed during a gesture is seen at the next lookup.
#pragma once

#include "core/window/screens.h"

#include <optional>
#include <vector>

namespace vx {

// 0 for a display the platform could not name.
DisplayID displayID(const Screen& screen);

// The first display whose frame holds the point: left and top edges inside,
// right and bottom edges outside, so a point on the seam of two side-by-side
// displays belongs to the right-hand one.
std::optional<Screen> screen(Point containing, const std::vector<Screen>& screens);
std::optional<Screen> screenForDisplayID(DisplayID id, const std::vector<Screen>& screens);

// Left to right by frame origin x, then bottom to top by origin y.
bool screenDisplayOrder(const Screen& a, const Screen& b);
// The displays sorted (stably) by screenDisplayOrder.
std::vector<Screen> orderedScreens(std::vector<Screen> screens);

// `rect` in desktop coordinates to top-left coordinates. The reference is the
// display whose frame origin is exactly (0, 0), else the main display, else the
// rect itself.
Rect axRect(const Rect& rect, const Screens& screens);
Rect axRect(const Rect& rect, const std::vector<Screen>& screens,
            const std::optional<Screen>& mainScreen);

} // namespace vx
