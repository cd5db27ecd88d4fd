// Windows of other applications through the window manager: reads from EWMH
// and ICCCM properties, writes as _NET_MOVERESIZE_WINDOW requests, each
// answered (or not) within a bounded wait.
#include "x11/x11_window_system.h"

#include "x11/app_info.h"

#include <algorithm>
#include <set>
#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

namespace vx::x11 {
namespace {

constexpr std::uint64_t kApplicationTag = 1ull << 32;

// _NET_MOVERESIZE_WINDOW: which fields count, and "sent by a pager-like tool"
// so the manager treats it as the user's wish rather than the application's.
constexpr std::uint32_t kMoveX = 1u << 8, kMoveY = 1u << 9, kMoveW = 1u << 10, kMoveH = 1u << 11;
constexpr std::uint32_t kSourcePager = 2u << 12;

// Where a client's state read for a write is kept for the turn.
std::string stateKey(xcb_window_t client) {
    return "client " + std::to_string(client);
}

bool isWindowElement(ElementRef e) {
    return e.handle != 0 && e.handle < kApplicationTag;
}

std::int32_t i32(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}
std::uint32_t u32(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}

} // namespace

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

void X11WindowSystem::clearMaximized(xcb_window_t client) {
    auto stateAtom = conn_.atom("_NET_WM_STATE");
    auto vert = conn_.atom("_NET_WM_STATE_MAXIMIZED_VERT");
    auto horz = conn_.atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    auto full = conn_.atom("_NET_WM_STATE_FULLSCREEN");
    auto holds = [&] {
        auto s = atoms(client, "_NET_WM_STATE");
        return std::any_of(s.begin(), s.end(),
                           [&](xcb_atom_t a) { return a == vert || a == horz || a == full; });
    };
    conn_.selectInput(client, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    constexpr std::uint32_t remove = 0, sourcePager = 2;
    if (conn_.sendRootMessage(client, stateAtom, {remove, vert, horz, sourcePager, 0}) ||
        conn_.sendRootMessage(client, stateAtom, {remove, full, 0, sourcePager, 0})) {
        return;
    }
    auto deadline = deadlineIn(options_.answerTimeout);
    while (holds()) {
        auto e = conn_.waitFor(
            [&](const xcb_generic_event_t& ev) {
                if (eventType(ev) != XCB_PROPERTY_NOTIFY) {
                    return false;
                }
                const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
                return p.window == client && p.atom == stateAtom;
            },
            deadline);
        if (!e) {
            return; // not answered in time: the write goes ahead and the read-back judges
        }
    }
    // The restore's own configure answers are stale for the write that follows.
    conn_.sync();
    conn_.discard([&](const xcb_generic_event_t& ev) {
        return eventType(ev) == XCB_CONFIGURE_NOTIFY &&
               reinterpret_cast<const xcb_configure_notify_event_t&>(ev).window == client;
    });
}

bool X11WindowSystem::awaitConfigure(xcb_window_t window,
                                     std::optional<std::pair<std::int32_t, std::int32_t>> size,
                                     std::optional<std::pair<std::int32_t, std::int32_t>> before,
                                     Deadline deadline) {
    // Fluxbox answers a move-resize with a notice at the old size first and
    // resizes later: a size change waits for the client's notice at the new
    // size (or the deadline, when the manager grants another). A manager may
    // also still be busy with a window it has just taken (Fluxbox sends notices
    // at the old place a few milliseconds after _NET_FRAME_EXTENTS appears):
    // for a move, a notice that repeats the client's corner from before the
    // request is no answer to it. Not "the corner asked for" either: Openbox
    // reports a client that had a border (xterm) one pixel off. Only a
    // synthetic notice gives root coordinates; a reparented client's real one
    // is relative to its frame.
    auto e = conn_.waitFor(
        [&](const xcb_generic_event_t& ev) {
            if (eventType(ev) != XCB_CONFIGURE_NOTIFY) {
                return false;
            }
            const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(ev);
            if (c.window != window) {
                return false;
            }
            if (size) {
                return c.width == size->first && c.height == size->second;
            }
            if (!before) {
                return true;
            }
            const bool synthetic = (ev.response_type & 0x80) != 0;
            return synthetic && (c.x != before->first || c.y != before->second);
        },
        deadline);
    if (!e) {
        return false;
    }
    // The manager moves the frame and the client in one go; one round trip
    // lets the rest of that go through before the caller reads back.
    conn_.sync();
    return true;
}

bool X11WindowSystem::sendMoveResize(xcb_window_t client, const Pending& p) {
    conn_.forgetTurnCached(stateKey(client));
    // NorthWestGravity: x and y name the frame's outer corner, whatever the
    // decorations. StaticGravity (x, y = the client's corner) lands off by the
    // border width the client had before the manager took it (1 px for xterm
    // under Openbox), which nobody can read back. Every field is sent, the
    // unchanged ones as they will be: Fluxbox reads a position-only request's
    // size from its own frame and grows the window by the decorations with
    // every move.
    std::array<std::uint32_t, 5> data{XCB_GRAVITY_NORTH_WEST | kSourcePager | kMoveX | kMoveY |
                                          kMoveW | kMoveH,
                                      u32(p.x), u32(p.y), u32(p.w), u32(p.h)};
    // Not checked: a client message to the root has nothing the server could
    // refuse, and the read that follows waits for the answer anyway.
    return conn_.postRootMessage(client, conn_.atom("_NET_MOVERESIZE_WINDOW"), data);
}

bool X11WindowSystem::sendLater() {
    if (sendScheduled_) {
        return true;
    }
    sendScheduled_ = conn_.atTurnEnd(lifetime_.guard([this] { sendUnsent(); }));
    return sendScheduled_;
}

void X11WindowSystem::sendUnsent() {
    sendScheduled_ = false;
    for (auto& [client, p] : pending_) {
        if (p.unsent) {
            p.unsent = false;
            sendMoveResize(client, p);
        }
    }
}

void X11WindowSystem::settle(xcb_window_t client) {
    auto it = pending_.find(client);
    if (it == pending_.end()) {
        return;
    }
    const Pending p = it->second;
    pending_.erase(it);
    if (p.unsent && !sendMoveResize(client, p)) {
        return;
    }
    if (!awaitConfigure(client, p.resized ? std::optional{std::pair{p.w, p.h}} : std::nullopt,
                        std::pair{p.clientXBefore, p.clientYBefore}, p.deadline)) {
        ++unanswered_;
    }
}

AXStatus X11WindowSystem::configure(xcb_window_t client, const Geometry& g,
                                    std::optional<std::pair<std::int32_t, std::int32_t>> xy,
                                    std::optional<std::pair<std::int32_t, std::int32_t>> wh) {
    if (wh && (wh->first <= 0 || wh->second <= 0)) {
        return axstatus::illegalArgument;
    }
    // A write builds on the request before it that is still unanswered, so
    // that a size sent right after a position keeps the new position.
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(pending_, [&](const auto& entry) {
        return !entry.second.unsent && entry.second.deadline <= now;
    });
    Pending base{g.client.x - g.frame.left,
                 g.client.y - g.frame.top,
                 g.client.width,
                 g.client.height,
                 false,
                 now,
                 g.client.x,
                 g.client.y};
    if (auto it = pending_.find(client); it != pending_.end()) {
        base = it->second;
    }
    Pending next = base;
    if (xy) {
        std::tie(next.x, next.y) = *xy;
    }
    if (wh) {
        std::tie(next.w, next.h) = *wh;
    }
    if (next.x == base.x && next.y == base.y && next.w == base.w && next.h == base.h) {
        return axstatus::success; // no answer would come: nothing to wait for
    }
    next.resized = base.resized || next.w != base.w || next.h != base.h;
    next.deadline = deadlineIn(options_.answerTimeout);
    conn_.discard([&](const xcb_generic_event_t& ev) {
        return eventType(ev) == XCB_CONFIGURE_NOTIFY &&
               reinterpret_cast<const xcb_configure_notify_event_t&>(ev).window == client;
    });

    if (supported("_NET_MOVERESIZE_WINDOW")) {
        // A placement sends a position and then a size: the position waits
        // (until the size, a read of the window, or the end of this turn of
        // the run loop at the latest) so that both go out as one request and
        // the manager moves and resizes the window once.
        const bool sizeChanges = next.w != base.w || next.h != base.h;
        if (!sizeChanges && sendLater()) {
            next.unsent = true;
            pending_[client] = next;
            return axstatus::success;
        }
        next.unsent = false;
        if (!sendMoveResize(client, next)) {
            return axstatus::cannotComplete;
        }
    } else {
        // A configure request on the client; the manager places the frame by
        // the client's own gravity, which for the usual NorthWest means x, y
        // name the frame's corner: take the extents back off.
        xcb_size_hints_t hints{};
        auto cookie = xcb_icccm_get_wm_normal_hints(conn_.raw(), client);
        bool staticGravity =
            xcb_icccm_get_wm_normal_hints_reply(conn_.raw(), cookie, &hints, nullptr) &&
            (hints.flags & XCB_ICCCM_SIZE_HINT_P_WIN_GRAVITY) &&
            hints.win_gravity == XCB_GRAVITY_STATIC;
        // x, y name the frame's corner; a client of static gravity asks with its own.
        std::int32_t x = next.x, y = next.y;
        if (staticGravity) {
            x += g.frame.left;
            y += g.frame.top;
        }
        std::uint16_t mask = 0;
        std::vector<std::uint32_t> values;
        if (next.x != base.x || next.y != base.y) {
            mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
            values.push_back(u32(x));
            values.push_back(u32(y));
        }
        if (next.w != base.w || next.h != base.h) {
            mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
            values.push_back(u32(next.w));
            values.push_back(u32(next.h));
        }
        if (auto err = conn_.check(
                xcb_configure_window_checked(conn_.raw(), client, mask, values.data()))) {
            return err->connectionLost ? axstatus::cannotComplete : axstatus::invalidElement;
        }
    }
    pending_[client] = next;
    return axstatus::success;
}

std::optional<X11WindowSystem::WriteTarget> X11WindowSystem::prepareWrite(ElementRef window) {
    if (!isWindowElement(window)) {
        return std::nullopt;
    }
    auto c = static_cast<xcb_window_t>(window.handle);
    // The size of a placement follows its position, which is held back: the
    // window has not changed since the position read it, within this turn.
    const auto key = stateKey(c);
    auto state = conn_.turnCached<std::optional<ClientState>>(key, [&] { return readClient(c); });
    if (!state) {
        return std::nullopt;
    }
    auto is = [&](const char* name) {
        return std::find(state->state.begin(), state->state.end(), conn_.atom(name)) !=
               state->state.end();
    };
    if (is("_NET_WM_STATE_MAXIMIZED_VERT") || is("_NET_WM_STATE_MAXIMIZED_HORZ") ||
        is("_NET_WM_STATE_FULLSCREEN")) {
        // A maximized window ignores a new geometry until it is restored.
        settle(c);
        clearMaximized(c);
        conn_.forgetTurnCached(key);
        state = readClient(c);
        if (!state) {
            return std::nullopt;
        }
    }
    // The answers a read waits for.
    constexpr std::uint32_t heard =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if ((state->ourEventMask & heard) != heard) {
        conn_.selectInput(c, heard);
        conn_.forgetTurnCached(key);
    }
    return WriteTarget{c, std::move(*state), Coordinates::current(conn_, options_.scale)};
}

AXStatus X11WindowSystem::setPosition(ElementRef window, Point topLeft) {
    auto target = prepareWrite(window);
    if (!target) {
        return axstatus::invalidElement;
    }
    const auto& [c, state, coords] = *target;
    const auto& g = state.geometry;
    // The visible corner goes to the target: the frame's corner lies outside
    // it by the client's own invisible shadow.
    std::int32_t x = coords.rootX(topLeft.x) - g.shadow.left;
    std::int32_t y = coords.rootY(topLeft.y) - g.shadow.top;
    return configure(c, g, std::pair{x, y}, std::nullopt);
}

std::pair<std::int32_t, std::int32_t>
X11WindowSystem::constrainedSize(const std::optional<xcb_size_hints_t>& sizeHints, std::int32_t w,
                                 std::int32_t h) {
    if (!sizeHints) {
        return {w, h};
    }
    const auto& hints = *sizeHints;
    const bool hasMin = hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
    const bool hasMax = hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
    const bool hasBase = hints.flags & XCB_ICCCM_SIZE_HINT_BASE_SIZE;
    const bool hasInc = hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC;
    // Each missing one of base and minimum stands in for the other.
    const std::int32_t minW = hasMin ? hints.min_width : hasBase ? hints.base_width : 1;
    const std::int32_t minH = hasMin ? hints.min_height : hasBase ? hints.base_height : 1;
    const std::int32_t baseW = hasBase ? hints.base_width : hasMin ? hints.min_width : 0;
    const std::int32_t baseH = hasBase ? hints.base_height : hasMin ? hints.min_height : 0;
    auto fit = [](std::int32_t v, std::int32_t lo, std::int32_t hi, std::int32_t base,
                  std::int32_t inc, bool stepped) {
        v = std::max(v, lo);
        if (hi > 0) {
            v = std::min(v, hi);
        }
        if (stepped && inc > 1 && v > base) {
            v = base + (v - base) / inc * inc;
        }
        return std::max(v, std::max(lo, 1));
    };
    return {fit(w, minW, hasMax ? hints.max_width : 0, baseW, hints.width_inc, hasInc),
            fit(h, minH, hasMax ? hints.max_height : 0, baseH, hints.height_inc, hasInc)};
}

AXStatus X11WindowSystem::setSize(ElementRef window, Size s) {
    auto target = prepareWrite(window);
    if (!target) {
        return axstatus::invalidElement;
    }
    const auto& [c, state, coords] = *target;
    const auto& g = state.geometry;
    std::int32_t w =
        coords.pixels(s.width) - g.frame.left - g.frame.right + g.shadow.left + g.shadow.right;
    std::int32_t h =
        coords.pixels(s.height) - g.frame.top - g.frame.bottom + g.shadow.top + g.shadow.bottom;
    // Ask for the size the manager will grant anyway: when that is the size the
    // window already has, no answer comes and there is nothing to wait for.
    auto [cw, ch] = constrainedSize(state.sizeHints, std::max(w, 1), std::max(h, 1));
    return configure(c, g, std::nullopt, std::pair{cw, ch});
}

AXRead<WindowID> X11WindowSystem::windowID(ElementRef window) {
    auto c = liveClient(window);
    auto f = c ? frameOf(*c) : std::nullopt;
    if (!f) {
        return AXRead<WindowID>::error(axstatus::invalidElement);
    }
    return AXRead<WindowID>::of(*f);
}

// --- processes and applications ---

ProcessID X11WindowSystem::ownProcessID() {
    return static_cast<ProcessID>(::getpid());
}

std::optional<std::string> X11WindowSystem::ownerName(ProcessID p,
                                                      std::optional<xcb_window_t> client) {
    if (client) {
        xcb_icccm_get_wm_class_reply_t cls{};
        auto cookie = xcb_icccm_get_wm_class(conn_.raw(), *client);
        if (xcb_icccm_get_wm_class_reply(conn_.raw(), cookie, &cls, nullptr)) {
            std::string instance = cls.instance_name ? cls.instance_name : "";
            std::string klass = cls.class_name ? cls.class_name : "";
            xcb_icccm_get_wm_class_reply_wipe(&cls);
            if (auto e = findDesktopEntry(instance, klass)) {
                return e->name;
            }
            if (!klass.empty()) {
                return klass;
            }
        }
    }
    return processCommand(p);
}

std::optional<RunningApplication> X11WindowSystem::runningApplication(ProcessID p) {
    if (!processExists(p)) {
        return std::nullopt;
    }
    std::optional<xcb_window_t> front;
    for (auto w : stackingFrontToBack()) {
        if (ownerPid(w) == p) {
            front = w;
            break;
        }
    }
    RunningApplication app;
    app.processID = p;
    app.localizedName = ownerName(p, front);
    if (front) {
        xcb_icccm_get_wm_class_reply_t cls{};
        auto cookie = xcb_icccm_get_wm_class(conn_.raw(), *front);
        if (xcb_icccm_get_wm_class_reply(conn_.raw(), cookie, &cls, nullptr)) {
            std::string instance = cls.instance_name ? cls.instance_name : "";
            std::string klass = cls.class_name ? cls.class_name : "";
            xcb_icccm_get_wm_class_reply_wipe(&cls);
            auto e = findDesktopEntry(instance, klass);
            app.bundleIdentifier = e ? e->id : klass;
        }
    }
    if (auto exe = processExecutable(p)) {
        app.bundlePath = installPrefix(*exe);
    }
    return app;
}

std::optional<RunningApplication> X11WindowSystem::frontmostApplication() {
    auto f = focusedApplication();
    if (!f.ok()) {
        return std::nullopt;
    }
    return runningApplication(pid(*f.value));
}

std::vector<RunningApplication> X11WindowSystem::runningApplications() {
    std::set<ProcessID> seen;
    std::vector<RunningApplication> out;
    for (auto w : stackingFrontToBack()) {
        if (auto p = ownerPid(w); p && seen.insert(*p).second) {
            if (auto app = runningApplication(*p)) {
                out.push_back(std::move(*app));
            }
        }
    }
    return out;
}

std::optional<Image> X11WindowSystem::applicationIcon(ProcessID p) {
    std::optional<xcb_window_t> front;
    for (auto w : stackingFrontToBack()) {
        if (ownerPid(w) == p) {
            front = w;
            break;
        }
    }
    if (!front) {
        return std::nullopt;
    }
    if (auto v = conn_.cardinals(*front, conn_.atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL)) {
        // width, height, then width * height ARGB words, repeated per size.
        std::size_t best = 0, bestArea = 0;
        for (std::size_t i = 0; i + 2 <= v->size();) {
            std::size_t w = (*v)[i], h = (*v)[i + 1];
            if (w == 0 || h == 0 || w > 4096 || h > 4096 || i + 2 + w * h > v->size()) {
                break;
            }
            if (w * h > bestArea) {
                bestArea = w * h;
                best = i;
            }
            i += 2 + w * h;
        }
        if (bestArea > 0) {
            Image img;
            img.width = static_cast<int>((*v)[best]);
            img.height = static_cast<int>((*v)[best + 1]);
            img.rgba.reserve(bestArea * 4);
            for (std::size_t k = 0; k < bestArea; ++k) {
                std::uint32_t argb = (*v)[best + 2 + k];
                img.rgba.push_back(static_cast<std::uint8_t>(argb >> 16));
                img.rgba.push_back(static_cast<std::uint8_t>(argb >> 8));
                img.rgba.push_back(static_cast<std::uint8_t>(argb));
                img.rgba.push_back(static_cast<std::uint8_t>(argb >> 24));
            }
            return img;
        }
    }
    if (!iconLookup_) {
        return std::nullopt;
    }
    xcb_icccm_get_wm_class_reply_t cls{};
    auto cookie = xcb_icccm_get_wm_class(conn_.raw(), *front);
    if (!xcb_icccm_get_wm_class_reply(conn_.raw(), cookie, &cls, nullptr)) {
        return std::nullopt;
    }
    std::string instance = cls.instance_name ? cls.instance_name : "";
    std::string klass = cls.class_name ? cls.class_name : "";
    xcb_icccm_get_wm_class_reply_wipe(&cls);
    auto e = findDesktopEntry(instance, klass);
    return iconLookup_(e && !e->icon.empty() ? e->icon : instance);
}

// --- window server ---

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
    conn_.selectInput(window, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    if (auto err = conn_.check(xcb_configure_window_checked(
            conn_.raw(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values))) {
        return err->connectionLost ? axstatus::cannotComplete : axstatus::invalidElement;
    }
    awaitConfigure(window, std::nullopt, std::nullopt, deadlineIn(options_.answerTimeout));
    return axstatus::success;
}

} // namespace vx::x11
