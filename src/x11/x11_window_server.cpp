// The window list and direct moves by window-server id: a managed frame is
// moved through its client, an unmanaged window moves itself.
#include "x11/x11_window_detail.h"
#include "x11/x11_window_system.h"

#include <algorithm>

namespace vx::x11 {
using namespace window_detail;

std::optional<WindowListEntry> X11WindowSystem::entry(xcb_window_t client, bool onScreenOnly) {
    auto attrs = conn_.reply(xcb_get_window_attributes(conn_.raw(), client),
                             xcb_get_window_attributes_reply);
    if (!attrs) {
        return std::nullopt;
    }
    bool shown = attrs->map_state == XCB_MAP_STATE_VIEWABLE;
    if (onScreenOnly && (!shown || hasType(client, {"_NET_WM_WINDOW_TYPE_DESKTOP"}))) {
        return std::nullopt;
    }
    auto state = atoms(client, "_NET_WM_STATE");
    auto has = [&](const char* a) {
        return std::find(state.begin(), state.end(), conn_.atom(a)) != state.end();
    };
    auto current = conn_.cardinal(conn_.root(), conn_.atom("_NET_CURRENT_DESKTOP"));
    auto desk = conn_.cardinal(client, conn_.atom("_NET_WM_DESKTOP"));
    bool here = !current || !desk || *desk == 0xffffffffu || *desk == *current;

    WindowListEntry e;
    if (hasType(client, {"_NET_WM_WINDOW_TYPE_DOCK"})) {
        e.layer = 20;
    } else if (hasType(client, {"_NET_WM_WINDOW_TYPE_DESKTOP"})) {
        e.layer = -20;
    } else if (!shown || !here || has("_NET_WM_STATE_HIDDEN")) {
        e.layer = -1; // minimized or on another desktop
    } else if (has("_NET_WM_STATE_ABOVE")) {
        e.layer = 3;
    } else if (has("_NET_WM_STATE_BELOW")) {
        e.layer = -2;
    } else {
        e.layer = 0;
    }
    e.ownerPID = ownerPid(client);
    e.number = frameOf(client);
    e.ownerName = ownerName(e.ownerPID.value_or(0), client);
    if (auto g = geometry(client)) {
        auto r = Coordinates::current(conn_, options_.scale).topLeftRect(g->visible());
        e.bounds = WindowListBounds{r.origin.x, r.origin.y, r.size.width, r.size.height};
    }
    return e;
}

std::optional<std::vector<WindowListEntry>> X11WindowSystem::onScreenWindows() {
    // Xfwm4 deletes the list with its last client: a manager that names the
    // list as supported and has none has no windows, rather than no answer.
    if (!conn_.cardinals(conn_.root(), conn_.atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW) &&
        !supported("_NET_CLIENT_LIST_STACKING")) {
        return std::nullopt;
    }
    std::vector<WindowListEntry> out;
    for (auto w : stackingFrontToBack()) {
        if (auto e = entry(w, true)) {
            out.push_back(std::move(*e));
        }
    }
    return out;
}

std::optional<std::vector<WindowListEntry>> X11WindowSystem::windowInfo(WindowID window) {
    if (auto c = clientForWindowID(window)) {
        if (auto e = entry(*c, false)) {
            return std::vector<WindowListEntry>{std::move(*e)};
        }
        return std::nullopt;
    }
    // Not a managed window: what the server knows of it.
    auto g = conn_.reply(xcb_get_geometry(conn_.raw(), window), xcb_get_geometry_reply);
    auto t = conn_.reply(xcb_translate_coordinates(conn_.raw(), window, conn_.root(), 0, 0),
                         xcb_translate_coordinates_reply);
    if (!g || !t) {
        return std::nullopt;
    }
    WindowListEntry e;
    e.number = window;
    e.ownerPID = ownerPid(window);
    e.layer = 0;
    auto r = Coordinates::current(conn_, options_.scale)
                 .topLeftRect({t->dst_x, t->dst_y, g->width, g->height});
    e.bounds = WindowListBounds{r.origin.x, r.origin.y, r.size.width, r.size.height};
    return std::vector<WindowListEntry>{std::move(e)};
}

AXRead<Rect> X11WindowSystem::serverScreenRect(WindowID window) {
    auto coords = Coordinates::current(conn_, options_.scale);
    if (auto c = clientForWindowID(window)) {
        if (auto g = geometry(*c)) {
            return AXRead<Rect>::of(coords.topLeftRect(g->visible()));
        }
        return AXRead<Rect>::error(axstatus::invalidElement);
    }
    auto g = conn_.reply(xcb_get_geometry(conn_.raw(), window), xcb_get_geometry_reply);
    auto t = conn_.reply(xcb_translate_coordinates(conn_.raw(), window, conn_.root(), 0, 0),
                         xcb_translate_coordinates_reply);
    if (!g || !t || g->width == 0 || g->height == 0) {
        return AXRead<Rect>::error(axstatus::invalidElement);
    }
    return AXRead<Rect>::of(coords.topLeftRect({t->dst_x, t->dst_y, g->width, g->height}));
}

AXStatus X11WindowSystem::moveWindowWithGroup(WindowID window, Point topLeft) {
    // X11 has no window groups that move together; the window alone moves.
    return moveWindow(window, topLeft);
}

AXStatus X11WindowSystem::moveWindow(WindowID window, Point topLeft) {
    // A managed frame belongs to the manager: ask it to move the client so
    // the frame's corner lands on the point; an unmanaged window moves itself.
    if (auto c = clientForWindowID(window)) {
        return setPosition(windowElement(*c), topLeft);
    }
    auto coords = Coordinates::current(conn_, options_.scale);
    std::uint32_t values[] = {u32(coords.rootX(topLeft.x)), u32(coords.rootY(topLeft.y))};
    auto attrs = conn_.reply(xcb_get_window_attributes(conn_.raw(), window),
                             xcb_get_window_attributes_reply);
    if (!attrs) {
        return attrs.error().connectionLost ? axstatus::cannotComplete : axstatus::invalidElement;
    }
    hearAnswers(window, attrs->your_event_mask);
    if (auto err = conn_.check(xcb_configure_window_checked(
            conn_.raw(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values))) {
        stopHearing(window);
        return err->connectionLost ? axstatus::cannotComplete : axstatus::invalidElement;
    }
    awaitConfigure(window, std::nullopt, std::nullopt, deadlineIn(options_.answerTimeout));
    stopHearing(window);
    return axstatus::success;
}

} // namespace vx::x11
