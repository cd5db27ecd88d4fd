// The Qt run loop against what core relies on: order of posted tasks, timers
// that never fire early, never after invalidation, and handles and tasks that
// may outlive the loop.
#include "qt/qt_run_loop.h"
#include "qt_wait.h"

#include <gtest/gtest.h>
#include <vector>

namespace vx {

TEST(QtRunLoop, TasksRunLaterInOrderAndTimersNeverEarlyNorAfterInvalidation) {
    bool strayRan = false;
    std::unique_ptr<Timer> survivor;
    {
        QtRunLoop gone; // its queued task and its timer die with it
        gone.post([&] { strayRan = true; });
        survivor = gone.scheduleRepeating(Seconds(0.01), [&] { strayRan = true; });
    }
    EXPECT_FALSE(survivor->isValid());
    survivor.reset();

    QtRunLoop loop;
    std::vector<int> ran;
    loop.post([&] {
        ran.push_back(1);
        loop.post([&] { ran.push_back(3); });
    });
    loop.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "post must not run the task synchronously";
    auto invalidated = loop.scheduleOnce(Seconds(0.01), [&] { strayRan = true; });
    auto destroyed = loop.scheduleRepeating(Seconds(0.01), [&] { strayRan = true; });
    invalidated->invalidate();
    destroyed.reset();

    const auto interval = Seconds(1.0 / 60.0);
    const auto start = loop.now();
    std::vector<TimePoint> ticks;
    std::unique_ptr<Timer> timer = loop.scheduleRepeating(interval, [&] {
        ticks.push_back(loop.now());
        if (ticks.size() == 4)
            timer->invalidate(); // from inside its own action
    });
    ASSERT_TRUE(test::runEventsUntil([&] { return !timer->isValid(); }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i], start + interval * static_cast<double>(i + 1)) << "tick " << i;
    bool sentinel = false;
    auto later = loop.scheduleOnce(Seconds(0.03), [&] { sentinel = true; });
    ASSERT_TRUE(test::runEventsUntil([&] { return sentinel; }));
    EXPECT_EQ(ticks.size(), 4u);
    EXPECT_FALSE(strayRan);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

} // namespace vx
