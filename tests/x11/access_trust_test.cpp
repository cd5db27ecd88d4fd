// Whether the program may move windows follows the window manager that runs.
#include "harness/desktop_test.h"
#include "x11/x11_access_trust.h"

namespace vx::test {
namespace {

using x11::X11AccessTrust;

struct Launches {
    std::vector<std::vector<std::string>> argv;
    bool succeed = true;
    X11AccessTrust::Launcher launcher() {
        return [this](const std::vector<std::string>& a) {
            argv.push_back(a);
            return succeed;
        };
    }
};

class AccessTrustTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (!desktop_) {
            return;
        }
        std::string error;
        conn_ = x11::Connection::open(desktop().display(), &error);
        ASSERT_TRUE(conn_) << error;
    }
    std::unique_ptr<x11::Connection> conn_;
};

TEST_F(AccessTrustTest, TrustedUnderAnEwmhManagerAndNotOnceItHasGone) {
    X11AccessTrust trust(conn_.get(), "/src/README.md");
    Launches launches;
    trust.setLauncher(launches.launcher());
    EXPECT_TRUE(trust.isTrusted());
    EXPECT_TRUE(trust.requestTrust());
    EXPECT_TRUE(launches.argv.empty()) << "nothing to tell when trusted";

    desktop().stopWindowManager();
    // Its check property may outlive it; the check window does not.
    EXPECT_TRUE(desktop().waitUntil([&] { return !trust.isTrusted(); }));
    EXPECT_FALSE(trust.requestTrust());
    ASSERT_EQ(launches.argv.size(), 1u);
    EXPECT_EQ(launches.argv[0][0], "notify-send");
    EXPECT_NE(launches.argv[0].back().find("No window manager"), std::string::npos);

    trust.openSettings();
    ASSERT_EQ(launches.argv.size(), 2u);
    EXPECT_EQ(launches.argv[1],
              (std::vector<std::string>{"xdg-open", "file:///src/README.md#window-access"}));
}

TEST_F(AccessTrustTest, SaysOnStderrWhenNoNotificationCanBeShown) {
    desktop().stopWindowManager();
    X11AccessTrust trust(conn_.get());
    Launches launches;
    launches.succeed = false;
    trust.setLauncher(launches.launcher());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(trust.requestTrust());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("No window manager"),
              std::string::npos);
}

class NoManagerTrustTest : public AccessTrustTest {
    DesktopOptions options() const override {
        DesktopOptions o;
        o.windowManager.clear();
        return o;
    }
};

TEST_F(NoManagerTrustTest, NotTrustedWithoutAManagerOrADisplay) {
    EXPECT_FALSE(X11AccessTrust(conn_.get()).isTrusted());
    EXPECT_FALSE(X11AccessTrust(nullptr).isTrusted());
    EXPECT_NE(X11AccessTrust(nullptr).missing().find("no X11 display"), std::string::npos);
}

} // namespace
} // namespace vx::test
