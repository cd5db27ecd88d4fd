// Other applications' windows under a real window manager: placing them into
// halves and quarters of each monitor, and what a placement leaves behind.
#include "harness/desktop_test.h"
#include "x11/app_info.h"
#include "x11/x11_window_system.h"

namespace vx::test {
namespace {

using x11::X11WindowSystem;
constexpr auto element = X11WindowSystem::windowElement;

class WindowSystemTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(conn_ = openConnection());
        ws_ = std::make_unique<X11WindowSystem>(*conn_);
    }
    void TearDown() override {
        ws_.reset();
        conn_.reset();
        DesktopTest::TearDown();
    }
    std::optional<Rect> seamFrame(xcb_window_t client) {
        const auto p = ws_->position(element(client));
        const auto s = ws_->size(element(client));
        return p.ok() && s.ok() ? std::optional(Rect(*p.value, *s.value)) : std::nullopt;
    }
    // The seam and the independent tools both see exactly `target`.
    void expectFrameAt(xcb_window_t client, const Rect& target) {
        EXPECT_TRUE(desktop().waitUntil([&] { return desktop().oracleFrame(client) == target; }))
            << "oracle: " << desktop().oracleFrame(client).value_or(Rect()) << " target " << target;
        EXPECT_EQ(seamFrame(client), target);
    }

    std::unique_ptr<x11::Connection> conn_;
    std::unique_ptr<X11WindowSystem> ws_;
};

TEST_F(WindowSystemTest, PlacesAFrameExactlyIntoHalvesAndQuartersOfBothMonitors) {
    struct Case {
        const char* name;
        std::vector<std::string> flags;
        std::vector<Rect> slots; // top-left root pixels
    };
    const std::vector<Case> cases = {
        {"decorated by the manager",
         {},
         {{0, 0, 640, 1024},
          {640, 0, 640, 1024},
          {640, 512, 640, 512},
          {1920, 0, 640, 1024},
          {1280, 512, 640, 512},
          {1280, 512, 1280, 512}}},
        // Its invisible shadow stays outside the slot.
        {"drawing its own frame",
         {"--gtk-extents", "20,20,12,28"},
         {{0, 0, 640, 512}, {1920, 0, 640, 512}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.flags.empty() && desktop().windowManager() == "icewm")
            continue; // IceWM keeps the whole frame, invisible shadow included, on screen
        auto flags = c.flags;
        flags.insert(flags.end(), {"--geometry", "300x200+200+200"});
        auto client = desktop().launchFixture(flags);
        ASSERT_TRUE(client);
        for (const auto& slot : c.slots) {
            // What the window service does for one placement: position, size, again.
            for (int pass = 0; pass < 2; ++pass) {
                EXPECT_EQ(ws_->setPosition(element(client->window), slot.origin),
                          axstatus::success);
                EXPECT_EQ(ws_->setSize(element(client->window), slot.size), axstatus::success);
            }
            expectFrameAt(client->window, slot);
        }
    }
}

// Once a placement is answered our connection hears no more of the window:
// a terminal that rewrites its title all day must not wake us each time.
TEST_F(WindowSystemTest, AWindowPlacedOnceNoLongerWakesUs) {
    auto client = desktop().launchFixture({"--geometry", "300x200+200+200"});
    ASSERT_TRUE(client);
    const auto w = client->window;
    EXPECT_EQ(ws_->setPosition(element(w), {100, 100}), axstatus::success);
    EXPECT_EQ(ws_->setSize(element(w), {400, 300}), axstatus::success);
    expectFrameAt(w, Rect(100, 100, 400, 300));
    (void)conn_->dispatch();
    int heard = 0;
    const auto id = conn_->addHandler([&](const xcb_generic_event_t& ev) {
        heard += x11::eventType(ev) == XCB_PROPERTY_NOTIFY &&
                 reinterpret_cast<const xcb_property_notify_event_t&>(ev).window == w;
    });
    auto& harness = desktop().conn();
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "title " + std::to_string(i);
        xcb_change_property(harness.raw(), XCB_PROP_MODE_REPLACE, w, harness.atom("_NET_WM_NAME"),
                            harness.atom("UTF8_STRING"), 8, static_cast<std::uint32_t>(name.size()),
                            name.data());
    }
    ASSERT_TRUE(harness.sync());
    ASSERT_TRUE(conn_->sync());
    (void)conn_->dispatch();
    conn_->removeHandler(id);
    EXPECT_EQ(heard, 0);
}

// Fluxbox's late notices at a new window's old place are no answer to a move;
// a move reads back at once, also for xterm, whose border Openbox reports a pixel off.
TEST_F(WindowSystemTest, AWindowMovedTheMomentItIsManagedReadsBackWhereItWent) {
    for (int i = 0; i < 6; ++i) {
        auto client = i % 3 == 2 ? desktop().launch({"xterm", "-geometry", "40x10+100+100"})
                                 : desktop().launchFixture({"--geometry", "300x200+100+100"});
        ASSERT_TRUE(client);
        const Point target{400.0 + 40 * i, 300};
        EXPECT_EQ(ws_->setPosition(element(client->window), target), axstatus::success);
        EXPECT_EQ(seamFrame(client->window).value_or(Rect()).origin, target) << "window " << i;
    }
    EXPECT_EQ(ws_->unansweredRequests(), 0);
}

TEST(InstallPrefix, SeparatesProgramsThatShareABinDirectory) {
    EXPECT_EQ(x11::installPrefix("/usr/bin/xterm"), "/usr/bin/xterm");
    EXPECT_EQ(x11::installPrefix("/opt/editor/bin/editor"), "/opt/editor");
    EXPECT_EQ(x11::installPrefix("/opt/browser/browser-bin"), "/opt/browser");
    EXPECT_EQ(x11::installPrefix("/usr/lib/firefox-esr/firefox-esr"), "/usr/lib/firefox-esr");
}

} // namespace
} // namespace vx::test
