// A deterministic run loop for tests and benchmarks: time moves only when the
// test says so, and timers and posted tasks run in a fixed, reproducible order.
#pragma once

#include "core/base/run_loop.h"

#include <deque>
#include <map>
#include <memory>

namespace vx {

class VirtualRunLoop final : public RunLoop {
public:
    VirtualRunLoop();
    ~VirtualRunLoop() override;

    void post(std::function<void()> task) override;
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override;
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override;
    TimePoint now() const override { return now_; }

    // Runs posted tasks until none is left (tasks may post more). Returns how many ran.
    int drain();

    // Moves the clock forward by `by`, firing every timer that falls due on the way
    // in time order and draining posted tasks after each fire.
    void advance(Seconds by);

    // Timers that are scheduled and not invalidated.
    int activeTimerCount() const;
    std::size_t pendingTaskCount() const { return tasks_.size(); }

private:
    struct Entry;
    class Handle;

    TimePoint now_;
    std::deque<std::function<void()>> tasks_;
    std::shared_ptr<std::map<unsigned long, std::shared_ptr<Entry>>> timers_;
    unsigned long nextId_ = 0;

    std::unique_ptr<Timer> schedule(Seconds interval, bool repeats, std::function<void()> action);
};

} // namespace vx
