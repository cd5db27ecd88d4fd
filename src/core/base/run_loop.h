// The run-loop seam. Everything in the program happens on one thread; core code
// never blocks and never sleeps, it posts work and schedules timers here. The Qt
// event loop implements this in the program, a virtual clock in the tests.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace vx {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Seconds = std::chrono::duration<double>;

// "No cooldown running": earlier than any time the clock can report.
inline constexpr TimePoint distantPast() { return TimePoint::min(); }

inline TimePoint operator+(TimePoint t, Seconds s) {
    return t + std::chrono::duration_cast<Clock::duration>(s);
}

// A scheduled timer. Destroying the handle invalidates the timer, so a timer can
// never fire into an owner that has gone away.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

class RunLoop {
public:
    virtual ~RunLoop() = default;

    // Runs `task` later on the main thread, after the current event is handled.
    virtual void post(std::function<void()> task) = 0;

    // Fires once after `interval`.
    [[nodiscard]] virtual std::unique_ptr<Timer> scheduleOnce(Seconds interval,
                                                              std::function<void()> action) = 0;

    // Fires every `interval` until invalidated.
    [[nodiscard]] virtual std::unique_ptr<Timer>
    scheduleRepeating(Seconds interval, std::function<void()> action) = 0;

    virtual TimePoint now() const = 0;
};

} // namespace vx
