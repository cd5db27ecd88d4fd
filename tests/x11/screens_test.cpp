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
        conn_ = openConnection();
        ASSERT_TRUE(conn_);
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
    auto screens = screens_->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1280, 1024));
    EXPECT_EQ(screens[1].frame, Rect(1280, 0, 1280, 1024));
    EXPECT_EQ(screens[0].visibleFrame, screens[0].frame);
    ASSERT_TRUE(screens[0].number && screens[1].number);
    EXPECT_EQ(*screens[0].number, conn_->atom("LEFT"));
    EXPECT_EQ(*screens[1].number, conn_->atom("RIGHT"));
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto dock = desktop().launchFixture(c.flags, c.flags[0] != "--override-redirect");
        ASSERT_TRUE(dock);
        x11::OwnedWindow frame;
        if (c.framed) {
            auto& h = desktop().conn();
            const xcb_window_t id = xcb_generate_id(h.raw());
            const std::uint32_t overrideRedirect = 1;
            xcb_create_window(h.raw(), XCB_COPY_FROM_PARENT, id, h.root(), 0, 0, 1280, 20, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                              XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
            frame = x11::OwnedWindow(h, id);
            xcb_map_window(h.raw(), id);
            xcb_reparent_window(h.raw(), dock->window, id, 0, 0);
            ASSERT_TRUE(h.sync());
        }
        EXPECT_TRUE(desktop().waitUntil([&] {
            return visible(0) == c.left && visible(1) == c.right;
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
