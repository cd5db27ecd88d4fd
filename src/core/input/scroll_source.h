// The ScrollSource seam: system-wide vertical scrolling while a gesture runs,
// with the power to keep it from the window under the pointer. X11 grabs the
// pointer for the length of the gesture; tests inject events.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vx {

struct ScrollEvent {
    bool isContinuous = false; // a smooth (touchpad-like) device
    double pointDelta = 0;     // vertical, in points, continuous devices
    double lineDelta = 0;      // vertical, in lines, wheels
};

enum class ScrollDisposition { pass, swallow };

class ScrollSource {
public:
    virtual ~ScrollSource() = default;

    struct Handlers {
        // Each scroll event while capturing; the answer says whether to swallow it.
        std::function<ScrollDisposition(const ScrollEvent&)> onScroll;
        // The platform took the capture away (another grab, a focus change);
        // the receiver may start again.
        std::function<void()> onInterrupted;
    };

    // Starts capturing; returns an error text when the platform refused.
    virtual std::optional<std::string> start(Handlers handlers) = 0;
    // Stops capturing and releases everything it holds; safe when not started.
    virtual void stop() = 0;
};

} // namespace vx
