// Captures vertical scrolling system-wide while a gesture runs: each step goes
// to the owner, posted to the main thread, and the event itself is swallowed so
// the window under the pointer does not scroll behind the menu.
#pragma once

#include "core/base/lifetime.h"
#include "core/base/run_loop.h"
#include "core/input/scroll_source.h"
#include "core/session/collaborators.h"

#include <mutex>

namespace vx {

// The line logged when the platform refuses the capture.
inline constexpr const char* scrollCaptureFailedMessage =
    "[Vortaxis] ScrollWheelEventTap: CGEvent.tapCreate failed";

class ScrollWheelEventTap final : public ScrollCapture {
public:
    ScrollWheelEventTap(ScrollSource& source, RunLoop& runLoop);
    ~ScrollWheelEventTap() override;

    void setOnScroll(std::function<void(double, bool)> callback) override;
    // Stops any capture first, so starting twice installs one capture.
    void start() override;
    void stop() override;

    bool isCapturing() const;

private:
    ScrollDisposition handle(const ScrollEvent& event);
    void interrupted();

    ScrollSource& source_;
    RunLoop& runLoop_;
    std::function<void(double, bool)> onScroll_;
    bool installed_ = false;
    // The platform may deliver from its own context; the flag is read there.
    mutable std::mutex mutex_;
    bool isCapturing_ = false;
    Lifetime lifetime_;
};

} // namespace vx
