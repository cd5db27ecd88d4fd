// The real program when the desktop misbehaves: the target vanishes while it
// is placed, the manager dies mid-gesture and comes back, the layout changes,
// the X server goes. It must say what happened and carry on, or leave cleanly.
#include "program_driver.h"

#include <gmock/gmock.h>
#include <sys/wait.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

using FaultTest = ProgramTest;

TEST_F(FaultTest, TheProgramSaysWhatWentWrongCarriesOnAndLeavesCleanlyWithoutItsServer) {
    // A window destroyed as soon as the manager starts moving it.
    auto fixture = desktop().launchFixture({"--geometry", "400x300+300+200"});
    ASSERT_TRUE(fixture && activate(fixture->window));
    bool destroyed = false;
    const auto handler = c().addHandler([&](const xcb_generic_event_t& e) {
        if (destroyed || x11::eventType(e) != XCB_CONFIGURE_NOTIFY ||
            reinterpret_cast<const xcb_configure_notify_event_t&>(e).window != fixture->window)
            return;
        xcb_destroy_window(c().raw(), fixture->window);
        c().flush();
        destroyed = true;
    });
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::bottomRight));
    letGo();
    ASSERT_TRUE(pumpUntil(c(), [&] { return destroyed; })) << "the window was never moved";
    c().removeHandler(handler);
    // Whatever the program managed before the window went, it says how it ended.
    const auto outcome = waitForLine("^status: ");
    ASSERT_TRUE(outcome);
    EXPECT_THAT(*outcome, ::testing::MatchesRegex("status: (Snapped · Bottom-right|Window no "
                                                  "longer available|.*(move|resize).*)"));
    ASSERT_TRUE(activate(xterm->window));

    // The manager gone, the release says so, not a snap; a new hold says what is missing.
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::right));
    desktop().stopWindowManager();
    EXPECT_TRUE(release("Window access was lost.*"));
    fakeKeys(c(), trigger, true);
    EXPECT_TRUE(waitForLine("^status: Vortaxis cannot arrange windows here: No window manager"));
    letGo();
    EXPECT_FALSE(menuOpened(300ms));

    // A layout switched meanwhile keeps the trigger, a modifier, working.
    ASSERT_TRUE(desktop().ran({"setxkbmap", "de"}));
    ASSERT_TRUE(desktop().startWindowManager(DesktopOptions::defaultWindowManager()));
    // The xterm is managed again (a new frame) once the manager is back.
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isManagedAndShown(xterm->window); }));
    ASSERT_TRUE(activate(xterm->window));
    EXPECT_TRUE(snaps(LayoutSector::left, leftMonitor));
    // Switched with the menu open: the release still ends the gesture where it aims.
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::top));
    ASSERT_TRUE(desktop().ran({"setxkbmap", "fr"}));
    EXPECT_TRUE(release("Snapped · " + title(LayoutSector::top)));

    // The server goes while the menu is up and the pointer grabbed.
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::right));
    desktop().killServer();
    const auto output = program->readAll(deadlineIn(kWait));
    const auto status = program->wait(deadlineIn(kWait));
    ASSERT_TRUE(status) << "still running without its X server";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status)
                                    << (WCOREDUMP(*status) ? " with a core dump" : "");
    EXPECT_NE(WEXITSTATUS(*status), 0);
    // Qt may notice first and say it in its own words; either way the server is named.
    EXPECT_THAT(output.value_or(""), ::testing::ContainsRegex("X(11)? server"));
}

} // namespace
} // namespace vx::test
#endif
