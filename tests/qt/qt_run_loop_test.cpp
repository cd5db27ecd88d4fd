// The Qt run loop against what core relies on: posted tasks run later and in
// order, a timer stopped from inside its own action holds no Qt timer after,
// and handles and tasks may outlive the loop.
#include "qt/qt_run_loop.h"
#include "qt_wait.h"

#include <gtest/gtest.h>
#include <vector>

namespace vx {

TEST(QtRunLoop, TasksRunLaterInOrderAndStoppedTimersHoldNothing) {
    bool strayRan = false;
    std::unique_ptr<Timer> survivor;
    {
        QtRunLoop gone; // its queued task and its timer die with it
        gone.post([&] { strayRan = true; });
        survivor = gone.scheduleRepeating(Seconds(0.01), [&] { strayRan = true; });
    }
    EXPECT_FALSE(survivor->isValid());

    QtRunLoop loop;
    std::vector<int> ran;
    loop.post([&] {
        ran.push_back(1);
        loop.post([&] { ran.push_back(3); });
    });
    loop.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "post must not run the task synchronously";
    loop.scheduleOnce(Seconds(0.01), [&] { strayRan = true; })->invalidate();
    int ticks = 0;
    std::unique_ptr<Timer> timer = loop.scheduleRepeating(Seconds(0.01), [&] {
        if (++ticks == 3)
            timer->invalidate();
    });
    ASSERT_TRUE(test::runEventsUntil([&] { return !timer->isValid(); }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(strayRan);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

} // namespace vx
