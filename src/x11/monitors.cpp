// RandR monitors and the root-pixel conversions.
#include "x11/monitors.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <xcb/randr.h>

namespace vx::x11 {

namespace {

std::vector<Monitor> askMonitors(Connection& conn) {
    std::vector<Monitor> out;
    const bool hasMonitors = conn.keptForConnection<bool>("randr 1.5", [&] {
        auto version =
            conn.reply(xcb_randr_query_version(conn.raw(), 1, 5), xcb_randr_query_version_reply);
        return version && (version->major_version > 1 ||
                           (version->major_version == 1 && version->minor_version >= 5));
    });
    if (hasMonitors) {
        auto r = conn.reply(xcb_randr_get_monitors(conn.raw(), conn.root(), 1),
                            xcb_randr_get_monitors_reply);
        if (r) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const auto* m = it.data;
                if (m->width == 0 || m->height == 0) {
                    continue;
                }
                out.push_back({m->name, m->primary != 0, {m->x, m->y, m->width, m->height}});
            }
        }
    }
    if (out.empty() && !conn.isLost()) {
        // No RandR 1.5 (or no monitor in it): the root is the one monitor.
        auto root = rootSize(conn);
        out.push_back({XCB_ATOM_NONE, true, {0, 0, root.width, root.height}});
    }
    return out;
}

} // namespace

std::vector<Monitor> readMonitors(Connection& conn) {
    return conn.turnCached<std::vector<Monitor>>("monitors", [&] { return askMonitors(conn); });
}

PixelRect rootSize(Connection& conn) {
    // The setup's screen size is that of connection time; RandR may have
    // resized the root since.
    if (auto g = conn.reply(xcb_get_geometry(conn.raw(), conn.root()), xcb_get_geometry_reply)) {
        return {0, 0, g->width, g->height};
    }
    return {0, 0, conn.screen()->width_in_pixels, conn.screen()->height_in_pixels};
}

std::optional<Monitor> primaryMonitor(const std::vector<Monitor>& monitors) {
    for (const auto& m : monitors) {
        if (m.primary) {
            return m;
        }
    }
    for (const auto& m : monitors) {
        if (m.rect.x == 0 && m.rect.y == 0) {
            return m;
        }
    }
    if (!monitors.empty()) {
        return monitors.front();
    }
    return std::nullopt;
}

double readScaleFactor(Connection& conn) {
    double scale = 1.0;
    if (auto db = conn.bytes(conn.root(), XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING)) {
        const std::string key = "Xft.dpi:";
        std::size_t at = 0;
        while ((at = db->find(key, at)) != std::string::npos) {
            if (at == 0 || (*db)[at - 1] == '\n') {
                double dpi = std::strtod(db->c_str() + at + key.size(), nullptr);
                if (dpi > 0) {
                    scale = dpi / 96.0;
                }
                break;
            }
            at += key.size();
        }
    }
    if (const char* q = std::getenv("QT_SCALE_FACTOR")) {
        double f = std::strtod(q, nullptr);
        if (f > 0) {
            scale *= f;
        }
    }
    return scale;
}

Coordinates Coordinates::current(Connection& conn, double scale) {
    auto primary = primaryMonitor(readMonitors(conn));
    return Coordinates(primary ? primary->rect : PixelRect{}, scale > 0 ? scale : 1.0);
}

Point Coordinates::desktopPoint(double rootX, double rootY) const {
    return {(rootX - primary_.x) / scale_, (primary_.bottom() - rootY) / scale_};
}

Rect Coordinates::desktopRect(const PixelRect& r) const {
    return Rect((r.x - primary_.x) / scale_, (primary_.bottom() - r.bottom()) / scale_,
                r.width / scale_, r.height / scale_);
}

Point Coordinates::topLeftPoint(double rootX, double rootY) const {
    return {(rootX - primary_.x) / scale_, (rootY - primary_.y) / scale_};
}

Rect Coordinates::topLeftRect(const PixelRect& r) const {
    auto p = topLeftPoint(r.x, r.y);
    return Rect(p.x, p.y, r.width / scale_, r.height / scale_);
}

std::int32_t Coordinates::rootX(double topLeftX) const {
    return static_cast<std::int32_t>(std::lround(topLeftX * scale_)) + primary_.x;
}

std::int32_t Coordinates::rootY(double topLeftY) const {
    return static_cast<std::int32_t>(std::lround(topLeftY * scale_)) + primary_.y;
}

std::int32_t Coordinates::pixels(double points) const {
    return static_cast<std::int32_t>(std::lround(points * scale_));
}

} // namespace vx::x11
