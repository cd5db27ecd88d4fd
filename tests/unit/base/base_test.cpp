// Observable values and text arguments: the foundations every service builds on.
#include "core/base/localization.h"
#include "core/base/observable.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace vx;

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

TEST(Localization, ArgumentsAreFilledAfterTranslation) {
    installTranslator([](std::string_view english) -> std::string {
        return english == "Screen %1/%2" ? "Bildschirm %2:%1" : "";
    });
    EXPECT_EQ(localized("Screen %1/%2", {"2", "3"}), "Bildschirm 3:2");
    EXPECT_EQ(localized("Ready"), "Ready"); // untranslated falls back to English
    installTranslator({});
    EXPECT_EQ(substituteArguments("100%% of %1, %3", {"a"}), "100% of a, %3");
}
