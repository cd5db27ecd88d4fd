// The Qt run loop against what core relies on: order of posted tasks, timers
// that never fire early, never after invalidation, and handles that may outlive
// the loop.
#include "qt/qt_fd_watcher.h"
#include "qt/qt_run_loop.h"
#include "qt_wait.h"

#include <array>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace vx {
namespace {

using namespace std::chrono_literals;
using test::runEventsUntil;

TEST(QtRunLoop, PostedTasksRunLaterInOrderIncludingTasksPostedByTasks) {
    QtRunLoop loop;
    std::vector<int> ran;
    loop.post([&] {
        ran.push_back(1);
        loop.post([&] { ran.push_back(3); });
    });
    loop.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "post must not run the task synchronously";
    ASSERT_TRUE(runEventsUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(QtRunLoop, TasksStillQueuedWhenTheLoopGoesAwayAreDropped) {
    bool ran = false;
    {
        QtRunLoop loop;
        loop.post([&] { ran = true; });
    }
    QtRunLoop sentinelLoop;
    bool sentinel = false;
    sentinelLoop.post([&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_FALSE(ran);
}

TEST(QtRunLoop, OneShotFiresOnceNotBeforeItsIntervalAndThenIsInvalid) {
    QtRunLoop loop;
    int fired = 0;
    TimePoint firedAt;
    const auto start = loop.now();
    auto timer = loop.scheduleOnce(Seconds(0.03), [&] {
        ++fired;
        firedAt = loop.now();
    });
    EXPECT_TRUE(timer->isValid());
    ASSERT_TRUE(runEventsUntil([&] { return fired > 0; }));
    EXPECT_GE(firedAt - start, std::chrono::milliseconds(30));
    EXPECT_FALSE(timer->isValid());

    bool sentinel = false;
    auto later = loop.scheduleOnce(Seconds(0.05), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST(QtRunLoop, InvalidatedOrDestroyedTimersNeverFire) {
    QtRunLoop loop;
    bool invalidatedFired = false, destroyedFired = false, sentinel = false;
    auto invalidated = loop.scheduleOnce(Seconds(0.01), [&] { invalidatedFired = true; });
    auto destroyed = loop.scheduleRepeating(Seconds(0.01), [&] { destroyedFired = true; });
    invalidated->invalidate();
    invalidated->invalidate(); // twice is harmless
    destroyed.reset();
    EXPECT_FALSE(invalidated->isValid());
    auto later = loop.scheduleOnce(Seconds(0.06), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_FALSE(invalidatedFired);
    EXPECT_FALSE(destroyedFired);
}

TEST(QtRunLoop, RepeatingTimerKeepsItsDeadlinesAndStopsFromInsideItsAction) {
    QtRunLoop loop;
    const auto interval = Seconds(1.0 / 60.0);
    const auto start = loop.now();
    std::vector<TimePoint> ticks;
    std::unique_ptr<Timer> timer;
    timer = loop.scheduleRepeating(interval, [&] {
        ticks.push_back(loop.now());
        if (ticks.size() == 6)
            timer->invalidate();
    });
    ASSERT_TRUE(runEventsUntil([&] { return !timer->isValid(); }));
    ASSERT_EQ(ticks.size(), 6u);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i], start + interval * static_cast<double>(i + 1))
            << "tick " << i << " came early";

    bool sentinel = false;
    auto later = loop.scheduleOnce(Seconds(0.05), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_EQ(ticks.size(), 6u);
}

TEST(QtRunLoop, OddIntervalsFireSoonAndAHandleMayOutliveItsLoop) {
    std::unique_ptr<Timer> survivor;
    {
        QtRunLoop loop;
        int fired = 0;
        std::array timers{loop.scheduleOnce(Seconds(0), [&] { ++fired; }),
                          loop.scheduleOnce(Seconds(-1), [&] { ++fired; }),
                          loop.scheduleOnce(Seconds(std::nan("")), [&] { ++fired; })};
        ASSERT_TRUE(runEventsUntil([&] { return fired == 3; }));
        survivor = loop.scheduleRepeating(Seconds(0.01), [] {});
    }
    EXPECT_FALSE(survivor->isValid());
    survivor->invalidate();
    survivor.reset();
}

TEST(QtFdWatcher, ReportsReadableInputAndStopsWhenToldTo) {
    std::array<int, 2> fds{};
    ASSERT_EQ(::pipe(fds.data()), 0);
    int readable = 0;
    std::string received;
    int idleHooks = 0;
    QtFdWatcher watcher(
        fds[0],
        [&] {
            ++readable;
            char buffer[16];
            const auto n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, static_cast<std::size_t>(n));
        },
        [&] { ++idleHooks; });
    ASSERT_EQ(::write(fds[1], "ab", 2), 2);
    ASSERT_TRUE(runEventsUntil([&] { return received == "ab"; }));
    EXPECT_GT(idleHooks, 0) << "the loop went idle without telling the watcher";

    watcher.stop();
    const int readsBefore = readable;
    ASSERT_EQ(::write(fds[1], "c", 1), 1);
    QtRunLoop loop;
    bool sentinel = false;
    auto later = loop.scheduleOnce(Seconds(0.05), [&] { sentinel = true; });
    ASSERT_TRUE(runEventsUntil([&] { return sentinel; }));
    EXPECT_EQ(readable, readsBefore);
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
} // namespace vx
