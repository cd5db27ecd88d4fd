// Monitors, their free areas and the pointer, read from the server (once per
// turn of the run loop where the program keeps turn state).
#include "x11/x11_screens.h"

#include <algorithm>
#include <set>
#include <string>

namespace vx::x11 {
namespace {

bool overlaps(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) {
    return a0 < b1 && b0 < a1;
}

PixelRect intersect(const PixelRect& a, const PixelRect& b) {
    std::int32_t l = std::max(a.x, b.x), t = std::max(a.y, b.y);
    std::int32_t r = std::min(a.right(), b.right()), bt = std::min(a.bottom(), b.bottom());
    return {l, t, std::max(0, r - l), std::max(0, bt - t)};
}

// The per-monitor work areas a window manager publishes, for the current desktop.
std::vector<PixelRect> publishedWorkAreas(Connection& conn, Connection::AskedProperty desktopAsked,
                                          std::size_t monitorCount) {
    auto current = conn.cardinals(desktopAsked);
    auto desktop = current && !current->empty() ? current->front() : 0;
    // All three asked at once: the first that answers wins.
    auto desktopSuffix = std::to_string(desktop);
    auto netAreas =
        conn.ask(conn.root(), conn.atom("_NET_WORKAREAS_D" + desktopSuffix), XCB_ATOM_CARDINAL);
    auto gtkAreas =
        conn.ask(conn.root(), conn.atom("_GTK_WORKAREAS_D" + desktopSuffix), XCB_ATOM_CARDINAL);
    auto wholeArea = conn.ask(conn.root(), conn.atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
    auto net = conn.cardinals(netAreas);
    auto gtk = conn.cardinals(gtkAreas);
    auto whole = conn.cardinals(wholeArea);
    std::vector<PixelRect> out;
    auto quads = [&](const std::vector<std::uint32_t>& v, std::size_t from, std::size_t count) {
        for (std::size_t i = from; i + 3 < v.size() && i < from + count * 4; i += 4) {
            out.push_back({static_cast<std::int32_t>(v[i]), static_cast<std::int32_t>(v[i + 1]),
                           static_cast<std::int32_t>(v[i + 2]),
                           static_cast<std::int32_t>(v[i + 3])});
        }
    };
    // By pointer: copies of the two optionals into a list make GCC 12 warn of
    // a vector used uninitialized at -O3, which it is not.
    for (const auto* perMonitor : {&net, &gtk}) {
        if (*perMonitor) {
            quads(**perMonitor, 0, (*perMonitor)->size() / 4);
            return out;
        }
    }
    // One area for the whole root: meaningful only with one monitor.
    if (monitorCount == 1 && whole) {
        quads(*whole, static_cast<std::size_t>(desktop) * 4, 1);
    }
    return out;
}

} // namespace

std::vector<Strut> readStruts(Connection& conn) {
    std::vector<Strut> out;
    auto partialAtom = conn.atom("_NET_WM_STRUT_PARTIAL");
    auto strutAtom = conn.atom("_NET_WM_STRUT");
    if (partialAtom == XCB_ATOM_NONE || strutAtom == XCB_ATOM_NONE) {
        return out;
    }
    // Each step asks everything it needs before reading the first answer: a
    // round trip per step rather than one per window and property.
    auto stackingAsked =
        conn.ask(conn.root(), conn.atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    auto clientsAsked = conn.ask(conn.root(), conn.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    auto treeAsked = xcb_query_tree(conn.raw(), conn.root());
    auto root = rootSize(conn);
    std::set<xcb_window_t> candidates;
    auto stacking = conn.cardinals(stackingAsked);
    auto clients = conn.cardinals(clientsAsked);
    if (stacking) {
        candidates.insert(stacking->begin(), stacking->end());
    } else if (clients) {
        candidates.insert(clients->begin(), clients->end());
    }
    // A dock need not be listed nor a child of the root: i3 leaves its bar out
    // of the client lists and reparents it into a frame of its own. One level
    // below the root's children finds it there; deeper nesting is a decorated
    // client, which the lists name. Bounded, so a desktop of thousands of
    // windows costs one round trip and no more.
    constexpr std::size_t kMostFramesWalked = 512;
    std::vector<xcb_query_tree_cookie_t> framesAsked;
    if (auto tree = conn.reply(treeAsked, xcb_query_tree_reply)) {
        auto* kids = xcb_query_tree_children(tree.get());
        const auto count = static_cast<std::size_t>(xcb_query_tree_children_length(tree.get()));
        candidates.insert(kids, kids + count);
        for (std::size_t i = 0; i < count && i < kMostFramesWalked; ++i) {
            framesAsked.push_back(xcb_query_tree(conn.raw(), kids[i]));
        }
    }
    for (auto frameAsked : framesAsked) {
        if (auto frame = conn.reply(frameAsked, xcb_query_tree_reply)) {
            auto* inner = xcb_query_tree_children(frame.get());
            candidates.insert(inner, inner + xcb_query_tree_children_length(frame.get()));
        }
    }
    std::vector<std::pair<Connection::AskedProperty, Connection::AskedProperty>> asked;
    asked.reserve(candidates.size());
    for (auto w : candidates) {
        asked.emplace_back(conn.ask(w, partialAtom, XCB_ATOM_CARDINAL, 12),
                           conn.ask(w, strutAtom, XCB_ATOM_CARDINAL, 4));
    }
    std::vector<std::pair<xcb_window_t, std::vector<std::uint32_t>>> found;
    auto cookie = asked.begin();
    for (auto w : candidates) {
        auto partial = conn.cardinals(cookie->first);
        auto plain = conn.cardinals(cookie->second);
        ++cookie;
        if (partial && partial->size() >= 12) {
            found.emplace_back(w, std::move(*partial));
        } else if (plain && plain->size() >= 4) {
            found.emplace_back(w, std::move(*plain));
        }
    }
    std::vector<xcb_get_window_attributes_cookie_t> shown;
    shown.reserve(found.size());
    for (const auto& entry : found) {
        shown.push_back(xcb_get_window_attributes(conn.raw(), entry.first));
    }
    auto isShown = shown.begin();
    for (auto& [w, v] : found) {
        auto attrs = conn.reply(*isShown++, xcb_get_window_attributes_reply);
        if (!attrs || attrs->map_state != XCB_MAP_STATE_VIEWABLE) {
            continue;
        }
        if (v.size() < 12) {
            // The old form spans the whole edge.
            auto w1 = static_cast<std::uint32_t>(root.width - 1);
            auto h1 = static_cast<std::uint32_t>(root.height - 1);
            v.resize(4);
            v.insert(v.end(), {0, h1, 0, h1, 0, w1, 0, w1});
        }
        const auto& s = v;
        auto span = [](std::uint32_t start, std::uint32_t end, std::int32_t full) {
            // An empty range (both 0) means the whole edge, as older panels set it.
            if (start == 0 && end == 0) {
                return std::pair<std::int32_t, std::int32_t>(0, full);
            }
            return std::pair<std::int32_t, std::int32_t>(static_cast<std::int32_t>(start),
                                                         static_cast<std::int32_t>(end) + 1);
        };
        auto n = [](std::uint32_t x) { return static_cast<std::int32_t>(x); };
        if (s[0] > 0) {
            auto [a, b] = span(s[4], s[5], root.height);
            out.push_back({Strut::Edge::left, {0, a, n(s[0]), b - a}});
        }
        if (s[1] > 0) {
            auto [a, b] = span(s[6], s[7], root.height);
            out.push_back({Strut::Edge::right, {root.width - n(s[1]), a, n(s[1]), b - a}});
        }
        if (s[2] > 0) {
            auto [a, b] = span(s[8], s[9], root.width);
            out.push_back({Strut::Edge::top, {a, 0, b - a, n(s[2])}});
        }
        if (s[3] > 0) {
            auto [a, b] = span(s[10], s[11], root.width);
            out.push_back({Strut::Edge::bottom, {a, root.height - n(s[3]), b - a, n(s[3])}});
        }
    }
    return out;
}

PixelRect visibleArea(const PixelRect& m, const std::vector<Strut>& struts) {
    std::int32_t l = m.x, t = m.y, r = m.right(), b = m.bottom();
    for (const auto& s : struts) {
        const auto& a = s.area;
        switch (s.edge) {
        case Strut::Edge::left:
            if (overlaps(a.y, a.bottom(), m.y, m.bottom()) && a.right() > m.x &&
                a.right() <= m.right()) {
                l = std::max(l, a.right());
            }
            break;
        case Strut::Edge::right:
            if (overlaps(a.y, a.bottom(), m.y, m.bottom()) && a.x < m.right() && a.x >= m.x) {
                r = std::min(r, a.x);
            }
            break;
        case Strut::Edge::top:
            if (overlaps(a.x, a.right(), m.x, m.right()) && a.bottom() > m.y &&
                a.bottom() <= m.bottom()) {
                t = std::max(t, a.bottom());
            }
            break;
        case Strut::Edge::bottom:
            if (overlaps(a.x, a.right(), m.x, m.right()) && a.y < m.bottom() && a.y >= m.y) {
                b = std::min(b, a.y);
            }
            break;
        }
    }
    return {l, t, std::max(0, r - l), std::max(0, b - t)};
}

std::vector<Screen> X11Screens::screens() const {
    return conn_.turnCached<std::vector<Screen>>("screens", [this] { return readScreens(); });
}

std::vector<Screen> X11Screens::readScreens() const {
    // Asked first, answered with the monitors: the work areas are named by it.
    auto desktopAsked =
        conn_.ask(conn_.root(), conn_.atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_ANY, 1);
    auto monitors = readMonitors(conn_);
    auto primary = primaryMonitor(monitors);
    if (!primary) {
        (void)conn_.cardinals(desktopAsked); // every asked answer is collected
        return {};
    }
    Coordinates coords(primary->rect, scale_);
    auto struts = readStruts(conn_);
    auto areas = publishedWorkAreas(conn_, desktopAsked, monitors.size());
    std::vector<Screen> out;
    for (const auto& m : monitors) {
        auto visible = visibleArea(m.rect, struts);
        // A published area of this monitor may know of reservations we do not
        // (a manager's own panel): take what both leave free.
        for (const auto& area : areas) {
            auto inside = intersect(area, m.rect);
            if (inside == area && area.width > 0 && area.height > 0) {
                auto both = intersect(visible, area);
                if (both.width > 0 && both.height > 0) {
                    visible = both;
                }
            }
        }
        Screen s;
        if (m.name != XCB_ATOM_NONE) {
            s.number = m.name;
        }
        s.frame = coords.desktopRect(m.rect);
        s.visibleFrame = coords.desktopRect(visible);
        out.push_back(s);
    }
    return out;
}

std::optional<Screen> X11Screens::mainScreen() const {
    auto all = screens();
    if (all.empty()) {
        return std::nullopt;
    }
    auto monitors = readMonitors(conn_);
    auto primary = primaryMonitor(monitors);
    auto active = activeWindow(conn_);
    if (active && *active != 0 && primary && monitors.size() == all.size()) {
        auto geometryAsked = xcb_get_geometry(conn_.raw(), *active);
        auto cornerAsked = xcb_translate_coordinates(conn_.raw(), *active, conn_.root(), 0, 0);
        auto g = conn_.reply(geometryAsked, xcb_get_geometry_reply);
        auto t = conn_.reply(cornerAsked, xcb_translate_coordinates_reply);
        if (g && t) {
            std::int32_t cx = t->dst_x + g->width / 2, cy = t->dst_y + g->height / 2;
            for (std::size_t i = 0; i < monitors.size(); ++i) {
                if (monitors[i].rect.contains(cx, cy)) {
                    return all[i];
                }
            }
        }
    }
    for (std::size_t i = 0; i < monitors.size() && i < all.size(); ++i) {
        if (primary && monitors[i].name == primary->name && monitors[i].rect == primary->rect) {
            return all[i];
        }
    }
    return all.front();
}

Point X11Screens::pointerLocation() const {
    auto coords = Coordinates::current(conn_, scale_);
    auto p = conn_.reply(xcb_query_pointer(conn_.raw(), conn_.root()), xcb_query_pointer_reply);
    if (!p) {
        return {};
    }
    return coords.desktopPoint(p->root_x, p->root_y);
}

} // namespace vx::x11
