// Many gestures in a row against the real program: every sector on both
// monitors, cancels and centre clicks, over a terminal and a GTK application.
// Every outcome must be the expected status and geometry, the program must
// stay up, and what it holds on the X server must not grow. A short run is
// part of the suite; VX_SOAK=1 makes it the long one (1,000 gestures).
#include "harness/desktop_test.h"
#include "program_driver.h"

#include <cstdlib>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

// The read-back tolerance plus the character cells xterm sizes itself by.
constexpr double terminalTolerance = 24 + 13;

int soakGestures() {
    const char* soak = std::getenv("VX_SOAK");
    return soak && std::string(soak) == "1" ? 1000 : 40;
}

class EnduranceTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        auto term = desktop().launch({"xterm", "-geometry", "80x24+100+100"});
        ASSERT_TRUE(term) << "xterm did not come up";
        xterm.emplace(std::move(*term));
        auto gtk = desktop().launch(
            {"zenity", "--text-info", "--title", "soak", "--width", "500", "--height", "400"});
        ASSERT_TRUE(gtk) << "zenity did not come up";
        zenity.emplace(std::move(*gtk));
        auto program = ProgramDriver::start(desktop());
        ASSERT_TRUE(program);
        vortaxis.emplace(std::move(*program));
        ASSERT_TRUE(vortaxis->waitForLine("^status: Ready"));
    }
    void TearDown() override {
        if (HasFailure() && vortaxis)
            std::cerr << "vortaxis said (last lines):\n" << lastLines(40);
        vortaxis.reset();
        zenity.reset();
        xterm.reset();
        DesktopTest::TearDown();
    }
    std::string lastLines(std::size_t n) const {
        std::string out;
        const auto& all = vortaxis->lines;
        for (auto i = all.size() > n ? all.size() - n : 0; i < all.size(); ++i)
            out += "  | " + all[i] + "\n";
        return out;
    }

    // Brings `client` to the front the way a pager does, and waits for it.
    ::testing::AssertionResult activate(xcb_window_t client) {
        auto done = desktop().tool({"wmctrl", "-i", "-a", std::to_string(client)});
        if (!done || done->exitCode != 0)
            return ::testing::AssertionFailure() << "wmctrl could not activate the window";
        auto& c = desktop().conn();
        if (!desktop().waitUntil([&] {
                return c.cardinal(c.root(), c.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW) ==
                       client;
            }))
            return ::testing::AssertionFailure() << "the window did not become active";
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult landsIn(xcb_window_t client, const Rect& slot, double tolerance) {
        std::optional<Rect> seen;
        if (desktop().waitUntil([&] {
                seen = desktop().oracleFrame(client);
                return seen && isNear(*seen, slot, tolerance);
            }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "frame " << seen.value_or(Rect()) << " is not near " << slot;
    }

    std::optional<Client> xterm;
    std::optional<Client> zenity;
    std::optional<ProgramDriver> vortaxis;
    const std::vector<MonitorSpec> monitors{{"LEFT", 0, 0, 1280, 1024},
                                            {"RIGHT", 1280, 0, 1280, 1024}};
};

TEST_F(EnduranceTest, ManyMixedGesturesKeepEveryOutcomeAndTheXResourcesSteady) {
    // One gesture of every kind first, so whatever the program creates once
    // (panels, cursors, cached atoms) exists before it is counted.
    enum class Kind { snap, cancel, centreClick };
    auto play = [&](int i, Kind kind) -> ::testing::AssertionResult {
        const auto& target = i % 2 == 0 ? *xterm : *zenity;
        const bool terminal = &target == &*xterm;
        if (auto active = activate(target.window); !active)
            return active;
        const auto& monitor = monitors[static_cast<std::size_t>((i / 3) % 2)];
        const int cx = monitor.x + monitor.width / 2, cy = monitor.y + monitor.height / 2;
        const auto sector = allLayoutSectors[static_cast<std::size_t>(i % 8)];
        if (auto opened = vortaxis->open(cx, cy); !opened)
            return opened;
        switch (kind) {
        case Kind::cancel:
            if (!vortaxis->release("Cancelled"))
                return ::testing::AssertionFailure() << "no cancel after gesture " << i;
            return ::testing::AssertionSuccess();
        case Kind::centreClick: {
            fakeButton(desktop().conn(), 1);
            if (!vortaxis->waitForLine("^status: Snapped · Full screen"))
                return ::testing::AssertionFailure() << "the centre click did nothing";
            // The trigger's release ends nothing more.
            fakeKey(desktop().conn(), evdevLeftControl, false);
            const Rect whole(monitor.x, monitor.y, monitor.width, monitor.height);
            return landsIn(target.window, whole, terminal ? terminalTolerance : 24);
        }
        case Kind::snap:
            if (auto aimed = vortaxis->aim(cx, cy, sector); !aimed)
                return aimed;
            if (!vortaxis->release("Snapped · " + title(sector)))
                return ::testing::AssertionFailure() << "gesture " << i << " did not snap";
            return landsIn(target.window, slotOf(sector, monitor),
                           terminal ? terminalTolerance : 24);
        }
        return ::testing::AssertionFailure();
    };
    ASSERT_TRUE(play(0, Kind::snap));
    ASSERT_TRUE(play(1, Kind::cancel));
    ASSERT_TRUE(play(2, Kind::centreClick));
    ASSERT_TRUE(play(3, Kind::snap));
    const auto before = vortaxis->xResources();
    ASSERT_TRUE(before);
    ASSERT_GT(before->count("WINDOW"), 0u) << "the program's connections were not found";

    const int gestures = soakGestures();
    for (int i = 4; i < gestures; ++i) {
        // Mostly snaps; every fifth a cancel, every seventh a centre click.
        const Kind kind = i % 5 == 0 ? Kind::cancel : i % 7 == 0 ? Kind::centreClick : Kind::snap;
        ASSERT_TRUE(play(i, kind)) << "gesture " << i;
        ASSERT_TRUE(vortaxis->process.running()) << "the program ended at gesture " << i;
    }

    const auto after = vortaxis->xResources();
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, *before) << "the program's X resources changed over " << gestures
                               << " gestures";
}

} // namespace
} // namespace vx::test
#endif
