// The harness itself: a test desktop that is not what it claims would make
// every other X test meaningless.
#include "harness/desktop_test.h"

#include <xcb/randr.h>

namespace vx::test {
namespace {

TEST_F(DesktopTest, HasTwoMonitorsAManagerThatFramesClientsAndKnowsTheirOwners) {
    auto& c = desktop().conn();
    auto monitors =
        c.reply(xcb_randr_get_monitors(c.raw(), c.root(), 1), xcb_randr_get_monitors_reply);
    ASSERT_TRUE(monitors);
    EXPECT_EQ(xcb_randr_get_monitors_monitors_length(monitors.get()), 2);
    EXPECT_TRUE(desktop().windowManagerReady());
    auto client = desktop().launchFixture({"--geometry", "300x200+50+60"});
    ASSERT_TRUE(client);
    EXPECT_GT(desktop().oracleFrame(client->window).value_or(Rect()).size.height, 200)
        << "not decorated";
    auto xterm = desktop().launch({"xterm", "-geometry", "80x24+10+10"});
    ASSERT_TRUE(xterm);
    EXPECT_EQ(desktop().ownerPid(xterm->window), xterm->process.pid());
}

} // namespace
} // namespace vx::test
