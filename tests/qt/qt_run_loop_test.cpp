// The Qt run loop against what core relies on: order of posted tasks, timers
// that never fire early, never after invalidation, and handles that may outlive
// the loop; and the watcher that reads the X connection when it has input.
#include "qt/qt_fd_watcher.h"
#include "qt/qt_run_loop.h"
#include "qt_wait.h"

#include <array>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace vx {
namespace {

using test::runEventsUntil;

TEST(QtRunLoop, TasksRunLaterInOrderAndTimersNeverEarlyNorAfterInvalidation) {
    QtRunLoop loop;
    std::vector<int> ran;
    loop.post([&] {
        ran.push_back(1);
        loop.post([&] { ran.push_back(3); });
    });
    loop.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "post must not run the task synchronously";

    bool invalidatedFired = false, destroyedFired = false;
    auto invalidated = loop.scheduleOnce(Seconds(0.01), [&] { invalidatedFired = true; });
    auto destroyed = loop.scheduleRepeating(Seconds(0.01), [&] { destroyedFired = true; });
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
    ASSERT_TRUE(runEventsUntil([&] { return !timer->isValid(); }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i], start + interval * static_cast<double>(i + 1)) << "tick " << i;
    bool sentinel = false;
    auto later = loop.scheduleOnce(Seconds(0.03), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_EQ(ticks.size(), 4u);
    EXPECT_FALSE(invalidatedFired || destroyedFired);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST(QtRunLoop, TasksAndHandlesMayOutliveTheLoop) {
    bool ran = false;
    std::unique_ptr<Timer> survivor;
    {
        QtRunLoop loop;
        loop.post([&] { ran = true; });
        survivor = loop.scheduleRepeating(Seconds(0.01), [&] { ran = true; });
    }
    EXPECT_FALSE(survivor->isValid());
    survivor.reset();
    QtRunLoop sentinelLoop;
    bool sentinel = false;
    auto later = sentinelLoop.scheduleOnce(Seconds(0.03), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_FALSE(ran);
}

TEST(QtFdWatcher, ReportsReadableInputAndStopsWhenToldTo) {
    std::array<int, 2> fds{};
    ASSERT_EQ(::pipe(fds.data()), 0);
    std::string received;
    int idleHooks = 0;
    QtFdWatcher watcher(
        fds[0],
        [&] {
            char buffer[16];
            const auto n = ::read(fds[0], buffer, sizeof buffer);
            received.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        },
        [&] { ++idleHooks; });
    ASSERT_EQ(::write(fds[1], "ab", 2), 2);
    ASSERT_TRUE(runEventsUntil([&] { return received == "ab"; }));
    EXPECT_GT(idleHooks, 0) << "the loop went idle without telling the watcher";
    watcher.stop();
    ASSERT_EQ(::write(fds[1], "c", 1), 1);
    EXPECT_FALSE(runEventsUntil([&] { return received != "ab"; }, std::chrono::milliseconds(50)));
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
} // namespace vx
