// Other applications' windows under a real window manager: reading them,
// placing them into halves and quarters of each monitor, listing them, and
// windows that vanish underneath us.
#include "harness/desktop_test.h"
#include "x11/app_info.h"
#include "x11/x11_window_system.h"

#include <cmath>

namespace vx::test {
namespace {

using x11::X11WindowSystem;

bool near(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.origin.x - b.origin.x) <= tolerance &&
           std::abs(a.origin.y - b.origin.y) <= tolerance &&
           std::abs(a.size.width - b.size.width) <= tolerance &&
           std::abs(a.size.height - b.size.height) <= tolerance;
}

class WindowSystemTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (!desktop_) {
            return;
        }
        std::string error;
        conn_ = x11::Connection::open(desktop().display(), &error);
        ASSERT_TRUE(conn_) << error;
        ws_ = std::make_unique<X11WindowSystem>(*conn_);
    }
    void TearDown() override {
        ws_.reset();
        conn_.reset();
        DesktopTest::TearDown();
    }

    // What the window service does for one placement: position, size, again.
    void place(xcb_window_t client, const Rect& target) {
        auto e = X11WindowSystem::windowElement(client);
        EXPECT_EQ(ws_->setPosition(e, target.origin), axstatus::success);
        EXPECT_EQ(ws_->setSize(e, target.size), axstatus::success);
        EXPECT_EQ(ws_->setPosition(e, target.origin), axstatus::success);
        EXPECT_EQ(ws_->setSize(e, target.size), axstatus::success);
    }
    std::optional<Rect> seamFrame(xcb_window_t client) {
        auto e = X11WindowSystem::windowElement(client);
        auto p = ws_->position(e);
        auto s = ws_->size(e);
        if (!p.ok() || !s.ok()) {
            return std::nullopt;
        }
        return Rect(*p.value, *s.value);
    }
    // Both the seam and the independent tools see the frame near the target.
    void expectFrameNear(xcb_window_t client, const Rect& target, double tolerance) {
        EXPECT_TRUE(desktop().waitUntil([&] {
            auto f = desktop().oracleFrame(client);
            return f && near(*f, target, tolerance);
        })) << "oracle: "
            << desktop().oracleFrame(client).value_or(Rect()) << " target " << target;
        auto seen = seamFrame(client);
        ASSERT_TRUE(seen);
        EXPECT_TRUE(near(*seen, target, tolerance)) << *seen << " target " << target;
    }

    // Xfwm4 keeps windows inside monitors that have a RandR output, and
    // Xvfb has one output only: the harness's second monitor has none, and
    // wmctrl cannot put a window there either.
    bool secondMonitorUnreachable() const { return options().windowManager == "xfwm4"; }

    std::unique_ptr<x11::Connection> conn_;
    std::unique_ptr<X11WindowSystem> ws_;
};

// Halves and quarters of both 1280x1024 monitors, top-left coordinates.
const std::vector<Rect> kSlots = {
    {0, 0, 640, 1024},    {640, 0, 640, 1024},    {0, 0, 640, 512},      {640, 512, 640, 512},
    {1280, 0, 640, 1024}, {1920, 0, 640, 1024},   {1280, 512, 640, 512}, {1920, 0, 640, 512},
    {0, 0, 1280, 512},    {1280, 512, 1280, 512},
};

TEST_F(WindowSystemTest, PlacesAFrameExactlyIntoEachHalfAndQuarter) {
    auto client = desktop().launchFixture({"--geometry", "300x200+200+200"});
    ASSERT_TRUE(client);
    for (const auto& slot : kSlots) {
        if (secondMonitorUnreachable() && slot.origin.x + slot.size.width > 1280) {
            continue;
        }
        SCOPED_TRACE(::testing::Message() << "slot " << slot);
        place(client->window, slot);
        expectFrameNear(client->window, slot, 0);
    }
}

TEST_F(WindowSystemTest, PlacesATerminalWithinItsSizeSteps) {
    auto xterm = desktop().launch({"xterm", "-geometry", "80x24+30+30"});
    ASSERT_TRUE(xterm);
    for (const auto& slot : {kSlots[1], kSlots[6]}) {
        if (secondMonitorUnreachable() && slot.origin.x >= 1280) {
            continue;
        }
        SCOPED_TRACE(::testing::Message() << "slot " << slot);
        place(xterm->window, slot);
        // Character cells: the size may fall short by less than one cell.
        auto f = seamFrame(xterm->window);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->origin, slot.origin);
        EXPECT_TRUE(near(*f, slot, 24)) << *f;
        expectFrameNear(xterm->window, *f, 0);
    }
}

TEST_F(WindowSystemTest, KeepsTheShadowOfAClientSideDecoratedWindowOutsideTheSlot) {
    if (options().windowManager == "icewm") {
        GTEST_SKIP() << "IceWM keeps the whole frame, invisible shadow included, on the screen";
    }
    auto csd =
        desktop().launchFixture({"--geometry", "300x200+200+200", "--gtk-extents", "20,20,12,28"});
    ASSERT_TRUE(csd);
    for (const auto& slot : {kSlots[2], kSlots[7]}) {
        if (secondMonitorUnreachable() && slot.origin.x >= 1280) {
            continue;
        }
        place(csd->window, slot);
        expectFrameNear(csd->window, slot, 0);
    }
}

TEST_F(WindowSystemTest, RestoresAMaximizedWindowBeforePlacingIt) {
    auto client = desktop().launchFixture({"--geometry", "300x200+200+200"});
    ASSERT_TRUE(client);
    char id[32];
    std::snprintf(id, sizeof id, "0x%x", client->window);
    auto maximized = [&] {
        auto s = desktop().netWmState(client->window);
        return std::find(s.begin(), s.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != s.end();
    };
    auto r = desktop().tool({"wmctrl", "-i", "-r", id, "-b", "add,maximized_vert,maximized_horz"});
    ASSERT_TRUE(r && r->exitCode == 0);
    ASSERT_TRUE(desktop().waitUntil(maximized));

    place(client->window, kSlots[3]);
    EXPECT_FALSE(maximized());
    expectFrameNear(client->window, kSlots[3], 0);
}

TEST_F(WindowSystemTest, TellsWhichWindowsMayBeMovedAndResized) {
    auto plain = desktop().launchFixture({});
    auto fixed = desktop().launchFixture({"--fixed"});
    ASSERT_TRUE(plain && fixed);
    auto p = X11WindowSystem::windowElement(plain->window);
    auto f = X11WindowSystem::windowElement(fixed->window);
    EXPECT_EQ(ws_->isPositionSettable(p).value, true);
    EXPECT_EQ(ws_->isSizeSettable(p).value, true);
    EXPECT_EQ(ws_->isPositionSettable(f).value, true);
    EXPECT_EQ(ws_->isSizeSettable(f).value, false);

    // A fixed window still moves; its size write is accepted and ignored.
    const double x = secondMonitorUnreachable() ? 300 : 1300;
    EXPECT_EQ(ws_->setPosition(f, {x, 40}), axstatus::success);
    auto pos = ws_->position(f);
    ASSERT_TRUE(pos.ok());
    EXPECT_EQ(*pos.value, Point(x, 40));
}

TEST_F(WindowSystemTest, FindsTheFocusedApplicationAndItsWindows) {
    auto older = desktop().launch({"xterm", "-geometry", "40x10+30+30"});
    auto fixture = desktop().launchFixture({"--geometry", "200x100+700+100"});
    auto front = desktop().launch({"xterm", "-geometry", "40x10+300+300"});
    ASSERT_TRUE(older && fixture && front);
    auto activeIsFront = [&] {
        auto a = ws_->focusedApplication();
        return a.ok() && ws_->pid(*a.value) == front->process.pid();
    };
    ASSERT_TRUE(desktop().waitUntil(activeIsFront));

    auto app = *ws_->focusedApplication().value;
    EXPECT_EQ(ws_->applicationElement(front->process.pid()), app);
    EXPECT_EQ(ws_->role(app).value, "AXApplication");
    auto win = ws_->focusedWindow(app);
    ASSERT_TRUE(win.ok());
    EXPECT_EQ(*win.value, X11WindowSystem::windowElement(front->window));
    EXPECT_EQ(ws_->role(*win.value).value, "AXWindow");
    EXPECT_EQ(ws_->title(X11WindowSystem::windowElement(fixture->window)).value, "fixture");

    // Another application's windows: its own only; its focused window is its front one.
    auto olderApp = ws_->applicationElement(older->process.pid());
    auto list = ws_->windows(olderApp);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(*list.value, std::vector<ElementRef>{X11WindowSystem::windowElement(older->window)});
    EXPECT_EQ(ws_->focusedWindow(olderApp).value, X11WindowSystem::windowElement(older->window));

    // The window-server id is the frame, and its rect is the frame's.
    auto id = ws_->windowID(*win.value);
    ASSERT_TRUE(id.ok());
    EXPECT_NE(*id.value, front->window);
    auto rect = ws_->serverScreenRect(*id.value);
    ASSERT_TRUE(rect.ok());
    EXPECT_EQ(*rect.value, seamFrame(front->window).value_or(Rect()));
}

TEST_F(WindowSystemTest, ListsOnScreenWindowsFrontToBackWithOwnersAndLayers) {
    auto back = desktop().launchFixture(
        {"--geometry", "200x100+700+100", "--no-pid", "--class", "backwin,BackWin"});
    auto dock = desktop().launchFixture(
        {"--dock", "--geometry", "2560x20+0+0", "--strut-partial", "0,0,20,0,0,0,0,0,0,2559,0,0"});
    auto front = desktop().launch({"xterm", "-geometry", "40x10+300+300"});
    ASSERT_TRUE(back && dock && front);
    auto frontFrame = ws_->windowID(X11WindowSystem::windowElement(front->window));
    ASSERT_TRUE(frontFrame.ok());
    // The stacking list changes when xterm is raised: wait for it in front of
    // every ordinary window (the dock stays above them all).
    ASSERT_TRUE(desktop().waitUntil([&] {
        auto l = ws_->onScreenWindows();
        auto first = l ? std::find_if(l->begin(), l->end(), [](auto& e) { return e.layer == 0; })
                       : std::vector<WindowListEntry>::iterator{};
        return l && first != l->end() && first->number == *frontFrame.value;
    }));
    auto list = *ws_->onScreenWindows();

    auto find = [&](xcb_window_t client) -> std::optional<WindowListEntry> {
        auto id = ws_->windowID(X11WindowSystem::windowElement(client));
        for (const auto& e : list) {
            if (id.ok() && e.number == *id.value) {
                return e;
            }
        }
        return std::nullopt;
    };
    auto f = find(front->window), b = find(back->window), d = find(dock->window);
    ASSERT_TRUE(f && b && d) << !!f << !!b << !!d;
    EXPECT_EQ(f->ownerPID, front->process.pid());
    EXPECT_EQ(f->ownerName, "XTerm");
    EXPECT_EQ(f->layer, 0);
    // No _NET_WM_PID: the server still knows the owner.
    EXPECT_EQ(b->ownerPID, back->process.pid());
    EXPECT_EQ(b->ownerName, "BackWin");
    EXPECT_EQ(b->layer, 0);
    EXPECT_NE(d->layer, 0);
    auto oracle = desktop().oracleFrame(back->window);
    ASSERT_TRUE(oracle && b->bounds);
    EXPECT_EQ(Rect(*b->bounds->x, *b->bounds->y, *b->bounds->width, *b->bounds->height), *oracle);

    auto info = ws_->windowInfo(*b->number);
    ASSERT_TRUE(info && info->size() == 1);
    EXPECT_EQ(info->front().ownerPID, back->process.pid());
}

TEST_F(WindowSystemTest, MovesAFrameByItsIdWithoutResizing) {
    auto client = desktop().launchFixture({"--geometry", "300x200+200+200"});
    ASSERT_TRUE(client);
    auto before = seamFrame(client->window);
    auto id = ws_->windowID(X11WindowSystem::windowElement(client->window));
    ASSERT_TRUE(before && id.ok());
    const double x = secondMonitorUnreachable() ? 500 : 1500;
    EXPECT_EQ(ws_->moveWindow(*id.value, {x, 300}), axstatus::success);
    expectFrameNear(client->window, Rect({x, 300}, before->size), 0);
    EXPECT_EQ(ws_->moveWindowWithGroup(*id.value, {10, 20}), axstatus::success);
    expectFrameNear(client->window, Rect({10, 20}, before->size), 0);
}

TEST_F(WindowSystemTest, AVanishedWindowAnswersWithStatusesAndNoNoise) {
    auto client = desktop().launchFixture({"--geometry", "300x200+200+200"});
    ASSERT_TRUE(client);
    auto e = X11WindowSystem::windowElement(client->window);
    auto id = ws_->windowID(e);
    ASSERT_TRUE(id.ok());
    pid_t pid = client->process.pid();
    client->process.terminate();
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().clientList().empty(); }));

    ::testing::internal::CaptureStderr();
    EXPECT_NE(ws_->position(e).status, axstatus::success);
    EXPECT_NE(ws_->size(e).status, axstatus::success);
    EXPECT_NE(ws_->role(e).status, axstatus::success);
    EXPECT_NE(ws_->title(e).status, axstatus::success);
    EXPECT_NE(ws_->isPositionSettable(e).status, axstatus::success);
    EXPECT_NE(ws_->isSizeSettable(e).status, axstatus::success);
    EXPECT_NE(ws_->windowID(e).status, axstatus::success);
    EXPECT_NE(ws_->setPosition(e, {0, 0}), axstatus::success);
    EXPECT_NE(ws_->setSize(e, {100, 100}), axstatus::success);
    EXPECT_NE(ws_->serverScreenRect(*id.value).status, axstatus::success);
    EXPECT_NE(ws_->moveWindow(*id.value, {0, 0}), axstatus::success);
    EXPECT_FALSE(ws_->windowInfo(*id.value));
    EXPECT_EQ(ws_->role(ws_->applicationElement(pid)).status, axstatus::invalidElement);
    EXPECT_FALSE(ws_->runningApplication(pid));
    EXPECT_FALSE(ws_->applicationIcon(pid));
    auto list = ws_->onScreenWindows();
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->empty());
    // Events that were queued for the gone window are dropped quietly too.
    EXPECT_FALSE(conn_->dispatch());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(WindowSystemTest, DescribesTheApplicationAndItsLargestIcon) {
    auto client = desktop().launchFixture({"--icon", "16", "--class", "iconic,Iconic"});
    ASSERT_TRUE(client);
    auto app = ws_->runningApplication(client->process.pid());
    ASSERT_TRUE(app);
    EXPECT_EQ(app->localizedName, "Iconic");
    EXPECT_EQ(app->bundleIdentifier, "Iconic");
    EXPECT_EQ(app->bundlePath, x11::installPrefix(VORTAXIS_FIXTURE_CLIENT));

    auto icon = ws_->applicationIcon(client->process.pid());
    ASSERT_TRUE(icon && icon->isValid());
    EXPECT_EQ(icon->width, 16);
    // ARGB words become straight RGBA bytes.
    EXPECT_EQ(std::vector<std::uint8_t>(icon->rgba.begin(), icon->rgba.begin() + 8),
              (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 0, 0, 128}));
}

TEST(InstallPrefix, SeparatesProgramsThatShareABinDirectory) {
    struct Case {
        const char* exe;
        const char* prefix;
    };
    for (auto c :
         {Case{"/usr/bin/xterm", "/usr/bin/xterm"}, Case{"/opt/editor/bin/editor", "/opt/editor"},
          Case{"/opt/browser/browser-bin", "/opt/browser"},
          Case{"/usr/lib/firefox-esr/firefox-esr", "/usr/lib/firefox-esr"},
          Case{"/usr/local/bin/tool", "/usr/local/bin/tool"}}) {
        EXPECT_EQ(x11::installPrefix(c.exe), c.prefix) << c.exe;
    }
}

} // namespace
} // namespace vx::test

namespace vx::test {
namespace {

TEST_F(WindowSystemTest, ALostServerIsReportedAndEveryCallAnswersNoValue) {
    auto client = desktop().launchFixture({});
    ASSERT_TRUE(client);
    auto e = X11WindowSystem::windowElement(client->window);
    desktop().killServer();
    ::testing::internal::CaptureStderr();
    EXPECT_NE(ws_->position(e).status, axstatus::success);
    EXPECT_NE(ws_->setPosition(e, {0, 0}), axstatus::success);
    EXPECT_FALSE(ws_->onScreenWindows());
    auto lost = conn_->dispatch();
    ASSERT_TRUE(lost);
    EXPECT_NE(lost->find("lost"), std::string::npos) << *lost;
    EXPECT_TRUE(conn_->isLost());
    EXPECT_FALSE(conn_->waitFor([](auto&) { return true; }, x11::deadlineIn(kWait)));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

} // namespace
} // namespace vx::test
