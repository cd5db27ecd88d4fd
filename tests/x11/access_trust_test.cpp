// Whether the program may move windows follows the window manager that runs.
#include "harness/desktop_test.h"
#include "x11/x11_access_trust.h"

namespace vx::test {
namespace {

using x11::X11AccessTrust;

TEST_F(DesktopTest, TrustFollowsTheManagerAndItsLossIsToldAsWellAsItCanBe) {
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    X11AccessTrust trust(conn.get(), "/src/README.md");
    std::vector<std::vector<std::string>> launched;
    bool launches = true;
    trust.setLauncher([&](const std::vector<std::string>& argv) {
        launched.push_back(argv);
        return launches;
    });
    EXPECT_TRUE(trust.isTrusted());
    EXPECT_TRUE(trust.requestTrust());
    EXPECT_TRUE(launched.empty()) << "nothing to tell when trusted";

    desktop().stopWindowManager();
    // Its check property may outlive it; the check window does not.
    EXPECT_TRUE(desktop().waitUntil([&] { return !trust.isTrusted(); }));
    EXPECT_FALSE(trust.requestTrust());
    trust.openSettings();
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(launched[0][0], "notify-send");
    EXPECT_NE(launched[0].back().find("No window manager"), std::string::npos);
    EXPECT_EQ(launched[1],
              (std::vector<std::string>{"xdg-open", "file:///src/README.md#window-access"}));
    // No notification daemon: said on stderr instead.
    launches = false;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(trust.requestTrust());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("No window manager"),
              std::string::npos);
    EXPECT_FALSE(X11AccessTrust(nullptr).isTrusted()) << "without a display";
    EXPECT_NE(X11AccessTrust(nullptr).missing().find("no X11 display"), std::string::npos);
}

} // namespace
} // namespace vx::test
