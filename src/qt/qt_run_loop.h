// The run-loop seam on the Qt event loop of the main thread. Timers are precise
// (no coarse coalescing, which would make a 0.2 s hold feel sticky), repeating
// timers keep their cadence instead of drifting, and every handle invalidates
// its timer when destroyed, also after the run loop itself is gone.
#pragma once

#include "core/base/run_loop.h"

#include <memory>

namespace vx {

class QtRunLoop final : public RunLoop {
public:
    // Needs a QCoreApplication; tasks and timers run on the thread that creates it.
    QtRunLoop();
    ~QtRunLoop() override;
    QtRunLoop(const QtRunLoop&) = delete;
    QtRunLoop& operator=(const QtRunLoop&) = delete;

    void post(std::function<void()> task) override;
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override;
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override;
    TimePoint now() const override { return Clock::now(); }

    // Timers scheduled and not yet invalidated or finished.
    int activeTimerCount() const;

    class Dispatcher; // the QObject that receives the Qt timer events

private:
    std::shared_ptr<Dispatcher> dispatcher_;
};

} // namespace vx
