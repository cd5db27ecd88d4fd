// Everything the program reaches X through: one connection of our own, fed to
// the Qt event loop by a socket notifier, and the seams built on it.
#pragma once

#include "core/base/run_loop.h"
#include "core/input/key_source.h"
#include "core/input/keyboard_layout.h"
#include "core/input/scroll_source.h"
#include "core/session/collaborators.h"
#include "core/window/access_trust.h"
#include "core/window/screens.h"
#include "core/window/window_system.h"

#include <QPointF>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vx {

// Desktop coordinates (points, y up) to root-window pixels, the way the
// platform's screens convert them.
using DesktopToRoot = std::function<QPointF(Point)>;
// Device pixels per point: the platform's one scale factor.
using ScaleFactor = std::function<double()>;

class X11Platform {
public:
    // Nothing and the reason in `error` when the display cannot be used.
    // `onLost` runs once, from the event loop, when the X server goes away.
    static std::unique_ptr<X11Platform> open(const std::string& display, RunLoop& runLoop,
                                             std::function<void(const std::string&)> onLost,
                                             std::string* error);
    ~X11Platform();

    const Screens& screens() const;
    WindowSystem& windowSystem();
    AccessTrust& trust();
    KeySource& keys();
    const KeyboardLayout& layout() const;
    ScrollSource& scroll();
    DesktopAccess& desktopAccess();

    // Desktop points to root pixels, as the screens convert them.
    DesktopToRoot desktopToRoot() const;
    ScaleFactor scaleFactor() const;

    // Lets the window manager answer, for the diagnostic probe.
    void settle(std::chrono::milliseconds atMost);

    struct Parts;

private:
    explicit X11Platform(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

} // namespace vx
