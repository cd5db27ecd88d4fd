// The radial menu and the screen outline of the running program, read back
// from the screen, once with a compositor and once without: the wedge where
// the aim is, the target application's icon in the hub, the outline inside the
// monitor's edges, clicks through everything but the hub.
#include "program_driver.h"

#include <numbers>
#include <sstream>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

// Re-reads the screen until `check` holds on it (a compositor paints late), for at most 2 s.
bool screenShows(x11::Connection& c, const std::function<bool(const ScreenShot&)>& check) {
    const auto deadline = deadlineIn(kWait);
    while (!check(ScreenShot(c)))
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    return true;
}

// The root pixel at `degrees` (counter-clockwise, y up) and `radius` from (cx, 512).
std::pair<int, int> polar(double degrees, double radius, int cx = 640) {
    const double a = degrees * std::numbers::pi / 180;
    return {cx + static_cast<int>(std::lround(radius * std::cos(a))),
            512 - static_cast<int>(std::lround(radius * std::sin(a)))};
}

// The top-level window under the pointer at a root point, as input sees it.
xcb_window_t windowUnderPointer(x11::Connection& c, int x, int y) {
    fakeMotion(c, x, y);
    auto reply = c.reply(xcb_query_pointer(c.raw(), c.root()), xcb_query_pointer_reply);
    return reply ? reply->child : XCB_NONE;
}

class OverlayScreenshots : public ProgramTest, public ::testing::WithParamInterface<bool> {
protected:
    void beforeProgram() override {
        if (!GetParam())
            return;
        SpawnOptions so;
        so.env = desktop().env();
        compositor_ = Process::spawn({"xcompmgr"}, so);
        ASSERT_TRUE(compositor_);
        const auto selection = c().atom("_NET_WM_CM_S0");
        ASSERT_TRUE(desktop().waitUntil([&] {
            auto owner = c().reply(xcb_get_selection_owner(c().raw(), selection),
                                   xcb_get_selection_owner_reply);
            return owner && owner->owner != XCB_NONE;
        })) << "xcompmgr did not start";
    }
    // A window in front, off the menu's way, with or without an application icon.
    void frontWindow(bool icon) {
        std::vector<std::string> flags{"--geometry", "300x200+1500+100"};
        if (icon)
            flags.insert(flags.end(), {"--icon", "16"});
        target_ = desktop().launchFixture(flags);
        ASSERT_TRUE(target_);
        ASSERT_TRUE(activate(target_->window));
    }
    xcb_window_t menuWindow() {
        auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--name", "^Vortaxis menu$"});
        return found && found->exitCode == 0 ? static_cast<xcb_window_t>(std::stoul(found->output))
                                             : 0;
    }

    std::optional<Process> compositor_;
    std::optional<Client> target_;
};

TEST_P(OverlayScreenshots, TheWedgeFollowsTheAimTheHubShowsTheIconAndTheOutlineLetsClicksThrough) {
    ASSERT_NO_FATAL_FAILURE(frontWindow(true));
    ASSERT_TRUE(vortaxis->open(640, 512));
    for (const int i : {0, 1, 2, 3, 4, 5, 6, 7, 2, 6}) {
        const auto sector = allLayoutSectors[static_cast<std::size_t>(i)];
        ASSERT_TRUE(vortaxis->aim(640, 512, sector));
        const double angle = centerAngleDegrees(sector);
        EXPECT_TRUE(screenShows(c(), [&](const ScreenShot& s) {
            for (const double radius : {48.0, 69.0, 90.0}) {
                const auto [x, y] = polar(angle, radius);
                const auto [ox, oy] = polar(angle + 180, radius);
                if (!s.at(x, y).isRed() || s.at(ox, oy).isRed())
                    return false;
            }
            // The hub shows the red icon; the ring next to the wedge is not red.
            const auto [nx, ny] = polar(angle + 90, 69);
            return s.at(640, 512).isRed() && !s.at(nx, ny).isRed();
        })) << title(sector);
    }
    // Three pixels wide, just inside each edge of the left monitor.
    EXPECT_TRUE(screenShows(c(), [&](const ScreenShot& s) {
        for (const int d : {0, 1, 3, 5, 7, 9, 40}) {
            const bool line = d >= 3 && d <= 7;
            for (const auto& [x, y] :
                 {std::pair{d, 500}, {1279 - d, 500}, {640, d}, {640, 1023 - d}})
                if (s.at(x, y).isGreen() != line)
                    return false;
        }
        return true;
    }));
    // On the line the pointer reaches whatever lies beneath: the root here,
    // the xterm further in.
    EXPECT_EQ(windowUnderPointer(c(), 5, 500), static_cast<xcb_window_t>(XCB_NONE));
    EXPECT_NE(windowUnderPointer(c(), 300, 200), static_cast<xcb_window_t>(XCB_NONE));
    ASSERT_TRUE(vortaxis->release());
}

TEST_P(OverlayScreenshots, WithoutAnIconTheWedgeIsBlueNoBoxShowsAndOnlyTheHubTakesTheClick) {
    ASSERT_NO_FATAL_FAILURE(frontWindow(false));
    // On the right monitor, clear of both windows.
    ASSERT_TRUE(vortaxis->open(1920, 512));
    ASSERT_TRUE(vortaxis->aim(1920, 512, LayoutSector::bottomRight));
    // The root background shows in the menu's corner and between hub and ring.
    EXPECT_TRUE(screenShows(c(), [&](const ScreenShot& s) {
        const auto [x, y] = polar(315, 69, 1920);
        const Pixel background = s.at(1200, 1000);
        return s.at(x, y).isBlue() && s.at(1813, 405) == background &&
               s.at(1920 + 35, 512) == background;
    }));
    const auto menu = menuWindow();
    ASSERT_NE(menu, 0u);
    EXPECT_NE(windowUnderPointer(c(), 1920 + 70, 512), menu);
    EXPECT_NE(windowUnderPointer(c(), 1813, 405), menu);
    EXPECT_EQ(windowUnderPointer(c(), 1920 + 20, 512 - 20), menu);
    fakeButton(c(), 1);
    EXPECT_TRUE(vortaxis->waitForLine("^status: Snapped · Full screen$"));
    vortaxis->letGo();
}

INSTANTIATE_TEST_SUITE_P(Compositing, OverlayScreenshots, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "composited" : "opaque"; });

} // namespace
} // namespace vx::test
#endif
