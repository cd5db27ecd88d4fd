// Placing a window through the window manager: a _NET_MOVERESIZE_WINDOW
// request (or a configure request where the manager has none), answered or not
// within a bounded wait, after taking maximized state off.
#include "x11/x11_window_detail.h"
#include "x11/x11_window_system.h"

#include <algorithm>
#include <xcb/xcb_icccm.h>

namespace vx::x11 {
using namespace window_detail;
namespace {

// _NET_MOVERESIZE_WINDOW: which fields count, and "sent by a pager-like tool"
// so the manager treats it as the user's wish rather than the application's.
constexpr std::uint32_t kMoveX = 1u << 8, kMoveY = 1u << 9, kMoveW = 1u << 10, kMoveH = 1u << 11;
constexpr std::uint32_t kSourcePager = 2u << 12;

// Matches the notice that `atom` changed on `window`.
auto propertyChanged(xcb_window_t window, xcb_atom_t atom) {
    return [window, atom](const xcb_generic_event_t& ev) {
        if (eventType(ev) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
        return p.window == window && p.atom == atom;
    };
}

} // namespace

void X11WindowSystem::hearAnswers(xcb_window_t client, std::uint32_t currentMask) {
    constexpr std::uint32_t heard =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (maskBefore_.count(client) > 0 || (currentMask & heard) == heard) {
        return;
    }
    maskBefore_.emplace(client, currentMask);
    conn_.selectInput(client, heard);
    // Where nothing reads the answer back this turn, the end of the turn does.
    sendLater();
}

void X11WindowSystem::stopHearing(xcb_window_t client) {
    auto it = maskBefore_.find(client);
    if (it == maskBefore_.end() || pending_.count(client) > 0) {
        return;
    }
    std::uint32_t before = it->second;
    maskBefore_.erase(it);
    conn_.forgetTurnCached(stateKey(client));
    // Checked, so a window gone meanwhile answers with an error value here
    // rather than with noise in the event stream.
    (void)conn_.check(
        xcb_change_window_attributes_checked(conn_.raw(), client, XCB_CW_EVENT_MASK, &before));
}

void X11WindowSystem::finishTurn() {
    sendScheduled_ = false;
    std::vector<xcb_window_t> waiting;
    for (const auto& [client, p] : pending_) {
        waiting.push_back(client);
    }
    for (auto client : waiting) {
        settle(client);
    }
    std::vector<xcb_window_t> heard;
    for (const auto& [client, mask] : maskBefore_) {
        heard.push_back(client);
    }
    for (auto client : heard) {
        stopHearing(client);
    }
}

void X11WindowSystem::clearMaximized(xcb_window_t client, bool drawsOwnFrame) {
    auto stateAtom = conn_.atom("_NET_WM_STATE");
    auto vert = conn_.atom("_NET_WM_STATE_MAXIMIZED_VERT");
    auto horz = conn_.atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    auto full = conn_.atom("_NET_WM_STATE_FULLSCREEN");
    auto holds = [&] {
        auto s = atoms(client, "_NET_WM_STATE");
        return std::any_of(s.begin(), s.end(),
                           [&](xcb_atom_t a) { return a == vert || a == horz || a == full; });
    };
    constexpr std::uint32_t remove = 0, sourcePager = 2;
    if (conn_.sendRootMessage(client, stateAtom, {remove, vert, horz, sourcePager, 0}) ||
        conn_.sendRootMessage(client, stateAtom, {remove, full, 0, sourcePager, 0})) {
        return;
    }
    auto deadline = deadlineIn(options_.answerTimeout);
    while (holds()) {
        auto e = conn_.waitFor(propertyChanged(client, stateAtom), deadline);
        if (!e) {
            return; // not answered in time: the write goes ahead and the read-back judges
        }
    }
    if (drawsOwnFrame) {
        // While maximized a header-bar window publishes no shadow; it puts its
        // shadow back only after the restore, and a placement computed before
        // that lands off by the shadow's width. The client answers the manager,
        // not us, so its answer gets a wait of its own (a loaded machine spent
        // the whole of one shared wait on the manager's part), and it is the
        // value that counts: a notice may still carry the zero shadow.
        auto shadowAtom = conn_.atom("_GTK_FRAME_EXTENTS");
        auto shadowShown = [&] {
            auto v = conn_.cardinals(client, shadowAtom, XCB_ATOM_CARDINAL);
            return v && std::any_of(v->begin(), v->end(), [](std::uint32_t e) { return e > 0; });
        };
        auto shadowDeadline = deadlineIn(options_.answerTimeout);
        while (!shadowShown() &&
               conn_.waitFor(propertyChanged(client, shadowAtom), shadowDeadline)) {
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
    sendScheduled_ = conn_.atTurnEnd(lifetime_.guard([this] { finishTurn(); }));
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
        stopHearing(client);
        return;
    }
    if (!awaitConfigure(client, p.resized ? std::optional{std::pair{p.w, p.h}} : std::nullopt,
                        std::pair{p.clientXBefore, p.clientYBefore}, p.deadline)) {
        ++unanswered_;
    }
    stopHearing(client);
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
        stopHearing(client);
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
        conn_.forgetTurnCached(key);
        state = readClient(c);
        if (!state) {
            return std::nullopt;
        }
        const auto& shadow = state->geometry.shadow;
        const bool shadowHidden =
            state->drawsOwnFrame && shadow.left == 0 && shadow.right == 0 && shadow.top == 0;
        hearAnswers(c, state->ourEventMask);
        clearMaximized(c, shadowHidden);
        state = readClient(c);
        if (!state) {
            stopHearing(c);
            return std::nullopt;
        }
    } else {
        // The answers a write waits for, heard only until they come.
        hearAnswers(c, state->ourEventMask);
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

} // namespace vx::x11
