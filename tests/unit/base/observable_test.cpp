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
    Subscription b;
    auto a = value.observe([&](const auto& v) { seen.push_back(v), b.reset(); });
    b = value.observe([&](const auto&) { FAIL() << "ended by the first observer"; });
    for (const auto v : {std::optional<int>{}, std::optional(3), std::optional(3)})
        value.set(v);
    EXPECT_EQ(seen, (std::vector<std::optional<int>>{3}));
}
