// The radial menu and the screen outline on a real server, read back from the
// screen, once with a compositor and once without: the wedge where the aim is,
// the application's icon in the hub, the outline inside the monitor's edges,
// clicks through everything but the hub.
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <csignal>
#include <numbers>
#include <sstream>

namespace vx::test {
namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool isRed() const { return r > 120 && r > g + 60 && r > b + 60; }
    bool isGreen() const { return g > 150 && g > r + 60 && g > b + 50; }
    bool isBlue() const { return b > r + 80; }
    bool operator==(const Rgb& o) const {
        return std::abs(r - o.r) < 8 && std::abs(g - o.g) < 8 && std::abs(b - o.b) < 8;
    }
};

// The screen as the server composes it (root window, inferiors included).
class Shot {
public:
    explicit Shot(x11::Connection& c) {
        auto reply = c.reply(
            xcb_get_image(c.raw(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), 0, 0, 2560, 1024, ~0u),
            xcb_get_image_reply);
        if (reply && xcb_get_image_data_length(reply.get()) == 2560 * 1024 * 4)
            bytes_.assign(xcb_get_image_data(reply.get()),
                          xcb_get_image_data(reply.get()) + 2560 * 1024 * 4);
    }
    // Root coordinates; 32-bit pixels in BGRX order.
    Rgb at(int x, int y) const {
        const auto i = static_cast<std::size_t>((y * 2560 + x) * 4);
        return bytes_.empty() ? Rgb{} : Rgb{bytes_[i + 2], bytes_[i + 1], bytes_[i]};
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// Re-reads the screen until `check` holds on it (a compositor paints late), for at most 2 s.
bool screenShows(x11::Connection& c, const std::function<bool(const Shot&)>& check) {
    const auto deadline = deadlineIn(kWait);
    while (!check(Shot(c)))
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    return true;
}

// The root pixel at `degrees` (counter-clockwise, y up) and `radius` from (640, 512).
std::pair<int, int> polar(double degrees, double radius) {
    const double a = degrees * std::numbers::pi / 180;
    return {640 + static_cast<int>(std::lround(radius * std::cos(a))),
            512 - static_cast<int>(std::lround(radius * std::sin(a)))};
}

// The top-level window under the pointer at a root point, as input sees it.
xcb_window_t windowUnderPointer(x11::Connection& c, int x, int y) {
    fakeMotion(c, x, y);
    auto reply = c.reply(xcb_query_pointer(c.raw(), c.root()), xcb_query_pointer_reply);
    return reply ? reply->child : XCB_NONE;
}

class OverlayScreenshots : public DesktopTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure() || !GetParam())
            return;
        SpawnOptions so;
        so.env = desktop().env();
        compositor_ = Process::spawn({"xcompmgr"}, so);
        ASSERT_TRUE(compositor_);
        auto& c = desktop().conn();
        const auto selection = c.atom("_NET_WM_CM_S0");
        ASSERT_TRUE(desktop().waitUntil([&] {
            auto owner =
                c.reply(xcb_get_selection_owner(c.raw(), selection), xcb_get_selection_owner_reply);
            return owner && owner->owner != XCB_NONE;
        })) << "xcompmgr did not start";
    }

    // Shows the overlays (see menu_fixture.cpp for the arguments).
    void start(const std::vector<std::string>& args) {
        std::vector<std::string> argv{VORTAXIS_MENU_FIXTURE, "--primary-height", "1024"};
        argv.insert(argv.end(), args.begin(), args.end());
        SpawnOptions so;
        so.env = desktop().env();
        so.env.push_back("QT_QPA_PLATFORM=xcb");
        so.logFile = desktop().tempDir() + "/menu_fixture.log";
        so.captureStdout = true;
        overlays_ = Process::spawn(argv, so);
        ASSERT_TRUE(overlays_);
    }
    // The fixture's next report ("aimed:N" or "done"), keeping the window ids it gives.
    std::string next() {
        std::istringstream in(overlays_->readLine(deadlineIn(kWait)).value_or("nothing"));
        std::string word, menu, outline;
        in >> word >> menu >> outline;
        menu_ = parseWindowId(menu).value_or(0);
        outline_ = parseWindowId(outline).value_or(0);
        return word;
    }

    std::optional<Process> compositor_, overlays_;
    xcb_window_t menu_ = 0, outline_ = 0;
};

TEST_P(OverlayScreenshots, TheWedgeFollowsTheAimAndTheHubShowsTheIcon) {
    const std::vector<int> sectors{0, 1, 2, 3, 4, 5, 6, 7, 2, 6};
    ASSERT_NO_FATAL_FAILURE(
        start({"--at", "640,512", "--hub-icon", "--sectors", "0,1,2,3,4,5,6,7,2,6"}));
    for (const int sector : sectors) {
        ASSERT_EQ(next(), "aimed:" + std::to_string(sector));
        const double angle = sector * 45.0;
        EXPECT_TRUE(screenShows(desktop().conn(),
                                [&](const Shot& s) {
                                    for (const double radius : {48.0, 69.0, 90.0}) {
                                        const auto [x, y] = polar(angle, radius);
                                        const auto [ox, oy] = polar(angle + 180, radius);
                                        if (!s.at(x, y).isRed() || s.at(ox, oy).isRed())
                                            return false;
                                    }
                                    // The hub shows the red icon; the ring next to the wedge is not
                                    // red.
                                    const auto [nx, ny] = polar(angle + 90, 69);
                                    return s.at(640, 512).isRed() && !s.at(nx, ny).isRed();
                                }))
            << "sector " << sector;
        overlays_->kill(SIGUSR1);
    }
    EXPECT_EQ(next(), "done");
}

TEST_P(OverlayScreenshots, WithoutAnIconTheWedgeIsBlueNoBoxShowsAndOnlyTheHubTakesTheClick) {
    auto& c = desktop().conn();
    ASSERT_NO_FATAL_FAILURE(start({"--at", "640,512", "--sectors", "7"}));
    ASSERT_EQ(next(), "aimed:7");
    const Rgb background = Shot(c).at(1200, 1000);
    // The root background shows in the menu's corner and between hub and ring.
    EXPECT_TRUE(screenShows(c, [&](const Shot& s) {
        const auto [x, y] = polar(315, 69);
        return s.at(x, y).isBlue() && s.at(533, 405) == background &&
               s.at(640 + 35, 512) == background;
    }));
    EXPECT_NE(windowUnderPointer(c, 640 + 70, 512), menu_);
    EXPECT_NE(windowUnderPointer(c, 533, 405), menu_);
    EXPECT_EQ(windowUnderPointer(c, 640 + 20, 512 - 20), menu_);
    fakeButton(c, 1);
    EXPECT_EQ(next(), "tap");
}

TEST_P(OverlayScreenshots, TheOutlineSitsInsideTheMonitorAndLetsClicksThrough) {
    auto client = desktop().launch({"xterm", "-geometry", "80x24+200+200"});
    ASSERT_TRUE(client);
    // Outline the left monitor; the menu opens on the right one.
    ASSERT_NO_FATAL_FAILURE(
        start({"--outline", "0,0,1280,1024", "--at", "1920,512", "--sectors", ""}));
    ASSERT_EQ(next(), "done");
    auto& c = desktop().conn();
    // Three pixels wide, just inside each edge.
    EXPECT_TRUE(screenShows(c, [&](const Shot& s) {
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
    // the client's window further in.
    EXPECT_EQ(windowUnderPointer(c, 5, 500), static_cast<xcb_window_t>(XCB_NONE));
    const auto inside = windowUnderPointer(c, 400, 300);
    EXPECT_NE(inside, outline_);
    EXPECT_NE(inside, static_cast<xcb_window_t>(XCB_NONE));
}

INSTANTIATE_TEST_SUITE_P(Compositing, OverlayScreenshots, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "composited" : "opaque"; });

} // namespace
} // namespace vx::test
