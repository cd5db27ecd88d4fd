// Observable values, which every service and view builds on: only changes are
// told, and a subscription ended mid-notification is not called.
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
