// Finding the window the user means: the front window of the frontmost
// application other than this program, reached through accessibility when it
// can be and through the window list when the application hides its windows.
// Every step is a free function over the WindowSystem seam so the placement and
// the diagnostic probe reuse the same reads. Nothing here fails loudly: a read
// that gives nothing makes the step answer nothing.
#pragma once

#include "core/window/window_system.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// What discovery found. Outside of findTargetWindow's internals, at least one of
// element and windowID is present.
struct DiscoveredWindow {
    ProcessID processID = 0;
    std::optional<ElementRef> element;
    std::optional<WindowID> windowID;
    friend bool operator==(const DiscoveredWindow&, const DiscoveredWindow&) = default;
};

struct FocusedWindow {
    ProcessID processID = 0;
    ElementRef element;
};

// A window-list entry that has the three fields every decision needs.
struct ListedWindow {
    ProcessID ownerPID = 0;
    std::int64_t layer = 0;
    WindowID number = 0;
    std::optional<std::string> ownerName;
    std::optional<WindowListBounds> bounds;
};

// The whole pipeline; `own` is this program's process id, never a target.
std::optional<DiscoveredWindow> findTargetWindow(WindowSystem& system, ProcessID own);

// The focused window of the focused application, or that application's best window.
std::optional<FocusedWindow> focusedApplicationWindow(WindowSystem& system);

// The window of `pid` with `windowID` when one is given and found; otherwise the
// largest movable window (the later one among equal areas), else the first one.
std::optional<ElementRef> windowElement(WindowSystem& system, ProcessID pid,
                                        std::optional<WindowID> windowID);

// The id of the front ordinary window of `pid` in the window list.
std::optional<WindowID> frontWindowID(WindowSystem& system, ProcessID pid,
                                      std::optional<ProcessID> excluding);

// The front ordinary window that belongs to the application of `pid` (by owner
// name, install path or process id), with its owner and, when reachable, its
// element. The window id is always present in the answer.
std::optional<DiscoveredWindow> matchingWindowFromList(WindowSystem& system, ProcessID pid,
                                                       ProcessID own);

// The element of the window with id `windowID`, whichever process owns it.
std::optional<ElementRef> elementForWindowID(WindowSystem& system, WindowID windowID,
                                             ProcessID own);

// Whether a name names the messaging application that spells itself two ways.
bool namesWeChat(std::string_view name);

// Whether the target application's name `target` and a window owner's name
// `owner` name the same application.
bool ownerNamesMatch(const std::optional<std::string>& target,
                     const std::optional<std::string>& owner);

// Whether the running process `ownerPID` is installed at (or inside) `targetPath`.
bool bundlePathsMatch(WindowSystem& system, ProcessID ownerPID, const std::string& targetPath);
bool bundlePathsMatch(const std::string& ownerPath, const std::string& targetPath);

// Tiny helper windows (tooltips, drag images) are never targets: listed bounds
// must be at least 40 x 40 points; an entry without bounds is given the benefit.
bool passesSizeRule(const std::optional<WindowListBounds>& bounds);

// The on-screen window list, front to back, without entries missing an owner,
// layer or number; absent when the list is unreadable or empty.
std::optional<std::vector<ListedWindow>> listedWindows(WindowSystem& system);

// The window's current rect as the window list has it.
std::optional<Rect> cgWindowBounds(WindowSystem& system, WindowID windowID);
// The window's current rect as the window server has it.
std::optional<Rect> serverScreenRect(WindowSystem& system, WindowID windowID);
// The first of the two that answers.
std::optional<Rect> currentWindowRect(WindowSystem& system, WindowID windowID);

// The window-server id of a window element; a zero id counts as none.
std::optional<WindowID> nonZeroWindowID(WindowSystem& system, ElementRef window);

// A window can be moved when its position, or failing that its size, is settable.
bool isMovable(WindowSystem& system, ElementRef window);

} // namespace vx
