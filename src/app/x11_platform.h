// Everything the program reaches X through: one connection of our own, fed to
// the Qt event loop by a socket notifier, and the seams built on it.
#pragma once

#include "app/desktop_seams.h"
#include "core/base/run_loop.h"

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

    DesktopSeams seams();

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
