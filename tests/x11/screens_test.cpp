// Monitors, the room panels leave on each, and the pointer, as the program
// sees them through its own connection.
#include "harness/desktop_test.h"
#include "x11/x11_screens.h"

#include <fstream>
#include <xcb/xtest.h>

namespace vx::test {
namespace {

class ScreensTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (!desktop_) {
            return;
        }
        std::string error;
        conn_ = x11::Connection::open(desktop().display(), &error);
        ASSERT_TRUE(conn_) << error;
        screens_ = std::make_unique<x11::X11Screens>(*conn_);
    }
    void TearDown() override {
        screens_.reset();
        conn_.reset();
        DesktopTest::TearDown();
    }
    Rect visible(std::size_t i) { return screens_->screens().at(i).visibleFrame; }

    std::unique_ptr<x11::Connection> conn_;
    std::unique_ptr<x11::X11Screens> screens_;
};

TEST_F(ScreensTest, ReadsEachMonitorWithAStableNameAndTheLeftOneAsPrimary) {
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
}

TEST_F(ScreensTest, SeesAMonitorRemovedAtTheNextCall) {
    ASSERT_EQ(screens_->screens().size(), 2u);
    auto r = desktop().tool({"xrandr", "--delmonitor", "RIGHT"});
    ASSERT_TRUE(r && r->exitCode == 0);
    EXPECT_TRUE(desktop().waitUntil([&] { return screens_->screens().size() == 1; }));
}

struct StrutCase {
    const char* name;
    std::vector<std::string> flags;
    Rect left, right; // expected visible frames, desktop coordinates
};

TEST_F(ScreensTest, StrutsShrinkOnlyTheMonitorsTheyReachInto) {
    const std::vector<StrutCase> cases = {
        // A 30 px bottom panel on the right monitor only.
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool managed =
            std::find(c.flags.begin(), c.flags.end(), "--override-redirect") == c.flags.end();
        auto dock = desktop().launchFixture(c.flags, managed);
        ASSERT_TRUE(dock);
        EXPECT_TRUE(desktop().waitUntil([&] { return visible(1) == c.right; })) << visible(1);
        EXPECT_EQ(visible(0), c.left);
        // Gone with its window.
        dock->process.terminate();
        EXPECT_TRUE(desktop().waitUntil([&] {
            return visible(0) == Rect(0, 0, 1280, 1024) && visible(1) == Rect(1280, 0, 1280, 1024);
        }));
    }
}

TEST_F(ScreensTest, ARealPanelOnOneMonitorChangesOnlyThatMonitor) {
    if (!onPath("tint2")) {
        GTEST_SKIP() << "tint2 is not installed";
    }
    auto rc = desktop().tempDir() + "/tint2rc";
    std::ofstream(rc) << "panel_monitor = 2\npanel_position = bottom center horizontal\n"
                         "panel_size = 100% 40\nstrut_policy = follow_size\n"
                         "panel_layer = top\npanel_items = C\ntime1_format = %H:%M\n";
    auto panel = desktop().launch({"tint2", "-c", rc});
    // tint2 is a dock: it may be unmanaged; wait on what the seam sees instead.
    std::optional<Process> unmanaged;
    if (!panel) {
        SpawnOptions so;
        so.env = desktop().env();
        unmanaged = Process::spawn({"tint2", "-c", rc}, so);
        ASSERT_TRUE(unmanaged);
    }
    EXPECT_TRUE(desktop().waitUntil([&] { return visible(1) != Rect(1280, 0, 1280, 1024); }));
    EXPECT_EQ(visible(1), Rect(1280, 40, 1280, 984));
    EXPECT_EQ(visible(0), Rect(0, 0, 1280, 1024));
}

TEST_F(ScreensTest, PointerIsInDesktopPointsWithYUpFromThePrimaryBottom) {
    struct Case {
        std::int16_t rootX, rootY;
        Point expected;
    };
    for (auto c :
         {Case{0, 0, {0, 1024}}, Case{1500, 100, {1500, 924}}, Case{2559, 1023, {2559, 1}}}) {
        auto& h = desktop().conn();
        xcb_test_fake_input(h.raw(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, h.root(), c.rootX,
                            c.rootY, 0);
        h.flush();
        EXPECT_TRUE(desktop().waitUntil([&] { return screens_->pointerLocation() == c.expected; }))
            << screens_->pointerLocation() << " for " << c.rootX << "," << c.rootY;
    }
}

class StackedScreensTest : public ScreensTest {
    DesktopOptions options() const override {
        DesktopOptions o;
        o.width = 1280;
        o.height = 1024;
        o.monitors = {{"UPPER", 0, 0, 1280, 512}, {"LOWER", 0, 512, 1280, 512}};
        return o;
    }
};

TEST_F(StackedScreensTest, AMonitorBelowThePrimaryHasNegativeDesktopY) {
    auto screens = screens_->screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1280, 512));
    EXPECT_EQ(screens[1].frame, Rect(0, -512, 1280, 512));
    auto& h = desktop().conn();
    xcb_test_fake_input(h.raw(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, h.root(), 10, 600, 0);
    h.flush();
    EXPECT_TRUE(desktop().waitUntil([&] {
        return screens_->pointerLocation() == Point{10, -88};
    })) << screens_->pointerLocation();
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
