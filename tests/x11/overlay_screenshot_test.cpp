// The radial menu and the screen outline of the running program, read back
// from the screen, once with a compositor and once without: the wedge where
// the aim is, the target application's icon in the hub, the outline inside the
// monitor's edges, clicks through everything but the hub, and a menu that
// stands out over white and over black.
#include "program_driver.h"

#include <cstdlib>
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

// How clearly the menu held at (640, 512) and aimed at the top shows, as mean
// differences of pixels (0 to 255): the disc, the band just inside its edge
// and the hub's edge against the window beneath, the wedge against the ring
// opposite it.
struct MenuContrast {
    double disc = 0, rim = 0, hub = 0, wedge = 0;
    MenuContrast(const ScreenShot& before, const ScreenShot& held) {
        auto differs = [](const Pixel& p, const Pixel& q) {
            return (std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b)) / 3.0;
        };
        double sums[4] = {}, counts[4] = {};
        for (int y = 512 - 100; y <= 512 + 100; ++y)
            for (int x = 640 - 100; x <= 640 + 100; ++x) {
                const double r = std::hypot(x - 640, y - 512);
                const double a = std::atan2(512 - y, x - 640) * 180 / std::numbers::pi;
                const double d = differs(before.at(x, y), held.at(x, y));
                const bool inWedge = r >= 50 && r <= 88 && std::abs(a - 90) <= 15;
                const double in[4] = {r <= 100 ? d : -1, r >= 97 && r <= 100 ? d : -1,
                                      r >= 30 && r <= 33 ? d : -1,
                                      inWedge ? differs(held.at(x, y), held.at(x, 1024 - y)) : -1};
                for (int i = 0; i < 4; ++i)
                    if (in[i] >= 0)
                        sums[i] += in[i], ++counts[i];
            }
        disc = sums[0] / counts[0], rim = sums[1] / counts[1];
        hub = sums[2] / counts[2], wedge = sums[3] / counts[3];
    }
    // A light body barely darkens white: the edges must carry the outline.
    bool standsOut() const { return disc >= 15 && rim >= 40 && hub >= 16 && wedge >= 40; }
};

std::ostream& operator<<(std::ostream& out, const MenuContrast& m) {
    return out << "disc " << m.disc << ", rim " << m.rim << ", hub " << m.hub << ", wedge "
               << m.wedge;
}

TEST_P(OverlayScreenshots, TheMenuStandsOutOverAWhiteAndABlackWindow) {
    for (const auto& [background, colour] :
         {std::pair{"ffffff", Pixel{255, 255, 255}}, std::pair{"000000", Pixel{}}}) {
        SCOPED_TRACE(background);
        auto window =
            desktop().launchFixture({"--geometry", "600x500+340+240", "--background", background});
        ASSERT_TRUE(window);
        ASSERT_TRUE(activate(window->window));
        // A compositor shows the new window a moment later.
        ASSERT_TRUE(screenShows(c(), [&](const ScreenShot& s) {
            return s.at(540, 412) == colour && s.at(740, 612) == colour;
        }));
        const ScreenShot before(c());
        ASSERT_TRUE(vortaxis->open(640, 512));
        ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::top));
        std::optional<MenuContrast> seen;
        EXPECT_TRUE(screenShows(c(), [&](const ScreenShot& held) {
            return (seen = MenuContrast(before, held))->standsOut();
        })) << *seen;
        std::cerr << "contrast over " << background << ": " << *seen << '\n';
        if (const char* dir = std::getenv("VX_MENU_SHOTS"))
            desktop().tool({"import", "-window", "root", "-crop", "260x260+510+382",
                            std::string(dir) + "/menu-" + (GetParam() ? "composited-" : "opaque-") +
                                background + ".png"});
        fakeMotion(c(), 640, 512);
        ASSERT_TRUE(vortaxis->waitForLine("^aim: centre$"));
        ASSERT_TRUE(vortaxis->release("Cancelled"));
    }
}

INSTANTIATE_TEST_SUITE_P(Compositing, OverlayScreenshots, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "composited" : "opaque"; });

} // namespace
} // namespace vx::test
#endif
