// The virtual clock, with posted tasks held back on demand so that events can
// come between a timer's firing and the handling it posted.
#pragma once

#include "core/base/virtual_run_loop.h"

#include <vector>

namespace vx::test {

class SpyRunLoop final : public RunLoop {
public:
    VirtualRunLoop clock;
    std::vector<std::function<void()>>* held = nullptr; // posts go here while set

    void post(std::function<void()> task) override {
        held ? held->push_back(std::move(task)) : clock.post(std::move(task));
    }
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override {
        return clock.scheduleOnce(interval, std::move(action));
    }
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override {
        return clock.scheduleRepeating(interval, std::move(action));
    }
    TimePoint now() const override { return clock.now(); }
};

} // namespace vx::test
