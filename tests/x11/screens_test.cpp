// Monitors, the room panels leave on each, and the pointer, as the program
// sees them through its own connection.
#include "harness/desktop_test.h"
#include "input_helpers.h"
#include "x11/x11_screens.h"

namespace vx::test {
namespace {

class ScreensTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(conn_ = openConnection());
        screens_ = std::make_unique<x11::X11Screens>(*conn_);
    }
    void TearDown() override {
        screens_.reset();
        conn_.reset();
        DesktopTest::TearDown();
    }
    Rect visible(std::size_t i) { return screens_->screens().at(i).visibleFrame; }
    // The pointer at a root pixel, in desktop points once the seam sees it there.
    bool pointerIsAt(int rootX, int rootY, Point expected) {
        fakeMotion(desktop().conn(), rootX, rootY);
        return desktop().waitUntil([&] { return screens_->pointerLocation() == expected; });
    }

    std::unique_ptr<x11::Connection> conn_;
    std::unique_ptr<x11::X11Screens> screens_;
};

TEST_F(ScreensTest, ReadsEachMonitorWithAStableNameAndPointsWithYUpFromThePrimaryBottom) {
    const auto screens = screens_->screens();
    ASSERT_EQ(screens.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(screens[i].frame, Rect(1280.0 * static_cast<double>(i), 0, 1280, 1024));
        EXPECT_EQ(screens[i].visibleFrame, screens[i].frame);
        EXPECT_EQ(screens[i].number, conn_->atom(i ? "RIGHT" : "LEFT"));
    }
    // Asked again, the same numbers: the id is what the session remembers.
    EXPECT_EQ(screens_->screens(), screens);
    EXPECT_TRUE(pointerIsAt(0, 0, {0, 1024}));
    EXPECT_TRUE(pointerIsAt(1500, 100, {1500, 924}));
    EXPECT_TRUE(pointerIsAt(2559, 1023, {2559, 1})) << screens_->pointerLocation();
}

TEST_F(ScreensTest, StrutsShrinkOnlyTheMonitorsTheyReachInto) {
    struct Case {
        const char* name;
        std::vector<std::string> flags;
        Rect left, right; // expected visible frames, desktop coordinates
        bool framed = false;
    };
    const std::vector<Case> cases = {
        {"bottom panel on the right",
         {"--dock", "--strut-partial", "0,0,0,30,0,0,0,0,0,0,1280,2559"},
         Rect(0, 0, 1280, 1024),
         Rect(1280, 30, 1280, 994)},
        // A left dock on the right monitor reserves from the root's left edge:
        // it must not swallow the whole left monitor.
        {"left dock on the right",
         {"--dock", "--strut-partial", "1320,0,0,0,0,1023,0,0,0,0,0,0"},
         Rect(0, 0, 1280, 1024),
         Rect(1320, 0, 1240, 1024)},
        // The old form spans the whole top edge: both monitors lose it.
        {"old-style top strut",
         {"--dock", "--strut", "0,0,25,0"},
         Rect(0, 0, 1280, 999),
         Rect(1280, 0, 1280, 999)},
        // An unmanaged panel is found through the root's children.
        {"unmanaged top panel on the left",
         {"--override-redirect", "--strut-partial", "0,0,20,0,0,0,0,0,0,1279,0,0"},
         Rect(0, 0, 1280, 1004),
         Rect(1280, 0, 1280, 1024)},
        // A panel inside a frame of the manager's and in no list (i3's bar).
        {"top panel inside a frame",
         {"--override-redirect", "--strut-partial", "0,0,20,0,0,0,0,0,0,1279,0,0"},
         Rect(0, 0, 1280, 1004),
         Rect(1280, 0, 1280, 1024),
         true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        auto dock = desktop().launchFixture(k.flags, k.flags[0] != "--override-redirect");
        ASSERT_TRUE(dock);
        std::optional<Client> frame;
        if (k.framed) {
            ASSERT_TRUE(frame = desktop().launchFixture(
                            {"--override-redirect", "--geometry", "1280x20+0+0"}, false));
            xcb_reparent_window(c().raw(), dock->window, frame->window, 0, 0);
            ASSERT_TRUE(c().sync());
        }
        EXPECT_TRUE(desktop().waitUntil([&] {
            return visible(0) == k.left && visible(1) == k.right;
        })) << visible(0)
            << " " << visible(1);
        // Gone with its window.
        dock->process.terminate();
        EXPECT_TRUE(desktop().waitUntil([&] {
            return visible(0) == Rect(0, 0, 1280, 1024) && visible(1) == Rect(1280, 0, 1280, 1024);
        }));
    }
}

TEST(ScaledScreens, DividesRootPixelsByOneFactor) {
    x11::Coordinates c({100, 50, 1000, 800}, 2.0);
    EXPECT_EQ(c.desktopRect({100, 50, 1000, 800}), Rect(0, 0, 500, 400));
    EXPECT_EQ(c.topLeftRect({300, 450, 200, 100}), Rect(100, 200, 100, 50));
    EXPECT_EQ(c.desktopPoint(300, 450), Point(100, 200));
    EXPECT_EQ(c.rootX(100), 300);
    EXPECT_EQ(c.rootY(200), 450);
}

} // namespace
} // namespace vx::test
