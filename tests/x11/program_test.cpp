// Vortaxis as a user runs it: the real program as a process on a virtual
// desktop (two monitors, Openbox, xterm), played with XTest keys, pointer and
// wheel, observed through its --verbose status lines and the independent
// oracles (xwininfo with the frame extents, the window manager's state).
#include "core/session/layout_sector.h"
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <cmath>
#include <fstream>
#include <gmock/gmock.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace vx::test {
namespace {

constexpr std::uint32_t leftControl = 29;
// Where the window may end beside its slot: the read-back tolerance plus the
// character cells xterm sizes itself by.
constexpr double tolerance = 24 + 13;

// The program with its status lines (stdout and stderr joined into one pipe).
class Program {
public:
    static std::optional<Program> start(Desktop& desktop, std::vector<std::string> arguments = {}) {
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", VORTAXIS_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        SpawnOptions options;
        options.env = desktop.env();
        options.captureStdout = true;
        auto process = Process::spawn(argv, options);
        if (!process)
            return std::nullopt;
        return Program(std::move(*process));
    }

    // Reads lines until one matches; the lines before it are passed over.
    std::optional<std::string> waitForLine(const std::string& pattern,
                                           std::chrono::milliseconds timeout = kWait) {
        const std::regex re(pattern);
        const auto deadline = deadlineIn(timeout);
        for (;;) {
            auto line = process.readLine(deadline);
            if (!line)
                return std::nullopt;
            lines.push_back(*line);
            if (std::regex_search(*line, re))
                return line;
        }
    }
    std::string transcript() const {
        std::string all;
        for (const auto& line : lines)
            all += "  | " + line + "\n";
        return all;
    }

    Process process;
    std::vector<std::string> lines;

private:
    explicit Program(Process p) : process(std::move(p)) {}
};

class ProgramTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        auto term = desktop().launch(
            {"xterm", "-geometry", "80x24+100+100", "-e", "sh", "-c", "cat > \"$HOME/typed.txt\""});
        ASSERT_TRUE(term) << "xterm did not come up";
        xterm.emplace(std::move(*term));
        auto program = Program::start(desktop(), {"--verbose"});
        ASSERT_TRUE(program);
        vortaxis.emplace(std::move(*program));
        ASSERT_TRUE(vortaxis->waitForLine("^status: Ready")) << vortaxis->transcript();
    }
    void TearDown() override {
        if (HasFailure() && vortaxis)
            std::cerr << "vortaxis said:\n" << vortaxis->transcript();
        vortaxis.reset();
        xterm.reset();
        DesktopTest::TearDown();
    }

    x11::Connection& c() { return desktop().conn(); }

    // Holds the trigger at root pixel (x, y) until the menu is open.
    ::testing::AssertionResult open(int x, int y) {
        fakeMotion(c(), x, y);
        fakeKey(c(), leftControl, true);
        if (!vortaxis->waitForLine("^status: (Aim|Screen)"))
            return ::testing::AssertionFailure() << "the menu did not open";
        return ::testing::AssertionSuccess();
    }
    // Points from (cx, cy) towards `s`, far enough to leave the centre and the menu.
    ::testing::AssertionResult aim(int cx, int cy, LayoutSector s, double distance = 90) {
        const double a = centerAngleDegrees(s) * M_PI / 180.0;
        fakeMotion(c(), cx + static_cast<int>(std::lround(distance * std::cos(a))),
                   cy - static_cast<int>(std::lround(distance * std::sin(a))));
        if (!vortaxis->waitForLine("^aim: " + title(s) + "$"))
            return ::testing::AssertionFailure() << "the aim never reached " << title(s);
        return ::testing::AssertionSuccess();
    }
    std::optional<std::string> release(const std::string& expected) {
        fakeKey(c(), leftControl, false);
        return vortaxis->waitForLine("^status: (" + expected + ")");
    }

    // The sector's slot on a monitor of the test desktop, in root pixels (no
    // panels, so the visible frame is the monitor).
    static Rect slot(LayoutSector s, const MonitorSpec& m) {
        const int primaryBottom = 1024;
        const Rect desktopFrame(m.x, primaryBottom - (m.y + m.height), m.width, m.height);
        const Rect r = frame(s, desktopFrame);
        return Rect(r.origin.x, primaryBottom - r.maxY(), r.width(), r.height());
    }
    static bool near(const Rect& a, const Rect& b) {
        return std::abs(a.minX() - b.minX()) <= tolerance &&
               std::abs(a.minY() - b.minY()) <= tolerance &&
               std::abs(a.maxX() - b.maxX()) <= tolerance &&
               std::abs(a.maxY() - b.maxY()) <= tolerance;
    }
    ::testing::AssertionResult frameLandsIn(const Rect& expected) {
        std::optional<Rect> seen;
        const bool ok = desktop().waitUntil([&] {
            seen = desktop().oracleFrame(xterm->window);
            return seen && near(*seen, expected);
        });
        if (ok)
            return ::testing::AssertionSuccess();
        std::ostringstream why;
        why << "frame " << (seen ? *seen : Rect()) << " is not near " << expected;
        return ::testing::AssertionFailure() << why.str();
    }

    // Where the named top-level window is, while it is shown (root pixels).
    std::optional<Rect> shownWindow(const std::string& name) {
        auto found = desktop().tool({"xwininfo", "-name", name});
        if (!found || found->exitCode != 0 || found->output.find("IsViewable") == std::string::npos)
            return std::nullopt;
        std::smatch m;
        const std::regex re("Absolute upper-left X:\\s*(-?\\d+)[\\s\\S]*Absolute upper-left "
                            "Y:\\s*(-?\\d+)[\\s\\S]*Width:\\s*(\\d+)[\\s\\S]*Height:\\s*(\\d+)");
        if (!std::regex_search(found->output, m, re))
            return std::nullopt;
        return Rect(std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]));
    }
    ::testing::AssertionResult outlineAround(const MonitorSpec& m) {
        const Rect expected(m.x, m.y, m.width, m.height);
        std::optional<Rect> seen;
        if (desktop().waitUntil(
                [&] { return (seen = shownWindow("Vortaxis outline")) == expected; }))
            return ::testing::AssertionSuccess();
        std::ostringstream why;
        why << "outline " << (seen ? *seen : Rect()) << ", expected " << expected;
        return ::testing::AssertionFailure() << why.str();
    }

    std::optional<Client> xterm;
    std::optional<Program> vortaxis;
    const MonitorSpec left{"LEFT", 0, 0, 1280, 1024};
    const MonitorSpec right{"RIGHT", 1280, 0, 1280, 1024};
};

TEST_F(ProgramTest, AHeldTriggerOpensTheMenuAtThePointerAndKeysStillReachTheFocusedWindow) {
    // A short press: released long before the hold delay, so no gesture.
    fakeKey(c(), leftControl, true);
    fakeKey(c(), leftControl, false);
    // Typing goes on as if we were not there.
    for (std::uint32_t key : {35u, 23u, 28u}) { // h, i, Return
        fakeKey(c(), key, true);
        fakeKey(c(), key, false);
    }
    const std::string typed = desktop().tempDir() + "/typed.txt";
    ASSERT_TRUE(pumpUntil(c(), [&] {
        std::ifstream in(typed);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        return text == "hi\n";
    })) << "the xterm did not get the keys";

    ASSERT_TRUE(open(600, 500));
    // The menu: 220 x 220, centred on the pointer, not managed, not focused.
    std::optional<Rect> menu;
    ASSERT_TRUE(desktop().waitUntil([&] {
        return (menu = shownWindow("Vortaxis menu")).has_value();
    })) << "no menu window on screen";
    EXPECT_EQ(*menu, Rect(490, 390, 220, 220));
    ASSERT_TRUE(release("Cancelled"));

    // Exactly one gesture happened: the short press opened nothing.
    int opened = 0;
    for (const auto& line : vortaxis->lines)
        opened += std::regex_search(line, std::regex("^status: (Aim|Screen)")) ? 1 : 0;
    EXPECT_EQ(opened, 1) << vortaxis->transcript();
}

TEST_F(ProgramTest, EachSectorOnEachMonitorLandsInItsSlot) {
    for (const auto& monitor : {left, right}) {
        const int cx = monitor.x + monitor.width / 2, cy = monitor.y + monitor.height / 2;
        for (const auto s : allLayoutSectors) {
            SCOPED_TRACE(monitor.name + " " + title(s));
            ASSERT_TRUE(open(cx, cy));
            ASSERT_TRUE(aim(cx, cy, s));
            ASSERT_TRUE(release("Snapped · " + title(s)));
            EXPECT_TRUE(frameLandsIn(slot(s, monitor)));
        }
    }
}

TEST_F(ProgramTest, AMaximizedWindowIsRestoredBeforeItSnaps) {
    auto set = desktop().tool({"wmctrl", "-i", "-r", std::to_string(xterm->window), "-b",
                               "add,maximized_vert,maximized_horz"});
    ASSERT_TRUE(set && set->exitCode == 0);
    auto isMaximized = [&] {
        const auto state = desktop().netWmState(xterm->window);
        return std::find(state.begin(), state.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != state.end();
    };
    ASSERT_TRUE(desktop().waitUntil(isMaximized));

    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::left));
    ASSERT_TRUE(release("Snapped · " + title(LayoutSector::left)));
    EXPECT_TRUE(frameLandsIn(slot(LayoutSector::left, left)));
    EXPECT_FALSE(isMaximized());
}

TEST_F(ProgramTest, ReleasingInTheCentreCancelsAndLeavesTheWindowAlone) {
    const auto before = desktop().oracleFrame(xterm->window);
    ASSERT_TRUE(before);
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(release("Cancelled"));
    EXPECT_EQ(desktop().oracleFrame(xterm->window), before);
}

TEST_F(ProgramTest, ScrollingSendsTheWindowToTheOtherMonitorAndKeepsTheWheelFromOthers) {
    // A window of another client under the pointer, away from the menu, that
    // records the buttons it gets.
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS};
    const xcb_window_t id = xcb_generate_id(c().raw());
    xcb_create_window(c().raw(), XCB_COPY_FROM_PARENT, id, c().root(), 900, 100, 300, 250, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    x11::OwnedWindow recorder(c(), id);
    xcb_map_window(c().raw(), id);
    c().sync();
    std::vector<std::uint8_t> buttons;
    const auto handler = c().addHandler([&](const xcb_generic_event_t& e) {
        if (x11::eventType(e) == XCB_BUTTON_PRESS &&
            reinterpret_cast<const xcb_button_press_event_t&>(e).event == id)
            buttons.push_back(reinterpret_cast<const xcb_button_press_event_t&>(e).detail);
    });
    // Everything sent before a click on the recorder has been delivered once it has the click.
    auto fence = [&] {
        const auto clicks = std::count(buttons.begin(), buttons.end(), 1);
        fakeButton(c(), 1);
        return pumpUntil(c(),
                         [&] { return std::count(buttons.begin(), buttons.end(), 1) > clicks; });
    };

    ASSERT_TRUE(open(640, 512));
    EXPECT_TRUE(outlineAround(left));
    fakeMotion(c(), 1000, 200); // over the recorder: the top-right sector
    ASSERT_TRUE(vortaxis->waitForLine("^aim: " + title(LayoutSector::topRight) + "$"));
    for (int notch = 0; notch < 3; ++notch)
        fakeButton(c(), 5);
    ASSERT_TRUE(vortaxis->waitForLine("^status: Screen 2/2")) << "the wheel did not switch";
    EXPECT_TRUE(outlineAround(right));
    ASSERT_TRUE(fence());
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), 5), 0) << "the wheel leaked";
    ASSERT_TRUE(release("Snapped · " + title(LayoutSector::topRight)));
    EXPECT_TRUE(frameLandsIn(slot(LayoutSector::topRight, right)));

    fakeButton(c(), 5);
    ASSERT_TRUE(fence());
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), 5), 1)
        << "after the gesture the wheel belongs to the window again";
    c().removeHandler(handler);
}

TEST_F(ProgramTest, ATargetClosedDuringTheGestureIsReportedAndTheProgramCarriesOn) {
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(aim(640, 512, LayoutSector::right));
    const xcb_window_t gone = xterm->window;
    xterm->process.terminate();
    ASSERT_TRUE(desktop().waitUntil([&] {
        const auto list = desktop().clientList();
        return std::find(list.begin(), list.end(), gone) == list.end();
    }));
    ASSERT_TRUE(release("Window no longer available"));
    EXPECT_TRUE(vortaxis->process.running());

    // And the next gesture still works (no window in front now, or the next one).
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(release("Cancelled"));
}

TEST_F(ProgramTest, AMonitorRemovedDuringTheGestureSendsTheLayoutToTheMainMonitor) {
    ASSERT_TRUE(open(1920, 512)); // on the right monitor
    ASSERT_TRUE(aim(1920, 512, LayoutSector::left));
    auto removed = desktop().tool({"xrandr", "--delmonitor", "RIGHT"});
    ASSERT_TRUE(removed && removed->exitCode == 0);
    ASSERT_TRUE(release("Snapped · " + title(LayoutSector::left)));
    // No monitor holds the pointer any more: the main one (where the window is) takes it.
    EXPECT_TRUE(frameLandsIn(slot(LayoutSector::left, left)));
}

} // namespace
} // namespace vx::test
