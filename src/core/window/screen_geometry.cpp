// Display lookups and the coordinate conversion; see the header.
#include "core/window/screen_geometry.h"

#include <algorithm>

namespace vx {

DisplayID displayID(const Screen& screen) {
    return screen.number.value_or(0);
}

std::optional<Screen> screen(Point p, const std::vector<Screen>& screens) {
    for (const auto& s : screens) {
        const Rect& f = s.frame;
        if (p.x >= f.minX() && p.x < f.maxX() && p.y > f.minY() && p.y <= f.maxY())
            return s;
    }
    return std::nullopt;
}

std::optional<Screen> screenForDisplayID(DisplayID id, const std::vector<Screen>& screens) {
    for (const auto& s : screens) {
        if (displayID(s) == id)
            return s;
    }
    return std::nullopt;
}

bool screenDisplayOrder(const Screen& a, const Screen& b) {
    if (a.frame.minX() != b.frame.minX())
        return a.frame.minX() < b.frame.minX();
    return a.frame.minY() < b.frame.minY();
}

std::vector<Screen> orderedScreens(std::vector<Screen> screens) {
    std::stable_sort(screens.begin(), screens.end(), screenDisplayOrder);
    return screens;
}

Rect axRect(const Rect& rect, const std::vector<Screen>& screens,
            const std::optional<Screen>& mainScreen) {
    Rect reference = rect;
    const auto primary = std::find_if(screens.begin(), screens.end(), [](const Screen& s) {
        return s.frame.origin.x == 0.0 && s.frame.origin.y == 0.0;
    });
    if (primary != screens.end())
        reference = primary->frame;
    else if (mainScreen)
        reference = mainScreen->frame;
    const double h = reference.maxY();
    return Rect(rect.minX(), h - rect.maxY(), rect.size.width, rect.size.height);
}

Rect axRect(const Rect& rect, const Screens& screens) {
    return axRect(rect, screens.screens(), screens.mainScreen());
}

} // namespace vx
