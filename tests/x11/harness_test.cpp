// The harness itself: a test desktop that is not what it claims would make
// every other X test meaningless.
#include "harness/desktop_test.h"

#include <xcb/randr.h>

namespace vx::test {
namespace {

class HarnessTest : public DesktopTest {};

TEST_F(HarnessTest, BringsUpTwoMonitorsAndAManagingWindowManager) {
    auto& c = desktop().conn();
    auto monitors =
        c.reply(xcb_randr_get_monitors(c.raw(), c.root(), 1), xcb_randr_get_monitors_reply);
    ASSERT_TRUE(monitors);
    EXPECT_EQ(xcb_randr_get_monitors_monitors_length(monitors.get()), 2);
    EXPECT_TRUE(desktop().windowManagerReady());

    auto client = desktop().launchFixture({"--geometry", "300x200+50+60"});
    ASSERT_TRUE(client);
    auto frame = desktop().oracleFrame(client->window);
    ASSERT_TRUE(frame);
    // Decorated: the frame is larger than the client.
    EXPECT_GT(frame->size.height, 200);
}

TEST_F(HarnessTest, FindsARealClientByItsProcess) {
    auto xterm = desktop().launch({"xterm", "-geometry", "80x24+10+10"});
    ASSERT_TRUE(xterm);
    EXPECT_EQ(desktop().ownerPid(xterm->window), xterm->process.pid());
}

class NoWindowManager : public DesktopTest {
    DesktopOptions options() const override {
        DesktopOptions o;
        o.windowManager.clear();
        return o;
    }
};

TEST_F(NoWindowManager, ReportsNoWindowManager) {
    EXPECT_FALSE(desktop().windowManagerReady());
    auto client = desktop().launchFixture({}, /*managed=*/false);
    ASSERT_TRUE(client);
    EXPECT_TRUE(desktop().clientList().empty());
}

} // namespace
} // namespace vx::test
