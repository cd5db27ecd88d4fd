// Observable values, weak callbacks, the virtual run loop and text arguments:
// the foundations every service builds on.
#include "core/base/lifetime.h"
#include "core/base/localization.h"
#include "core/base/observable.h"
#include "core/base/uuid.h"
#include "core/base/virtual_run_loop.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using namespace vx;
using namespace std::chrono_literals;

TEST(Observable, StoresEveryWriteButNotifiesOnlyChanges) {
    Observable<std::optional<int>> value;
    std::vector<std::optional<int>> seen;
    auto sub = value.observe([&](const auto& v) { seen.push_back(v); });

    EXPECT_FALSE(value.set(std::nullopt)); // none equals none
    EXPECT_TRUE(value.set(3));
    EXPECT_FALSE(value.set(3));
    EXPECT_TRUE(value.set(std::nullopt));
    EXPECT_EQ(seen, (std::vector<std::optional<int>>{3, std::nullopt}));
}

TEST(Observable, EndedSubscriptionHearsNothingEvenWhenCancelledDuringNotify) {
    Observable<int> value;
    int first = 0, second = 0;
    Subscription b;
    auto a = value.observe([&](int) {
        ++first;
        b.reset();
    });
    b = value.observe([&](int) { ++second; });
    value.set(1);
    value.set(2);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
}

TEST(Lifetime, GuardedCallbackDoesNothingOnceOwnerIsGone) {
    int calls = 0;
    std::function<int()> cb;
    std::function<double()> withFallback;
    {
        Lifetime owner;
        cb = owner.guard([&] { return ++calls; });
        withFallback = owner.guardOr([] { return 1.5; }, 0.2);
        EXPECT_EQ(cb(), 1);
        EXPECT_EQ(withFallback(), 1.5);
    }
    EXPECT_EQ(cb(), 0);
    EXPECT_EQ(withFallback(), 0.2);
    EXPECT_EQ(calls, 1);
}

TEST(VirtualRunLoop, TimersFireInTimeOrderAndPostedTasksRunAfterEachFire) {
    VirtualRunLoop loop;
    std::vector<std::string> log;
    auto late = loop.scheduleOnce(0.3s, [&] { log.push_back("late"); });
    auto early = loop.scheduleOnce(0.1s, [&] {
        log.push_back("early");
        loop.post([&] { log.push_back("posted"); });
    });
    loop.advance(0.2s);
    EXPECT_EQ(log, (std::vector<std::string>{"early", "posted"}));
    loop.advance(0.2s);
    EXPECT_EQ(log.back(), "late");
    EXPECT_EQ(loop.activeTimerCount(), 0);
}

TEST(VirtualRunLoop, RepeatingTimerStopsWhenInvalidatedOrDropped) {
    VirtualRunLoop loop;
    int ticks = 0;
    auto timer = loop.scheduleRepeating(Seconds(1.0 / 60), [&] { ++ticks; });
    loop.advance(Seconds(10.5 / 60));
    EXPECT_EQ(ticks, 10);
    timer->invalidate();
    loop.advance(1s);
    EXPECT_EQ(ticks, 10);

    auto other = loop.scheduleRepeating(0.1s, [&] { ++ticks; });
    other.reset();
    loop.advance(1s);
    EXPECT_EQ(ticks, 10);
}

TEST(VirtualRunLoop, ClockStartsAfterTheDistantPast) {
    VirtualRunLoop loop;
    EXPECT_LT(distantPast(), loop.now());
    EXPECT_LT(loop.now(), loop.now() + Seconds(0.45));
}

TEST(Localization, ArgumentsAreFilledAfterTranslation) {
    EXPECT_EQ(localized("Screen %1/%2", {"2", "3"}), "Screen 2/3");
    installTranslator([](std::string_view english) -> std::string {
        return english == "Screen %1/%2" ? "Bildschirm %2:%1" : "";
    });
    EXPECT_EQ(localized("Screen %1/%2", {"2", "3"}), "Bildschirm 3:2");
    EXPECT_EQ(localized("Ready"), "Ready"); // untranslated falls back to English
    installTranslator({});
    EXPECT_EQ(substituteArguments("100%% of %1, %3", {"a"}), "100% of a, %3");
}

TEST(Uuid, FreshEachTimeAndVersion4) {
    const auto a = Uuid::random(), b = Uuid::random();
    EXPECT_NE(a, b);
    const auto text = a.toString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
}
