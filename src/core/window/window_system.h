// The WindowSystem seam: the accessibility and window-server operations the
// window service is written against. Every position and rect here is in
// top-left coordinates (origin at the top-left of the primary display, y down).
// A read answers a status and, on success, a value; a write answers a status.
// Status 0 is success; anything else counts as "no value". Implementations turn
// every platform error (a window that vanished, a refused request) into a status,
// never a crash or an exception. X11 implements it over XCB with EWMH; the tests
// with a scripted fake desktop.
#pragma once

#include "core/base/geometry.h"
#include "core/base/image.h"
#include "core/window/window_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx {

// Opaque handle of an accessibility element: an application or a window. On X11
// a window element is its client window.
struct ElementRef {
    std::uint64_t handle = 0;
    friend bool operator==(const ElementRef&, const ElementRef&) = default;
};

using AXStatus = int;
namespace axstatus {
inline constexpr AXStatus success = 0;
inline constexpr AXStatus failure = -25200;
inline constexpr AXStatus illegalArgument = -25201;
inline constexpr AXStatus invalidElement = -25202;
inline constexpr AXStatus cannotComplete = -25204;
inline constexpr AXStatus attributeUnsupported = -25205;
inline constexpr AXStatus noValue = -25212;
} // namespace axstatus

template <class T> struct AXRead {
    AXStatus status = axstatus::failure;
    std::optional<T> value;

    static AXRead of(T v) { return {axstatus::success, std::move(v)}; }
    static AXRead error(AXStatus s) { return {s, std::nullopt}; }
    bool ok() const { return status == axstatus::success && value.has_value(); }
};

struct RunningApplication {
    ProcessID processID = 0;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundleIdentifier;
    // Where the application is installed; compared by prefix to tell that two
    // processes belong to one application.
    std::optional<std::string> bundlePath;
};

// The bounds of a window-list entry; each number may be missing.
struct WindowListBounds {
    std::optional<double> x, y, width, height;
};

// One entry of the on-screen window list. Any field may be missing; the logic
// decides what a missing field means.
struct WindowListEntry {
    std::optional<ProcessID> ownerPID;
    std::optional<std::int64_t> layer; // 0: an ordinary window
    std::optional<WindowID> number;
    std::optional<std::string> ownerName;
    std::optional<WindowListBounds> bounds;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // --- accessibility ---
    // The focused application of the desktop.
    virtual AXRead<ElementRef> focusedApplication() = 0;
    // An application element's process id; 0 when unknown.
    virtual ProcessID pid(ElementRef application) = 0;
    virtual ElementRef applicationElement(ProcessID pid) = 0;
    virtual AXRead<ElementRef> focusedWindow(ElementRef application) = 0;
    // The application's windows in its own order.
    virtual AXRead<std::vector<ElementRef>> windows(ElementRef application) = 0;
    virtual AXRead<Point> position(ElementRef window) = 0;
    virtual AXRead<Size> size(ElementRef window) = 0;
    virtual AXRead<std::string> role(ElementRef element) = 0;
    virtual AXRead<std::string> title(ElementRef window) = 0;
    virtual AXRead<bool> isPositionSettable(ElementRef window) = 0;
    virtual AXRead<bool> isSizeSettable(ElementRef window) = 0;
    virtual AXStatus setPosition(ElementRef window, Point topLeft) = 0;
    virtual AXStatus setSize(ElementRef window, Size size) = 0;
    // The window-server id of a window element.
    virtual AXRead<WindowID> windowID(ElementRef window) = 0;

    // --- processes and applications ---
    virtual ProcessID ownProcessID() = 0;
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    virtual std::optional<RunningApplication> runningApplication(ProcessID pid) = 0;
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // The application's icon, rendered at 64 x 64 points; absent when it has none.
    virtual std::optional<Image> applicationIcon(ProcessID pid) = 0;

    // --- window server ---
    // On-screen windows without desktop elements, front to back; absent when the
    // list cannot be read.
    virtual std::optional<std::vector<WindowListEntry>> onScreenWindows() = 0;
    // The list entry of one window (the window itself first); absent when unreadable.
    virtual std::optional<std::vector<WindowListEntry>> windowInfo(WindowID window) = 0;
    // The window's rect as the window server has it.
    virtual AXRead<Rect> serverScreenRect(WindowID window) = 0;
    // Move the window's top-left corner to `topLeft`, size unchanged.
    virtual AXStatus moveWindowWithGroup(WindowID window, Point topLeft) = 0;
    virtual AXStatus moveWindow(WindowID window, Point topLeft) = 0;
    // The name the window manager gives itself, for telling the user which
    // program kept a window in place; absent where there is none or it is unnamed.
    virtual std::optional<std::string> windowManagerName() { return std::nullopt; }
};

} // namespace vx
