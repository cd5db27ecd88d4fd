// Vortaxis as a user runs it: the real program as a process on a virtual
// desktop (two monitors, Openbox, xterm), played with XTest keys, pointer and
// wheel, observed through its --verbose status lines and the independent
// oracles (xwininfo with the frame extents, the window manager's state).
#include "core/session/layout_sector.h"
#include "core/settings/settings_texts.h"
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace vx::test {
namespace {

constexpr std::uint32_t leftControl = 29, leftAlt = 56, space = 57, escape = 1;
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
    // What it said that no wait has read yet, as far as it said it by `deadline`.
    void drain(Deadline deadline) {
        while (auto line = process.readLine(deadline))
            lines.push_back(*line);
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
        const bool managed = !options().windowManager.empty();
        if (managed) {
            auto term = desktop().launch({"xterm", "-geometry", "80x24+100+100", "-e", "sh", "-c",
                                          "cat > \"$HOME/typed.txt\""});
            ASSERT_TRUE(term) << "xterm did not come up";
            xterm.emplace(std::move(*term));
        }
        auto program = Program::start(desktop(), {"--verbose"});
        ASSERT_TRUE(program);
        vortaxis.emplace(std::move(*program));
        // Without a window manager nothing can be arranged, and the program says so.
        ASSERT_TRUE(vortaxis->waitForLine(managed ? "^status: Ready" : "^status: Accessibility"))
            << vortaxis->transcript();
    }
    void TearDown() override {
        if (HasFailure() && vortaxis) {
            vortaxis->drain(deadlineIn(200ms));
            std::cerr << "vortaxis said:\n" << vortaxis->transcript();
        }
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

    // The sector's slot in a monitor's visible area, in root pixels.
    static Rect slot(LayoutSector s, const MonitorSpec& m) {
        const int primaryBottom = 1024;
        const Rect desktopFrame(m.x, primaryBottom - (m.y + m.height), m.width, m.height);
        const Rect r = frame(s, desktopFrame);
        return Rect(r.origin.x, primaryBottom - r.maxY(), r.width(), r.height());
    }
    static bool near(const Rect& a, const Rect& b, double slack) {
        return std::abs(a.minX() - b.minX()) <= slack && std::abs(a.minY() - b.minY()) <= slack &&
               std::abs(a.maxX() - b.maxX()) <= slack && std::abs(a.maxY() - b.maxY()) <= slack;
    }
    ::testing::AssertionResult frameLandsIn(const Rect& expected, xcb_window_t window = 0,
                                            double slack = tolerance) {
        std::optional<Rect> seen;
        const bool ok = desktop().waitUntil([&] {
            seen = desktop().oracleFrame(window ? window : xterm->window);
            return seen && near(*seen, expected, slack);
        });
        if (ok)
            return ::testing::AssertionSuccess();
        std::ostringstream why;
        why << "frame " << (seen ? *seen : Rect()) << " is not near " << expected;
        return ::testing::AssertionFailure() << why.str();
    }

    // Where the named top-level window is, while it is shown (root pixels).
    std::optional<Rect> shownWindow(const std::string& name) {
        return shownWindow(std::vector<std::string>{"-name", name});
    }
    // The same for the window xwininfo finds with `selector` ("-id", "0x..." etc.).
    std::optional<Rect> shownWindow(std::vector<std::string> selector) {
        selector.insert(selector.begin(), "xwininfo");
        auto found = desktop().tool(selector);
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

    // The settings window (titled "Vortaxis") while it is shown.
    std::optional<Rect> settingsWindow() { return shownWindow("Vortaxis"); }
    // A second start asks the running program to open its settings, then leaves.
    ::testing::AssertionResult openSettingsBySecondStart() {
        auto second = Program::start(desktop());
        if (!second)
            return ::testing::AssertionFailure() << "the second start did not start";
        const auto status = second->process.wait(deadlineIn(kWait));
        if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
            return ::testing::AssertionFailure() << "the second start did not leave cleanly";
        if (!desktop().waitUntil([&] { return settingsWindow().has_value(); }))
            return ::testing::AssertionFailure() << "no settings window on screen";
        return ::testing::AssertionSuccess();
    }
    std::optional<xcb_window_t> settingsWindowId() {
        auto found = desktop().tool({"xdotool", "search", "--onlyvisible", "--name", "^Vortaxis$"});
        if (!found || found->exitCode != 0)
            return std::nullopt;
        return static_cast<xcb_window_t>(std::stoul(found->output)); // decimal
    }
    // How many of the window's pixels are within a small distance of `colour`:
    // what Qt painted, which X does not announce, so callers poll it.
    std::size_t pixelsNear(xcb_window_t window, const Rgb& colour) {
        const auto rect = shownWindow({"-id", std::to_string(window)});
        if (!rect)
            return 0;
        auto* reply =
            xcb_get_image_reply(c().raw(),
                                xcb_get_image(c().raw(), XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              static_cast<std::uint16_t>(rect->width()),
                                              static_cast<std::uint16_t>(rect->height()), ~0u),
                                nullptr);
        if (!reply)
            return 0;
        const std::uint8_t* px = xcb_get_image_data(reply);
        const auto bytes = static_cast<std::size_t>(xcb_get_image_data_length(reply));
        auto near = [](std::uint8_t v, double unit) { return std::abs(v - unit * 255) < 24; };
        std::size_t count = 0;
        for (std::size_t i = 0; i + 3 < bytes; i += 4) // BGRX on a 24-bit TrueColor screen
            if (near(px[i + 2], colour.red) && near(px[i + 1], colour.green) &&
                near(px[i], colour.blue))
                ++count;
        std::free(reply);
        return count;
    }
    void pressAndRelease(std::uint32_t key) {
        fakeKey(c(), key, true);
        fakeKey(c(), key, false);
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

TEST_F(ProgramTest, ARealPanelKeepsSnapsOnItsMonitorClearOfItAndLeavesTheOtherWhole) {
    if (!onPath("tint2"))
        GTEST_SKIP() << "tint2 is not installed";
    const auto rc = desktop().tempDir() + "/tint2rc";
    std::ofstream(rc) << "panel_monitor = 2\npanel_position = bottom center horizontal\n"
                         "panel_size = 100% 80\nstrut_policy = follow_size\n"
                         "panel_layer = top\npanel_items = C\ntime1_format = %H:%M\n";
    SpawnOptions options;
    options.env = desktop().env();
    options.logFile = desktop().tempDir() + "/tint2.log";
    auto panel = Process::spawn({"tint2", "-c", rc}, options);
    ASSERT_TRUE(panel);
    // In place once the window manager has taken the panel's room off the work area.
    ASSERT_TRUE(desktop().waitUntil([&] {
        const auto area = c().cardinals(c().root(), c().atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
        return area && area->size() >= 4 && (*area)[3] == 1024 - 80;
    })) << "the panel reserved no room";

    const MonitorSpec rightAbovePanel{"RIGHT", 1280, 0, 1280, 1024 - 80};
    for (const auto& [monitor, visible] :
         {std::pair{left, left}, std::pair{right, rightAbovePanel}}) {
        SCOPED_TRACE(monitor.name);
        const int cx = monitor.x + monitor.width / 2, cy = monitor.y + monitor.height / 2;
        ASSERT_TRUE(open(cx, cy));
        ASSERT_TRUE(aim(cx, cy, LayoutSector::bottom));
        ASSERT_TRUE(release("Snapped · " + title(LayoutSector::bottom)));
        EXPECT_TRUE(frameLandsIn(slot(LayoutSector::bottom, visible)));
    }
}

TEST_F(ProgramTest, GtkWindowsSnapIntoTheirSlots) {
    if (!onPath("zenity"))
        GTEST_SKIP() << "zenity is not installed";
    struct Case {
        const char* name;
        std::vector<std::string> argv;
        bool headerBars; // the toolkit draws its own frame; the manager draws none
    };
    const std::vector<Case> cases = {
        {"decorated by the manager", {"zenity", "--list", "--column=Name", "one"}, false},
        {"decorated by itself", {"zenity", "--file-selection"}, true},
    };
    for (const auto& gtkCase : cases) {
        SCOPED_TRACE(gtkCase.name);
        const auto settings = desktop().tempDir() + "/config/gtk-3.0";
        std::filesystem::create_directories(settings);
        std::ofstream(settings + "/settings.ini")
            << "[Settings]\ngtk-dialogs-use-header=" << (gtkCase.headerBars ? "true" : "false")
            << "\n";
        auto gtk = desktop().launch(gtkCase.argv);
        ASSERT_TRUE(gtk) << "zenity did not come up";
        for (const auto& [monitor, s] : {std::pair{left, LayoutSector::topLeft},
                                         std::pair{right, LayoutSector::bottomRight}}) {
            SCOPED_TRACE(monitor.name + " " + title(s));
            const int cx = monitor.x + monitor.width / 2, cy = monitor.y + monitor.height / 2;
            ASSERT_TRUE(open(cx, cy));
            ASSERT_TRUE(aim(cx, cy, s));
            ASSERT_TRUE(release("Snapped · " + title(s)));
            // No size steps here: the read-back tolerance alone.
            EXPECT_TRUE(frameLandsIn(slot(s, monitor), gtk->window, 24));
        }
    }
}

TEST_F(ProgramTest, ReleasingInTheCentreCancelsAndLeavesTheWindowAlone) {
    const auto before = desktop().oracleFrame(xterm->window);
    ASSERT_TRUE(before);
    ASSERT_TRUE(open(640, 512));
    ASSERT_TRUE(release("Cancelled"));
    EXPECT_EQ(desktop().oracleFrame(xterm->window), before);
}

TEST_F(ProgramTest, AClickInTheHubMaximizesAndTheLaterReleaseSaysNothingMore) {
    ASSERT_TRUE(open(1920, 512)); // the pointer rests on the hub, on the right monitor
    fakeButton(c(), 1);
    ASSERT_TRUE(vortaxis->waitForLine("^status: Snapped · Full screen$"));
    EXPECT_TRUE(frameLandsIn(Rect(right.x, right.y, right.width, right.height)));
    const auto reported = vortaxis->lines.size();

    fakeKey(c(), leftControl, false);
    // The next gesture's first line fences everything the release could have said.
    ASSERT_TRUE(open(1920, 512));
    for (auto i = reported; i + 1 < vortaxis->lines.size(); ++i)
        EXPECT_THAT(vortaxis->lines[i], ::testing::Not(::testing::StartsWith("status:")));
    ASSERT_TRUE(release("Cancelled"));
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

TEST_F(ProgramTest, ATriggerRecordedInTheSettingsWindowDrivesTheNextGesture) {
    fakeMotion(c(), 640, 512);
    ASSERT_TRUE(openSettingsBySecondStart());
    const Rect window = *settingsWindow();
    // The recorder field spans the hotkey card below its title, about 120 px
    // from the window's top (see docs/screenshots/).
    fakeMotion(c(), static_cast<int>(window.minX()) + 150, static_cast<int>(window.minY()) + 120);
    fakeButton(c(), 1);
    // The keys come to the program on another connection than the click: wait
    // until the field turned rose for recording, as a person would look.
    const auto id = settingsWindowId();
    ASSERT_TRUE(id);
    ASSERT_TRUE(pumpUntil(c(), [&] { return pixelsNear(*id, palette::roseAccent) >= 30; }))
        << "the click did not start recording";
    // Pressed as a person would: modifiers first, the key last, and released
    // only once recorded (an instant release could overtake the press that the
    // window's own connection brings).
    for (const auto key : {leftControl, leftAlt, space})
        fakeKey(c(), key, true);
    // Kept in the settings file (the idle status line keeps the old text until
    // the next gesture ends, so it is no witness here).
    const std::string settingsFile = desktop().tempDir() + "/config/vortaxis/vortaxis.conf";
    const std::string modifiers =
        "\\\"modifiersRaw\\\":" + std::to_string(modifier::control | modifier::option);
    std::string stored;
    auto recorded = [&] {
        std::ifstream in(settingsFile);
        stored.assign(std::istreambuf_iterator<char>(in), {});
        return stored.find(modifiers) != std::string::npos &&
               stored.find("\\\"keyCode\\\":49") != std::string::npos;
    };
    EXPECT_TRUE(pumpUntil(c(), recorded)) << "stored: " << stored;
    for (const auto key : {space, leftAlt, leftControl})
        fakeKey(c(), key, false);

    // Going back to the xterm closes the window, as a menu would close.
    auto activate = desktop().tool({"wmctrl", "-i", "-a", std::to_string(xterm->window)});
    ASSERT_TRUE(activate && activate->exitCode == 0);
    ASSERT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); })) << "it stayed open";

    fakeMotion(c(), 640, 512);
    for (const auto key : {leftControl, leftAlt, space})
        fakeKey(c(), key, true);
    ASSERT_TRUE(vortaxis->waitForLine("^status: (Aim|Screen)")) << "the new trigger opened no menu";
    ASSERT_TRUE(aim(640, 512, LayoutSector::left));
    for (const auto key : {space, leftAlt, leftControl})
        fakeKey(c(), key, false);
    ASSERT_TRUE(vortaxis->waitForLine("^status: Snapped · " + title(LayoutSector::left)));
    EXPECT_TRUE(frameLandsIn(slot(LayoutSector::left, left)));
}

// A tray host on the desktop: tint2 showing only its system tray, along the top.
class ProgramInTrayTest : public ProgramTest {
protected:
    void SetUp() override {
        if (!onPath("tint2"))
            GTEST_SKIP() << "tint2 is not installed";
        ProgramTest::SetUp();
        if (HasFatalFailure())
            return;
        // Started after the program: the icon must move in when a tray appears.
        const auto rc = desktop().tempDir() + "/tint2rc";
        std::ofstream(rc) << "panel_items = S\npanel_position = top center horizontal\n"
                             "panel_size = 100% 32\nsystray_icon_size = 24\n";
        SpawnOptions so;
        so.env = desktop().env();
        tint2 = Process::spawn({"tint2", "-c", rc}, so);
        ASSERT_TRUE(tint2);
    }
    void TearDown() override {
        tint2.reset();
        ProgramTest::TearDown();
    }
    // The icon: the only window of ours on screen while nothing else is open.
    std::optional<Rect> trayIcon() {
        auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--classname", "vortaxis"});
        if (!found || found->exitCode != 0)
            return std::nullopt;
        std::istringstream ids(found->output);
        std::optional<Rect> icon;
        for (std::string id; ids >> id;)
            if (auto r = shownWindow({"-id", id}); r && r->width() <= 64 && r->height() <= 64)
                icon = r;
        return icon;
    }
    void click(const Rect& r) {
        fakeMotion(c(), static_cast<int>(r.midX()), static_cast<int>(r.midY()));
        fakeButton(c(), 1);
    }

    std::optional<Process> tint2;
};

TEST_F(ProgramInTrayTest, TheIconOpensTheSettingsAndASecondClickOrEscapeClosesThem) {
    std::optional<Rect> icon;
    // Embedding moves the icon between windows the harness does not watch: polled.
    ASSERT_TRUE(pumpUntil(c(), [&] { return (icon = trayIcon()).has_value(); }))
        << "the icon never showed in the tray";
    EXPECT_LE(icon->maxY(), 32) << "not in the panel: " << *icon;

    click(*icon);
    ASSERT_TRUE(desktop().waitUntil([&] { return settingsWindow().has_value(); }))
        << "a click on the icon opened nothing";
    const Rect window = *settingsWindow();
    EXPECT_GE(window.minY(), icon->maxY()) << "not below the icon: " << window;
    EXPECT_LE(window.minY(), icon->maxY() + 32) << "not next to the icon: " << window;
    EXPECT_EQ(window.width(), 312);

    click(*icon);
    EXPECT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); }))
        << "a second click left it open";

    click(*icon);
    ASSERT_TRUE(desktop().waitUntil([&] { return settingsWindow().has_value(); }))
        << "the icon does not open it again";
    pressAndRelease(escape);
    EXPECT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); })) << "Escape left it open";
}

// The settings window as the desktop draws it, with and without the trust a
// window manager gives. Set VORTAXIS_SCREENSHOT_DIR to keep the pictures
// (docs/screenshots/).
class SettingsPictureTest : public ProgramTest, public ::testing::WithParamInterface<bool> {
protected:
    DesktopOptions options() const override {
        DesktopOptions o;
        if (!GetParam())
            o.windowManager.clear();
        return o;
    }
};

TEST_P(SettingsPictureTest, ThePermissionCardShowsWhetherArrangingIsPossible) {
    const bool trusted = GetParam();
    fakeMotion(c(), 640, 400);
    ASSERT_TRUE(openSettingsBySecondStart());
    const auto window = settingsWindowId();
    ASSERT_TRUE(window);
    // The badge and the button carry the state's colour; the other one is nowhere.
    const Rgb shown = trusted ? palette::greenAccent : palette::orangeAccent;
    const Rgb other = trusted ? palette::orangeAccent : palette::greenAccent;
    EXPECT_TRUE(pumpUntil(c(), [&] { return pixelsNear(*window, shown) >= 100; }))
        << pixelsNear(*window, shown);
    EXPECT_EQ(pixelsNear(*window, other), 0u);
    if (const char* keep = std::getenv("VORTAXIS_SCREENSHOT_DIR")) {
        const std::string file =
            std::string(keep) + (trusted ? "/settings-granted.png" : "/settings-missing.png");
        auto saved = desktop().tool({"import", "-window", std::to_string(*window), file});
        EXPECT_TRUE(saved && saved->exitCode == 0) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Trust, SettingsPictureTest, ::testing::Bool(), [](const auto& trust) {
    return trust.param ? "Openbox" : "NoWindowManager";
});

} // namespace
} // namespace vx::test
