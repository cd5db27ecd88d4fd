// Windows of other applications through the window manager: what a window
// is, where it is and what it allows, read from EWMH and ICCCM properties.
// Writes live in x11_window_placement.cpp.
#include "x11/x11_window_system.h"

#include "x11/app_info.h"
#include "x11/x11_window_detail.h"

#include <algorithm>
#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

namespace vx::x11 {
using namespace window_detail;

PixelRect X11WindowSystem::Geometry::visible() const {
    return {client.x - frame.left + shadow.left, client.y - frame.top + shadow.top,
            client.width + frame.left + frame.right - shadow.left - shadow.right,
            client.height + frame.top + frame.bottom - shadow.top - shadow.bottom};
}

bool X11WindowSystem::supported(const char* atomName) {
    auto list = supportedAtoms(conn_);
    return std::find(list.begin(), list.end(), conn_.atom(atomName)) != list.end();
}

std::vector<xcb_atom_t> X11WindowSystem::atoms(xcb_window_t window, const char* property) {
    auto v = conn_.cardinals(window, conn_.atom(property), XCB_ATOM_ATOM);
    return v ? std::vector<xcb_atom_t>(v->begin(), v->end()) : std::vector<xcb_atom_t>{};
}

bool X11WindowSystem::hasType(xcb_window_t client, std::initializer_list<const char*> types) {
    auto have = atoms(client, "_NET_WM_WINDOW_TYPE");
    for (const char* t : types) {
        if (std::find(have.begin(), have.end(), conn_.atom(t)) != have.end()) {
            return true;
        }
    }
    return false;
}

std::optional<xcb_window_t> X11WindowSystem::liveClient(ElementRef window) {
    if (!isWindowElement(window)) {
        return std::nullopt;
    }
    auto w = static_cast<xcb_window_t>(window.handle);
    // Asked several times at the release of a gesture; a window that goes
    // away within the turn fails the write that follows instead.
    const bool alive = conn_.turnCached<bool>("live " + std::to_string(w), [&] {
        return conn_
            .reply(xcb_get_window_attributes(conn_.raw(), w), xcb_get_window_attributes_reply)
            .ok();
    });
    if (!alive) {
        return std::nullopt;
    }
    return w;
}

std::optional<X11WindowSystem::ClientState> X11WindowSystem::readClient(xcb_window_t client) {
    // Everything is asked for before the first answer is read: one round trip.
    auto raw = conn_.raw();
    auto attrsAsked = xcb_get_window_attributes(raw, client);
    auto geometryAsked = xcb_get_geometry(raw, client);
    auto cornerAsked = xcb_translate_coordinates(raw, client, conn_.root(), 0, 0);
    auto frameAsked = conn_.ask(client, conn_.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    auto shadowAsked = conn_.ask(client, conn_.atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
    auto stateAsked = conn_.ask(client, conn_.atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    auto hintsAsked = xcb_icccm_get_wm_normal_hints(raw, client);
    auto attrs = conn_.reply(attrsAsked, xcb_get_window_attributes_reply);
    auto g = conn_.reply(geometryAsked, xcb_get_geometry_reply);
    auto t = conn_.reply(cornerAsked, xcb_translate_coordinates_reply);
    auto frame = conn_.cardinals(frameAsked);
    auto shadow = conn_.cardinals(shadowAsked);
    auto state = conn_.cardinals(stateAsked);
    xcb_size_hints_t hints{};
    const bool hasHints = xcb_icccm_get_wm_normal_hints_reply(raw, hintsAsked, &hints, nullptr);
    if (!attrs || !g || !t) {
        return std::nullopt;
    }
    auto extents = [](const std::optional<std::vector<std::uint32_t>>& v) {
        Extents e;
        if (v && v->size() == 4) {
            e = {i32((*v)[0]), i32((*v)[1]), i32((*v)[2]), i32((*v)[3])};
        }
        return e;
    };
    ClientState out;
    out.geometry.client = {t->dst_x, t->dst_y, g->width, g->height};
    out.geometry.frame = extents(frame);
    out.geometry.shadow = extents(shadow);
    out.drawsOwnFrame = shadow.has_value();
    out.ourEventMask = attrs->your_event_mask;
    if (state) {
        out.state.assign(state->begin(), state->end());
    }
    if (hasHints) {
        out.sizeHints = hints;
    }
    return out;
}

std::optional<X11WindowSystem::Geometry> X11WindowSystem::geometry(xcb_window_t client) {
    settle(client);
    auto state = readClient(client);
    if (!state) {
        return std::nullopt;
    }
    return state->geometry;
}

// The discovery at the start of a gesture asks for the stacking list, the
// active window and the owners of windows several times over; within one turn
// of the run loop the answers stand.
std::vector<xcb_window_t> X11WindowSystem::stackingFrontToBack() {
    return conn_.turnCached<std::vector<xcb_window_t>>("stacking", [this] {
        auto v =
            conn_.cardinals(conn_.root(), conn_.atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
        return v ? std::vector<xcb_window_t>(v->rbegin(), v->rend()) : std::vector<xcb_window_t>{};
    });
}

std::optional<ProcessID> X11WindowSystem::ownerPid(xcb_window_t window) {
    return conn_.turnCached<std::optional<ProcessID>>("pid " + std::to_string(window),
                                                      [&] { return askOwnerPid(window); });
}

std::optional<ProcessID> X11WindowSystem::askOwnerPid(xcb_window_t window) {
    // The server knows which local process made the window; _NET_WM_PID is
    // only what the client says, and is missing from many.
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    if (auto r = conn_.reply(xcb_res_query_client_ids(conn_.raw(), 1, &spec),
                             xcb_res_query_client_ids_reply)) {
        for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0;
             xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                xcb_res_client_id_value_value_length(it.data) >= 1) {
                return static_cast<ProcessID>(*xcb_res_client_id_value_value(it.data));
            }
        }
    }
    if (auto pid = conn_.cardinal(window, conn_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL)) {
        if (*pid > 0) {
            return static_cast<ProcessID>(*pid);
        }
    }
    return std::nullopt;
}

std::optional<xcb_window_t> X11WindowSystem::frameOf(xcb_window_t client) {
    xcb_window_t w = client;
    for (int depth = 0; depth < 16; ++depth) {
        auto t = conn_.reply(xcb_query_tree(conn_.raw(), w), xcb_query_tree_reply);
        if (!t) {
            return std::nullopt;
        }
        if (t->parent == t->root || t->parent == XCB_WINDOW_NONE) {
            return w;
        }
        w = t->parent;
    }
    return std::nullopt;
}

std::optional<xcb_window_t> X11WindowSystem::clientForWindowID(WindowID id) {
    auto list = conn_.cardinals(conn_.root(), conn_.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (!list) {
        return std::nullopt;
    }
    if (std::find(list->begin(), list->end(), id) != list->end()) {
        return id;
    }
    for (auto c : *list) {
        if (frameOf(c) == id) {
            return c;
        }
    }
    return std::nullopt;
}

// --- accessibility ---

AXRead<ElementRef> X11WindowSystem::focusedApplication() {
    auto active = activeWindow(conn_);
    if (!active || *active == 0) {
        return AXRead<ElementRef>::error(axstatus::noValue);
    }
    auto pid = ownerPid(*active);
    if (!pid) {
        return AXRead<ElementRef>::error(axstatus::noValue);
    }
    return AXRead<ElementRef>::of(applicationElement(*pid));
}

ProcessID X11WindowSystem::pid(ElementRef application) {
    if (application.handle <= kApplicationTag) {
        return 0;
    }
    return static_cast<ProcessID>(application.handle - kApplicationTag);
}

ElementRef X11WindowSystem::applicationElement(ProcessID p) {
    if (p <= 0) {
        return {};
    }
    return ElementRef{kApplicationTag + static_cast<std::uint64_t>(p)};
}

AXRead<ElementRef> X11WindowSystem::focusedWindow(ElementRef application) {
    ProcessID p = pid(application);
    if (p == 0 || !processExists(p)) {
        return AXRead<ElementRef>::error(axstatus::invalidElement);
    }
    auto active = activeWindow(conn_);
    if (active && *active != 0 && ownerPid(*active) == p) {
        return AXRead<ElementRef>::of(windowElement(*active));
    }
    // Not focused now: its most recently raised window.
    auto all = windows(application);
    if (all.ok() && !all.value->empty()) {
        return AXRead<ElementRef>::of(all.value->front());
    }
    return AXRead<ElementRef>::error(axstatus::noValue);
}

AXRead<std::vector<ElementRef>> X11WindowSystem::windows(ElementRef application) {
    ProcessID p = pid(application);
    if (p == 0 || !processExists(p)) {
        return AXRead<std::vector<ElementRef>>::error(axstatus::invalidElement);
    }
    std::vector<ElementRef> out;
    for (auto w : stackingFrontToBack()) {
        if (ownerPid(w) == p &&
            !hasType(w, {"_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_DOCK"})) {
            out.push_back(windowElement(w));
        }
    }
    return AXRead<std::vector<ElementRef>>::of(std::move(out));
}

AXRead<Point> X11WindowSystem::position(ElementRef window) {
    auto g =
        isWindowElement(window) ? geometry(static_cast<xcb_window_t>(window.handle)) : std::nullopt;
    if (!g) {
        return AXRead<Point>::error(axstatus::invalidElement);
    }
    auto coords = Coordinates::current(conn_, options_.scale);
    auto v = g->visible();
    return AXRead<Point>::of(coords.topLeftPoint(v.x, v.y));
}

AXRead<Size> X11WindowSystem::size(ElementRef window) {
    auto g =
        isWindowElement(window) ? geometry(static_cast<xcb_window_t>(window.handle)) : std::nullopt;
    if (!g) {
        return AXRead<Size>::error(axstatus::invalidElement);
    }
    auto v = g->visible();
    return AXRead<Size>::of(Size{v.width / options_.scale, v.height / options_.scale});
}

AXRead<std::string> X11WindowSystem::role(ElementRef element) {
    if (isWindowElement(element)) {
        if (liveClient(element)) {
            return AXRead<std::string>::of("AXWindow");
        }
        return AXRead<std::string>::error(axstatus::invalidElement);
    }
    if (processExists(pid(element))) {
        return AXRead<std::string>::of("AXApplication");
    }
    return AXRead<std::string>::error(axstatus::invalidElement);
}

AXRead<std::string> X11WindowSystem::title(ElementRef window) {
    auto c = liveClient(window);
    if (!c) {
        return AXRead<std::string>::error(axstatus::invalidElement);
    }
    if (auto t = conn_.text(*c, conn_.atom("_NET_WM_NAME"), XCB_ATOM_WM_NAME)) {
        return AXRead<std::string>::of(*t);
    }
    return AXRead<std::string>::error(axstatus::noValue);
}

AXRead<bool> X11WindowSystem::isPositionSettable(ElementRef window) {
    return allows(window, "_NET_WM_ACTION_MOVE", false);
}

AXRead<bool> X11WindowSystem::isSizeSettable(ElementRef window) {
    return allows(window, "_NET_WM_ACTION_RESIZE", true);
}

AXRead<bool> X11WindowSystem::allows(ElementRef window, const char* action, bool fixedSizeRefuses) {
    auto c = liveClient(window);
    if (!c) {
        return AXRead<bool>::error(axstatus::invalidElement);
    }
    if (hasType(*c, {"_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_DOCK"})) {
        return AXRead<bool>::of(false);
    }
    if (fixedSizeRefuses) {
        // Equal minimum and maximum: a size the window keeps whatever is asked.
        xcb_size_hints_t hints{};
        auto cookie = xcb_icccm_get_wm_normal_hints(conn_.raw(), *c);
        if (xcb_icccm_get_wm_normal_hints_reply(conn_.raw(), cookie, &hints, nullptr)) {
            bool hasMin = hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
            bool hasMax = hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
            if (hasMin && hasMax && hints.min_width == hints.max_width &&
                hints.min_height == hints.max_height) {
                return AXRead<bool>::of(false);
            }
        }
    }
    // A manager that lists what a window allows has the last word.
    auto allowed = conn_.cardinals(*c, conn_.atom("_NET_WM_ALLOWED_ACTIONS"), XCB_ATOM_ATOM);
    if (allowed) {
        return AXRead<bool>::of(std::find(allowed->begin(), allowed->end(), conn_.atom(action)) !=
                                allowed->end());
    }
    return AXRead<bool>::of(true);
}

AXRead<WindowID> X11WindowSystem::windowID(ElementRef window) {
    auto c = liveClient(window);
    auto f = c ? frameOf(*c) : std::nullopt;
    if (!f) {
        return AXRead<WindowID>::error(axstatus::invalidElement);
    }
    return AXRead<WindowID>::of(*f);
}

std::optional<std::string> X11WindowSystem::windowManagerName() {
    // The check window names the running manager; a stale check window of a
    // manager that went away does not point at itself.
    auto check = conn_.atom("_NET_SUPPORTING_WM_CHECK");
    auto w = conn_.cardinal(conn_.root(), check, XCB_ATOM_WINDOW);
    if (!w || *w == 0 || conn_.cardinal(*w, check, XCB_ATOM_WINDOW) != *w) {
        return std::nullopt;
    }
    auto name = conn_.text(*w, conn_.atom("_NET_WM_NAME"), XCB_ATOM_WM_NAME);
    if (!name || name->empty()) {
        return std::nullopt;
    }
    return name;
}

} // namespace vx::x11
