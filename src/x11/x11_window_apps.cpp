// The applications behind windows: process ids from the server, names and
// icons from the desktop entries and the windows' own properties.
#include "x11/app_info.h"
#include "x11/x11_window_detail.h"
#include "x11/x11_window_system.h"

#include <set>
#include <unistd.h>
#include <xcb/xcb_icccm.h>

namespace vx::x11 {
using namespace window_detail;

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

} // namespace vx::x11
