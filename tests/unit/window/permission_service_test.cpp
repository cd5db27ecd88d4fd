// The mirrored permission: stale until asked, and observers hear only changes.
#include "core/window/permission_service.h"
#include "fakes/fake_window_system.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vx;
using vx::test::FakeAccessTrust;

TEST(PermissionService, StartsUntrustedAndTellsObserversOnlyOfChanges) {
    FakeAccessTrust trust;
    PermissionService permissions(trust);
    std::vector<bool> heard;
    const auto subscription =
        permissions.observeAccessibilityTrusted([&](const bool& value) { heard.push_back(value); });

    EXPECT_FALSE(permissions.isAccessibilityTrusted()); // granted earlier, not yet read

    permissions.refresh();
    permissions.refresh();
    trust.trusted = false;
    permissions.refresh();
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
    EXPECT_EQ(trust.requests, 0);
}

TEST(PermissionService, RequestStoresTheAnswerAndSettingsOpenOnDemand) {
    FakeAccessTrust trust;
    trust.trusted = false;
    PermissionService permissions(trust);

    permissions.requestAccess();
    EXPECT_FALSE(permissions.isAccessibilityTrusted());
    trust.grantOnRequest = true;
    permissions.requestAccess();
    EXPECT_TRUE(permissions.isAccessibilityTrusted());
    EXPECT_EQ(trust.requests, 2);

    EXPECT_EQ(trust.settingsOpened, 0);
    permissions.openAccessibilitySettings();
    EXPECT_EQ(trust.settingsOpened, 1);
}
