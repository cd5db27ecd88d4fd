// The radial menu and the screen outline on a real server, read back from the
// screen, once with a compositor and once without: the wedge where the aim is,
// the application's icon in the hub, the outline inside the monitor's edges,
// clicks through everything but the hub.
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <cmath>
#include <csignal>
#include <numbers>
#include <xcb/xcb.h>

namespace vx::test {
namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

bool isRed(Rgb c) {
    return c.r > 120 && c.r > c.g + 60 && c.r > c.b + 60;
}
bool isStrongGreen(Rgb c) {
    return c.g > 150 && c.g > c.r + 60 && c.g > c.b + 50;
}

// A piece of the screen as the server composes it (root window, inferiors included).
class Shot {
public:
    static std::optional<Shot> grab(x11::Connection& c, int x, int y, int w, int h) {
        auto reply = c.reply(
            xcb_get_image(c.raw(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(),
                          static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                          static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), ~0u),
            xcb_get_image_reply);
        if (!reply || xcb_get_image_data_length(reply.get()) != w * h * 4)
            return std::nullopt;
        Shot s;
        s.x_ = x;
        s.y_ = y;
        s.w_ = w;
        const auto* data = xcb_get_image_data(reply.get());
        s.bytes_.assign(data, data + w * h * 4);
        return s;
    }
    // Root coordinates; 32-bit pixels in BGRX order.
    Rgb at(int rx, int ry) const {
        const auto i = static_cast<std::size_t>(((ry - y_) * w_ + (rx - x_)) * 4);
        return {bytes_[i + 2], bytes_[i + 1], bytes_[i]};
    }

private:
    int x_ = 0, y_ = 0, w_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// Re-reads the screen until `check` holds on it (a compositor paints late), for at most 2 s.
bool screenShows(x11::Connection& c, int x, int y, int w, int h,
                 const std::function<bool(const Shot&)>& check) {
    const auto deadline = deadlineIn(kWait);
    for (;;) {
        auto shot = Shot::grab(c, x, y, w, h);
        if (shot && check(*shot))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

// The root pixel at `degrees` (counter-clockwise, y up) and `radius` from `centre`.
std::pair<int, int> polar(std::pair<int, int> centre, double degrees, double radius) {
    const double a = degrees * std::numbers::pi / 180;
    return {centre.first + static_cast<int>(std::lround(radius * std::cos(a))),
            centre.second - static_cast<int>(std::lround(radius * std::sin(a)))};
}

// The top-level window under the pointer at a root point, as input sees it.
xcb_window_t windowUnderPointer(x11::Connection& c, int x, int y) {
    fakeMotion(c, x, y);
    auto reply = c.reply(xcb_query_pointer(c.raw(), c.root()), xcb_query_pointer_reply);
    return reply ? reply->child : XCB_NONE;
}

struct Overlays {
    Process process;
    xcb_window_t menu = 0;
    xcb_window_t outline = 0;
};

class OverlayScreenshots : public DesktopTest, public ::testing::WithParamInterface<bool> {
protected:
    bool composited() const { return GetParam(); }

    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure() || !composited())
            return;
        SpawnOptions so;
        so.env = desktop().env();
        so.logFile = desktop().tempDir() + "/xcompmgr.log";
        compositor_ = Process::spawn({"xcompmgr"}, so);
        ASSERT_TRUE(compositor_);
        auto& c = desktop().conn();
        const auto selection = c.atom("_NET_WM_CM_S0");
        const auto deadline = deadlineIn(kWait);
        for (;;) {
            auto owner =
                c.reply(xcb_get_selection_owner(c.raw(), selection), xcb_get_selection_owner_reply);
            if (owner && owner->owner != XCB_NONE)
                break;
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "xcompmgr did not start";
        }
    }

    std::optional<Overlays> start(const std::vector<std::string>& args) {
        std::vector<std::string> argv{VORTAXIS_MENU_FIXTURE, "--primary-height", "1024"};
        argv.insert(argv.end(), args.begin(), args.end());
        SpawnOptions so;
        so.env = desktop().env();
        so.env.push_back("QT_QPA_PLATFORM=xcb");
        so.logFile = desktop().tempDir() + "/menu_fixture.log";
        so.captureStdout = true;
        auto p = Process::spawn(argv, so);
        if (!p)
            return std::nullopt;
        return Overlays{std::move(*p)};
    }

    // Reads the fixture's next report ("aimed N 0xMENU 0xOUTLINE" or "done ...").
    std::optional<std::string> next(Overlays& o) {
        auto line = o.process.readLine(deadlineIn(kWait));
        if (!line)
            return std::nullopt;
        std::istringstream in(*line);
        std::string word, menu, outline;
        in >> word;
        if (word == "aimed") {
            std::string n;
            in >> n;
            word += " " + n;
        }
        in >> menu >> outline;
        o.menu = parseWindowId(menu).value_or(0);
        o.outline = parseWindowId(outline).value_or(0);
        return word;
    }

    std::optional<Process> compositor_;
};

TEST_P(OverlayScreenshots, WedgeFollowsTheAimAndTheHubShowsTheIcon) {
    // Menu at the left monitor's centre: root (640, 512).
    auto overlays = start({"--at", "640,512", "--hub-icon", "--sectors", "0,1,2,3,4,5,6,7,2,6"});
    ASSERT_TRUE(overlays);
    auto& c = desktop().conn();
    const std::pair<int, int> centre{640, 512};
    for (const int sector : {0, 1, 2, 3, 4, 5, 6, 7, 2, 6}) {
        ASSERT_EQ(next(*overlays), "aimed " + std::to_string(sector));
        const double angle = sector * 45.0;
        const bool ok = screenShows(c, 530, 402, 220, 220, [&](const Shot& s) {
            for (const double radius : {48.0, 69.0, 90.0}) {
                const auto [x, y] = polar(centre, angle, radius);
                const auto [ox, oy] = polar(centre, angle + 180, radius);
                if (!isRed(s.at(x, y)) || isRed(s.at(ox, oy)))
                    return false;
            }
            // The hub shows the red icon; the ring next to the wedge is not red.
            const auto [nx, ny] = polar(centre, angle + 90, 69);
            return isRed(s.at(640, 512)) && !isRed(s.at(nx, ny));
        });
        EXPECT_TRUE(ok) << "sector " << sector << "\n" << desktop().dump();
        overlays->process.kill(SIGUSR1);
    }
    EXPECT_EQ(next(*overlays), "done");
}

TEST_P(OverlayScreenshots, WithoutAnIconTheWedgeIsTheDefaultBlueAndNoBlackBoxShows) {
    auto overlays = start({"--at", "640,512", "--sectors", "7"});
    ASSERT_TRUE(overlays);
    ASSERT_EQ(next(*overlays), "aimed 7");
    auto& c = desktop().conn();
    // The root background under the menu's corners must stay what it was.
    auto before = Shot::grab(c, 1200, 1000, 1, 1);
    ASSERT_TRUE(before);
    const Rgb background = before->at(1200, 1000);
    const bool ok = screenShows(c, 530, 402, 220, 220, [&](const Shot& s) {
        const auto [x, y] = polar({640, 512}, 315, 69);
        const Rgb wedge = s.at(x, y);
        const Rgb corner = s.at(533, 405);
        const Rgb gap = s.at(640 + 35, 512); // between hub and ring
        auto same = [](Rgb a, Rgb b) {
            return std::abs(a.r - b.r) < 8 && std::abs(a.g - b.g) < 8 && std::abs(a.b - b.b) < 8;
        };
        return wedge.b > wedge.r + 80 && same(corner, background) && same(gap, background);
    });
    EXPECT_TRUE(ok) << desktop().dump();
}

TEST_P(OverlayScreenshots, OutlineSitsInsideTheMonitorAndLetsClicksThrough) {
    auto client = desktop().launch({"xterm", "-geometry", "80x24+200+200"});
    ASSERT_TRUE(client);
    // Outline the left monitor; the menu opens on the right one.
    auto overlays = start({"--outline", "0,0,1280,1024", "--at", "1920,512", "--sectors", ""});
    ASSERT_TRUE(overlays);
    ASSERT_EQ(next(*overlays), "done");
    auto& c = desktop().conn();

    const bool ok = screenShows(c, 0, 0, 1280, 1024, [&](const Shot& s) {
        for (const int d : {3, 5, 7}) {
            if (!isStrongGreen(s.at(d, 500)) || !isStrongGreen(s.at(1279 - d, 500)) ||
                !isStrongGreen(s.at(640, d)) || !isStrongGreen(s.at(640, 1023 - d)))
                return false;
        }
        for (const int d : {0, 1, 9, 40}) {
            if (isStrongGreen(s.at(d, 500)) || isStrongGreen(s.at(1279 - d, 500)) ||
                isStrongGreen(s.at(640, d)) || isStrongGreen(s.at(640, 1023 - d)))
                return false;
        }
        return true;
    });
    auto shot = Shot::grab(c, 0, 0, 1280, 1024);
    ASSERT_TRUE(shot);
    std::ostringstream row;
    for (int x = 0; x < 12; ++x) {
        const Rgb p = shot->at(x, 500);
        row << " (" << p.r << "," << p.g << "," << p.b << ")";
    }
    EXPECT_TRUE(ok) << "row 500:" << row.str() << "\n" << desktop().dump();

    // On the line itself the pointer reaches whatever lies beneath: the root
    // here, the client's window further in.
    EXPECT_NE(windowUnderPointer(c, 5, 500), overlays->outline);
    EXPECT_EQ(windowUnderPointer(c, 5, 500), static_cast<xcb_window_t>(XCB_NONE));
    const auto inside = windowUnderPointer(c, 400, 300);
    EXPECT_NE(inside, overlays->outline);
    EXPECT_NE(inside, static_cast<xcb_window_t>(XCB_NONE));
}

TEST_P(OverlayScreenshots, OnlyTheHubTakesTheClick) {
    auto overlays = start({"--at", "640,512", "--sectors", ""});
    ASSERT_TRUE(overlays);
    ASSERT_EQ(next(*overlays), "done");
    auto& c = desktop().conn();
    // The ring and the margin let the pointer through; the hub catches it.
    EXPECT_NE(windowUnderPointer(c, 640 + 70, 512), overlays->menu);
    EXPECT_NE(windowUnderPointer(c, 533, 405), overlays->menu);
    EXPECT_EQ(windowUnderPointer(c, 640 + 20, 512 - 20), overlays->menu);
    fakeButton(c, 1);
    EXPECT_EQ(overlays->process.readLine(deadlineIn(kWait)), "tap");
}

INSTANTIATE_TEST_SUITE_P(Compositing, OverlayScreenshots, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "composited" : "opaque";
                         });

} // namespace
} // namespace vx::test
