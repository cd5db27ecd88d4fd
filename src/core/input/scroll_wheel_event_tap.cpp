// Scroll capture on the ScrollSource seam: the capture flag, the delta rules and
// the posting of each step.
#include "core/input/scroll_wheel_event_tap.h"

#include "core/base/system_log.h"

#include <cmath>

namespace vx {
namespace {
// A wheel's line is worth ten points, so both kinds of device land on one scale.
constexpr double pointsPerLine = 10.0;
// Below this a step is sensor noise, not a scroll.
constexpr double smallestDelta = 0.01;
} // namespace

ScrollWheelEventTap::ScrollWheelEventTap(ScrollSource& source, RunLoop& runLoop)
    : source_(source), runLoop_(runLoop) {}

ScrollWheelEventTap::~ScrollWheelEventTap() {
    stop();
}

void ScrollWheelEventTap::setOnScroll(std::function<void(double, bool)> callback) {
    onScroll_ = std::move(callback);
}

void ScrollWheelEventTap::start() {
    stop();
    ScrollSource::Handlers handlers;
    handlers.onScroll = lifetime_.guardOr(
        [this](const ScrollEvent& event) { return handle(event); }, ScrollDisposition::pass);
    handlers.onInterrupted = lifetime_.guard([this] {
        // Restarting from inside the platform's own notification could re-enter
        // it; the restart runs as a task of its own.
        runLoop_.post(lifetime_.guard([this] { interrupted(); }));
    });
    if (source_.start(std::move(handlers))) {
        systemLog(scrollCaptureFailedMessage);
        return;
    }
    installed_ = true;
    std::lock_guard lock(mutex_);
    isCapturing_ = true;
}

void ScrollWheelEventTap::stop() {
    {
        std::lock_guard lock(mutex_);
        isCapturing_ = false;
    }
    if (installed_) {
        installed_ = false;
        source_.stop();
    }
}

bool ScrollWheelEventTap::isCapturing() const {
    std::lock_guard lock(mutex_);
    return isCapturing_;
}

void ScrollWheelEventTap::interrupted() {
    // Taken away while a gesture still wants it: take it back at once.
    if (installed_)
        start();
}

ScrollDisposition ScrollWheelEventTap::handle(const ScrollEvent& event) {
    if (!isCapturing())
        return ScrollDisposition::pass;
    const bool isPrecise = event.isContinuous;
    const double delta = isPrecise ? event.pointDelta : event.lineDelta * pointsPerLine;
    // A non-finite delta from a confused driver would poison the receiver's sum.
    if (std::isfinite(delta) && std::abs(delta) > smallestDelta) {
        // The closure is taken now: a step posted before stop() still reaches it.
        runLoop_.post([callback = onScroll_, delta, isPrecise] {
            if (callback)
                callback(delta, isPrecise);
        });
    }
    return ScrollDisposition::swallow;
}

} // namespace vx
