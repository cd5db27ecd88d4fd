// Observable values, the virtual run loop and text arguments:
// the foundations every service builds on.
#include "core/base/localization.h"
#include "core/base/observable.h"
#include "core/base/virtual_run_loop.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace vx;
using namespace std::chrono_literals;

TEST(Observable, NotifiesOnlyChangesAndNeverASubscriptionEndedDuringNotify) {
    Observable<std::optional<int>> value;
    std::vector<std::optional<int>> seen;
    int other = 0;
    Subscription b;
    auto a = value.observe([&](const auto& v) {
        seen.push_back(v);
        b.reset();
    });
    b = value.observe([&](const auto&) { ++other; });
    EXPECT_FALSE(value.set(std::nullopt));
    EXPECT_TRUE(value.set(3));
    EXPECT_FALSE(value.set(3));
    EXPECT_TRUE(value.set(std::nullopt));
    EXPECT_EQ(seen, (std::vector<std::optional<int>>{3, std::nullopt}));
    EXPECT_EQ(other, 0);
}

TEST(VirtualRunLoop, TimersFireInTimeOrderWithPostedTasksRightAfterTheirFire) {
    VirtualRunLoop loop;
    std::vector<std::string> log;
    auto late = loop.scheduleOnce(0.3s, [&] { log.push_back("late"); });
    auto early = loop.scheduleOnce(0.1s, [&] {
        log.push_back("early");
        loop.post([&] { log.push_back("posted"); });
    });
    auto dropped = loop.scheduleRepeating(0.05s, [&] { log.push_back("dropped"); });
    dropped.reset();
    loop.advance(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"early", "posted", "late"}));
}

TEST(Localization, ArgumentsAreFilledAfterTranslation) {
    installTranslator([](std::string_view english) -> std::string {
        return english == "Screen %1/%2" ? "Bildschirm %2:%1" : "";
    });
    EXPECT_EQ(localized("Screen %1/%2", {"2", "3"}), "Bildschirm 3:2");
    EXPECT_EQ(localized("Ready"), "Ready"); // untranslated falls back to English
    installTranslator({});
    EXPECT_EQ(substituteArguments("100%% of %1, %3", {"a"}), "100% of a, %3");
}
