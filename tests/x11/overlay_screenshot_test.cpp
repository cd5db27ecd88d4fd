// The running program's menu and outline read back from the screen, with and
// without a compositor: the aimed wedge, the target's icon in the hub, the
// outline inside the monitor, a menu that stands out over white and black, and
// clicks through everything but the hub.
#include "program_driver.h"

#include <numbers>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

// The root pixel at `degrees` (counter-clockwise, y up) and `radius` from (cx, 512).
std::pair<int, int> polar(double degrees, double radius, int cx = 640) {
    const double a = degrees * std::numbers::pi / 180;
    return {cx + static_cast<int>(std::lround(radius * std::cos(a))),
            512 - static_cast<int>(std::lround(radius * std::sin(a)))};
}

class OverlayScreenshots : public ProgramTest, public ::testing::WithParamInterface<bool> {
protected:
    void beforeProgram() override {
        if (!GetParam())
            return;
        compositor_ = desktop().spawn({"xcompmgr"});
        const auto selection = c().atom("_NET_WM_CM_S0");
        ASSERT_TRUE(compositor_ && desktop().waitUntil([&] {
            auto owner = c().reply(xcb_get_selection_owner(c().raw(), selection),
                                   xcb_get_selection_owner_reply);
            return owner && owner->owner != XCB_NONE;
        })) << "xcompmgr did not start";
    }
    // Re-reads the screen until `check` holds (a compositor paints late).
    bool screenShows(const std::function<bool(const ScreenShot&)>& check,
                     std::chrono::milliseconds timeout = kWait) {
        return pumpUntil(
            c(), [&] { return check(ScreenShot(c())); }, timeout, 0ms);
    }
    // The top-level window under the pointer at a root point, as input sees it.
    xcb_window_t windowUnderPointer(int x, int y) {
        fakeMotion(c(), x, y);
        auto reply = c().reply(xcb_query_pointer(c().raw(), c().root()), xcb_query_pointer_reply);
        return reply ? reply->child : XCB_NONE;
    }
    // A window in front, with or without an application icon.
    std::optional<Client> front(std::vector<std::string> flags) {
        auto window = desktop().launchFixture(flags);
        EXPECT_TRUE(window && activate(window->window));
        return window;
    }
    std::optional<Process> compositor_;
};

// How clearly the menu at (640, 512) aimed at the top shows, as mean pixel
// differences (0 to 255): disc, rim and hub edge against the window beneath,
// the wedge against the ring opposite. A light body barely darkens white: the
// edges must carry the outline.
std::optional<std::string> menuHidden(const ScreenShot& before, const ScreenShot& held) {
    std::array<double, 4> sums{}, counts{};
    for (int y = 512 - 100; y <= 512 + 100; ++y)
        for (int x = 640 - 100; x <= 640 + 100; ++x) {
            const double r = std::hypot(x - 640, y - 512);
            const double a = std::atan2(512 - y, x - 640) * 180 / std::numbers::pi;
            const double d = before.at(x, y).distance(held.at(x, y)) / 3.0;
            const bool in[4] = {r <= 100, r >= 97 && r <= 100, r >= 30 && r <= 33,
                                r >= 50 && r <= 88 && std::abs(a - 90) <= 15};
            for (std::size_t i = 0; i < 4; ++i)
                if (in[i]) {
                    sums[i] += i < 3 ? d : held.at(x, y).distance(held.at(x, 1024 - y)) / 3.0;
                    ++counts[i];
                }
        }
    const std::array<double, 4> least{15, 40, 16, 40};
    std::string seen;
    bool hidden = false;
    for (std::size_t i = 0; i < 4; ++i) {
        hidden |= sums[i] / counts[i] < least[i];
        seen += std::to_string(sums[i] / counts[i]) + (i < 3 ? " " : "");
    }
    return hidden ? std::optional("disc, rim, hub, wedge: " + seen) : std::nullopt;
}

TEST_P(OverlayScreenshots, TheMenuStandsOutFollowsTheAimAndTakesClicksOnlyOnItsHub) {
    const auto target = front({"--geometry", "300x200+1500+100", "--icon", "16"});
    ASSERT_TRUE(target && open(640, 512));
    for (const int i : {0, 1, 2, 3, 4, 5, 6, 7, 2, 6}) {
        const auto sector = allLayoutSectors[static_cast<std::size_t>(i)];
        ASSERT_TRUE(aim(640, 512, sector));
        const double angle = centerAngleDegrees(sector);
        EXPECT_TRUE(screenShows([&](const ScreenShot& s) {
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
    EXPECT_TRUE(screenShows([&](const ScreenShot& s) {
        for (const int d : {0, 1, 3, 5, 7, 9, 40})
            for (const auto& [x, y] :
                 {std::pair{d, 500}, {1279 - d, 500}, {640, d}, {640, 1023 - d}})
                if (s.at(x, y).isGreen() != (d >= 3 && d <= 7))
                    return false;
        return true;
    }));
    // On the line the pointer reaches whatever lies beneath: the root here,
    // the xterm further in.
    EXPECT_EQ(windowUnderPointer(5, 500), static_cast<xcb_window_t>(XCB_NONE));
    EXPECT_NE(windowUnderPointer(300, 200), static_cast<xcb_window_t>(XCB_NONE));
    ASSERT_TRUE(release());

    for (const auto& [background, colour] :
         {std::pair{"ffffff", Pixel{255, 255, 255}}, std::pair{"000000", Pixel{}}}) {
        SCOPED_TRACE(background);
        auto window = front({"--geometry", "600x500+340+240", "--background", background});
        // A compositor shows the new window a moment later.
        ASSERT_TRUE(window && screenShows(
                                  [&](const ScreenShot& s) {
                                      return s.at(540, 412) == colour && s.at(740, 612) == colour;
                                  },
                                  kLaunchWait));
        const ScreenShot before(c());
        ASSERT_TRUE(open(640, 512));
        ASSERT_TRUE(aim(640, 512, LayoutSector::top));
        std::optional<std::string> hidden;
        EXPECT_TRUE(screenShows([&](auto& held) { return !(hidden = menuHidden(before, held)); }))
            << *hidden;
        // No box: the window beneath shows, and takes clicks, in the menu's
        // corner and between hub and ring; only the hub takes one, and maximizes.
        EXPECT_TRUE(screenShows([&](const ScreenShot& s) {
            return s.at(533, 405) == colour && s.at(640 + 35, 512) == colour;
        }));
        const auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--name", "^Vortaxis menu$"});
        ASSERT_TRUE(found && found->exitCode == 0);
        const auto menu = static_cast<xcb_window_t>(std::stoul(found->output));
        EXPECT_NE(windowUnderPointer(533, 405), menu);
        EXPECT_NE(windowUnderPointer(640 + 35, 512), menu);
        EXPECT_EQ(windowUnderPointer(640 + 20, 512 - 20), menu);
        fakeButton(c(), 1);
        EXPECT_TRUE(waitForLine("^status: Snapped · Full screen$"));
        letGo();
    }
}

INSTANTIATE_TEST_SUITE_P(Compositing, OverlayScreenshots, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "composited" : "opaque"; });

} // namespace
} // namespace vx::test
#endif
