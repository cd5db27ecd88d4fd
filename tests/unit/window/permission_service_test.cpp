// The mirrored permission: stale until asked, and observers hear only changes.
#include "core/window/permission_service.h"
#include "fakes/fake_window_system.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vx;

TEST(PermissionService, ReadsOnlyWhenAskedAndTellsObserversOnlyOfChanges) {
    vx::test::FakeAccessTrust trust;
    PermissionService permissions(trust);
    std::vector<bool> heard;
    const auto subscription =
        permissions.observeAccessibilityTrusted([&](const bool& value) { heard.push_back(value); });
    EXPECT_FALSE(permissions.isAccessibilityTrusted()); // granted earlier, not yet read
    permissions.refresh();
    permissions.refresh();
    trust.trusted = false;
    permissions.requestAccess();
    EXPECT_EQ(permissions.refusalReason(), "No window manager is running."); // for the status line
    trust.grantOnRequest = true;
    permissions.requestAccess();
    EXPECT_EQ(permissions.refusalReason(), "");
    EXPECT_EQ(heard, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(trust.requests, 2);
}
