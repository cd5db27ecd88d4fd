// The discovery pipeline and the reads it shares with placement and the probe.
#include "core/window/window_discovery.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace vx {
namespace {

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

std::string asciiLower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

// Whether `shorter` is `longer` itself or one of its ancestor directories.
bool isPathPrefix(std::string_view shorter, std::string_view longer) {
    if (shorter.empty() || longer.substr(0, shorter.size()) != shorter)
        return false;
    return longer.size() == shorter.size() || shorter.back() == '/' ||
           longer[shorter.size()] == '/';
}

// The path up to and including the first directory named "*.app"; the whole
// path when it has none.
std::string_view bundleRoot(std::string_view path) {
    std::size_t from = 0;
    while (true) {
        const auto at = path.find(".app", from);
        if (at == std::string_view::npos)
            return path;
        const auto end = at + 4;
        if (end == path.size() || path[end] == '/')
            return path.substr(0, end);
        from = at + 1;
    }
}

} // namespace

std::optional<WindowID> nonZeroWindowID(WindowSystem& system, ElementRef window) {
    const auto id = system.windowID(window);
    if (id.ok() && *id.value != 0)
        return id.value;
    return std::nullopt;
}

bool isMovable(WindowSystem& system, ElementRef window) {
    const auto position = system.isPositionSettable(window);
    if (position.ok() && *position.value)
        return true;
    const auto size = system.isSizeSettable(window);
    return size.ok() && *size.value;
}

std::optional<DiscoveredWindow> findTargetWindow(WindowSystem& system, ProcessID own) {
    ProcessID pid = 0;
    std::optional<ElementRef> element;

    const auto focused = focusedApplicationWindow(system);
    if (focused && focused->processID != own) {
        pid = focused->processID;
        element = focused->element;
        if (const auto id = nonZeroWindowID(system, *element))
            return DiscoveredWindow{pid, element, id};
    } else {
        // This program's own menu may hold the focus; the frontmost application
        // is then the one the user was working in.
        const auto front = system.frontmostApplication();
        if (!front || front->processID == own)
            return std::nullopt;
        pid = front->processID;
        element = windowElement(system, pid, std::nullopt);
        if (element) {
            if (const auto id = nonZeroWindowID(system, *element))
                return DiscoveredWindow{pid, element, id};
        }
    }

    std::optional<WindowID> windowID = frontWindowID(system, pid, own);
    if (element && windowID)
        return DiscoveredWindow{pid, element, windowID};

    if (const auto match = matchingWindowFromList(system, pid, own)) {
        if (!element)
            element = match->element;
        if (!windowID)
            windowID = match->windowID;
        // The matched window's owner may be a helper process of the application.
        pid = match->processID;
    }

    if (element)
        return DiscoveredWindow{pid, element, windowID};
    if (!windowID)
        return std::nullopt;
    element = windowElement(system, pid, windowID);
    if (!element)
        element = elementForWindowID(system, *windowID, own);
    return DiscoveredWindow{pid, element, windowID};
}

std::optional<FocusedWindow> focusedApplicationWindow(WindowSystem& system) {
    const auto application = system.focusedApplication();
    if (!application.ok())
        return std::nullopt;
    const ProcessID pid = system.pid(*application.value);
    if (pid == 0)
        return std::nullopt;
    const auto window = system.focusedWindow(*application.value);
    if (window.ok())
        return FocusedWindow{pid, *window.value};
    if (const auto element = windowElement(system, pid, std::nullopt))
        return FocusedWindow{pid, *element};
    return std::nullopt;
}

std::optional<ElementRef> windowElement(WindowSystem& system, ProcessID pid,
                                        std::optional<WindowID> windowID) {
    const ElementRef application = system.applicationElement(pid);
    if (windowID) {
        const auto focused = system.focusedWindow(application);
        if (focused.ok() && nonZeroWindowID(system, *focused.value) == windowID)
            return focused.value;
    }

    const auto windows = system.windows(application);
    if (!windows.ok() || windows.value->empty())
        return std::nullopt;

    if (windowID) {
        for (const auto& window : *windows.value) {
            if (nonZeroWindowID(system, window) == windowID)
                return window;
        }
    }

    std::optional<ElementRef> best;
    double bestArea = 0;
    for (const auto& window : *windows.value) {
        if (!isMovable(system, window))
            continue;
        const auto size = system.size(window);
        const double area = size.ok() ? size.value->width * size.value->height : 0.0;
        if (area >= bestArea) {
            best = window;
            bestArea = area;
        }
    }
    if (best)
        return best;
    return windows.value->front();
}

std::optional<std::vector<ListedWindow>> listedWindows(WindowSystem& system) {
    const auto list = system.onScreenWindows();
    if (!list || list->empty())
        return std::nullopt;
    std::vector<ListedWindow> out;
    out.reserve(list->size());
    for (const auto& entry : *list) {
        if (!entry.ownerPID || !entry.layer || !entry.number)
            continue;
        out.push_back(
            {*entry.ownerPID, *entry.layer, *entry.number, entry.ownerName, entry.bounds});
    }
    return out;
}

bool passesSizeRule(const std::optional<WindowListBounds>& bounds) {
    if (!bounds)
        return true;
    return bounds->width && bounds->height && *bounds->width >= 40.0 && *bounds->height >= 40.0;
}

std::optional<WindowID> frontWindowID(WindowSystem& system, ProcessID pid,
                                      std::optional<ProcessID> excluding) {
    const auto list = listedWindows(system);
    if (!list)
        return std::nullopt;
    for (const auto& entry : *list) {
        if (excluding && entry.ownerPID == *excluding)
            continue;
        if (entry.ownerPID == pid && entry.layer == 0 && passesSizeRule(entry.bounds))
            return entry.number;
    }
    return std::nullopt;
}

std::optional<DiscoveredWindow> matchingWindowFromList(WindowSystem& system, ProcessID pid,
                                                       ProcessID own) {
    const auto application = system.runningApplication(pid);
    if (!application)
        return std::nullopt;
    const std::string bundlePath = application->bundlePath.value_or(std::string());
    const auto list = listedWindows(system);
    if (!list)
        return std::nullopt;
    for (const auto& entry : *list) {
        if (entry.ownerPID == own || entry.layer != 0)
            continue;
        const bool belongs = entry.ownerPID == pid ||
                             ownerNamesMatch(application->localizedName, entry.ownerName) ||
                             bundlePathsMatch(system, entry.ownerPID, bundlePath);
        if (!belongs || !passesSizeRule(entry.bounds))
            continue;
        return DiscoveredWindow{entry.ownerPID, windowElement(system, entry.ownerPID, entry.number),
                                entry.number};
    }
    return std::nullopt;
}

std::optional<ElementRef> elementForWindowID(WindowSystem& system, WindowID windowID,
                                             ProcessID own) {
    const auto list = listedWindows(system);
    if (!list)
        return std::nullopt;
    for (const auto& entry : *list) {
        if (entry.number == windowID && entry.ownerPID != own)
            return windowElement(system, entry.ownerPID, windowID);
    }
    return std::nullopt;
}

bool namesWeChat(std::string_view name) {
    return contains(asciiLower(name), "wechat") || contains(name, "\u5fae\u4fe1");
}

bool ownerNamesMatch(const std::optional<std::string>& target,
                     const std::optional<std::string>& owner) {
    if (!target || !owner)
        return false;
    if (*target == *owner)
        return true;
    // The one application known to name its windows' owner differently from
    // itself: both spellings must be present, so its windows never stand in
    // for another application's and no window stands in for its own.
    return namesWeChat(*target) && namesWeChat(*owner);
}

bool bundlePathsMatch(WindowSystem& system, ProcessID ownerPID, const std::string& targetPath) {
    if (targetPath.empty())
        return false;
    const auto owner = system.runningApplication(ownerPID);
    if (!owner || !owner->bundlePath)
        return false;
    return bundlePathsMatch(*owner->bundlePath, targetPath);
}

bool bundlePathsMatch(const std::string& ownerPath, const std::string& targetPath) {
    if (ownerPath.empty() || targetPath.empty())
        return false;
    // Only whole path components count: "/usr/bin/x" is not inside "/usr/bin/xterm".
    if (isPathPrefix(ownerPath, targetPath) || isPathPrefix(targetPath, ownerPath))
        return true;
    return bundleRoot(ownerPath) == bundleRoot(targetPath);
}

std::optional<Rect> cgWindowBounds(WindowSystem& system, WindowID windowID) {
    const auto info = system.windowInfo(windowID);
    if (!info || info->empty() || !info->front().bounds)
        return std::nullopt;
    const auto& bounds = *info->front().bounds;
    if (!bounds.height)
        return std::nullopt;
    const Rect rect(bounds.x.value_or(0), bounds.y.value_or(0), bounds.width.value_or(0),
                    *bounds.height);
    if (rect.size.width > 0 && rect.size.height > 0)
        return rect;
    return std::nullopt;
}

std::optional<Rect> serverScreenRect(WindowSystem& system, WindowID windowID) {
    const auto read = system.serverScreenRect(windowID);
    if (!read.ok() || read.value->size.width <= 0 || read.value->size.height <= 0)
        return std::nullopt;
    // The server answers a null rect (infinite origin) for a window it does not know.
    if (!std::isfinite(read.value->origin.x) || !std::isfinite(read.value->origin.y))
        return std::nullopt;
    return read.value;
}

std::optional<Rect> currentWindowRect(WindowSystem& system, WindowID windowID) {
    if (auto rect = cgWindowBounds(system, windowID))
        return rect;
    return serverScreenRect(system, windowID);
}

} // namespace vx
