// Vortaxis as a user runs it: the real program as a process on a virtual
// desktop (two monitors, Openbox, xterm), played with XTest keys, pointer and
// wheel, observed through its --verbose status lines and the independent
// oracles (xwininfo with the frame extents, the window manager's state).
#include "core/settings/settings_texts.h"
#include "program_driver.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>
#include <sys/wait.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

constexpr std::uint32_t space = 57, escape = 1;

// What another process wrote to a file so far.
std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ProgramOnScreenTest : public ProgramTest {
protected:
    // Where the window xwininfo finds with `selector` ("-name", "Vortaxis" etc.)
    // is, while it is shown (root pixels).
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
    // The settings window (titled "Vortaxis") and the outline while they are shown.
    std::optional<Rect> settingsWindow() { return shownWindow({"-name", "Vortaxis"}); }
    std::optional<Rect> outline() { return shownWindow({"-name", "Vortaxis outline"}); }
    // A second start asks the running program to open its settings, then leaves.
    ::testing::AssertionResult openSettingsBySecondStart() {
        SpawnOptions options;
        options.env = desktop().env();
        auto second = Process::spawn(programArgv({}), options);
        const auto status = second ? second->wait(deadlineIn(kWait)) : std::nullopt;
        if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
            return ::testing::AssertionFailure() << "the second start did not leave cleanly";
        if (!desktop().waitUntil([&] { return settingsWindow().has_value(); }))
            return ::testing::AssertionFailure() << "no settings window on screen";
        return ::testing::AssertionSuccess();
    }
    // How many pixels of the settings window are near `colour`: what Qt
    // painted, which X does not announce, so callers poll it.
    std::size_t settingsPixelsNear(const Rgb& colour) {
        const auto r = settingsWindow().value_or(Rect());
        const ScreenShot shot(c());
        auto near = [](int v, double unit) { return std::abs(v - unit * 255) < 24; };
        std::size_t count = 0;
        for (auto y = static_cast<int>(r.minY()); y < r.maxY(); ++y)
            for (auto x = static_cast<int>(r.minX()); x < r.maxX(); ++x) {
                const auto p = shot.at(x, y);
                count += near(p.r, colour.red) && near(p.g, colour.green) && near(p.b, colour.blue);
            }
        return count;
    }
    // tint2 (a required test package) configured by `rc`.
    std::optional<Process> tint2(const std::string& rc) {
        std::ofstream(desktop().tempDir() + "/tint2rc") << rc;
        SpawnOptions options;
        options.env = desktop().env();
        return Process::spawn({"tint2", "-c", desktop().tempDir() + "/tint2rc"}, options);
    }
    void tap(std::uint32_t key) {
        fakeKey(c(), key, true);
        fakeKey(c(), key, false);
    }
    void press(std::initializer_list<std::uint32_t> keys, bool down) {
        for (const auto key : keys)
            fakeKey(c(), key, down);
    }
};

TEST_F(ProgramOnScreenTest, AShortPressOpensNoMenuAndKeysStillReachTheWindow) {
    const auto before = desktop().oracleFrame(xterm->window);
    ASSERT_TRUE(before);
    // A short press: released long before the hold delay, so no gesture; and
    // typing goes on as if we were not there.
    for (std::uint32_t key : {leftControl, 35u, 23u, 28u}) // Control, h, i, Return
        tap(key);
    const std::string typed = desktop().tempDir() + "/typed.txt";
    ASSERT_TRUE(pumpUntil(c(), [&] { return fileText(typed) == "hi\n"; }))
        << "the xterm did not get the keys";

    // Where the menu shows and what it looks like: the overlay screenshots.
    ASSERT_TRUE(vortaxis->open(600, 500));
    // Let go in the centre: nothing happens to the window.
    ASSERT_TRUE(vortaxis->release("Cancelled"));
    EXPECT_EQ(desktop().oracleFrame(xterm->window), before);
    const auto opened = std::count_if(vortaxis->lines.begin(), vortaxis->lines.end(), [](auto& l) {
        return std::regex_search(l, std::regex("^status: (Aim|Screen)"));
    });
    EXPECT_EQ(opened, 1) << "the short press opened a menu";
}

TEST_F(ProgramOnScreenTest, AMaximizedWindowIsRestoredBeforeItSnaps) {
    auto set = desktop().tool({"wmctrl", "-i", "-r", std::to_string(xterm->window), "-b",
                               "add,maximized_vert,maximized_horz"});
    ASSERT_TRUE(set && set->exitCode == 0);
    auto isMaximized = [&] {
        const auto state = desktop().netWmState(xterm->window);
        return std::find(state.begin(), state.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != state.end();
    };
    ASSERT_TRUE(desktop().waitUntil(isMaximized));
    EXPECT_TRUE(snaps(LayoutSector::left, leftMonitor));
    EXPECT_FALSE(isMaximized());
}

TEST_F(ProgramOnScreenTest, ScrollingSendsTheWindowToTheOtherMonitorAndKeepsTheWheelFromOthers) {
    // A window of another client under the pointer, away from the menu.
    ButtonRecorder recorder(c(), 900, 100, 300, 250);
    ASSERT_TRUE(vortaxis->open(640, 512));
    EXPECT_TRUE(desktop().waitUntil([&] { return outline() == Rect(0, 0, 1280, 1024); }));
    fakeMotion(c(), 1000, 200); // over the recorder: the top-right sector
    ASSERT_TRUE(vortaxis->waitForLine("^aim: " + title(LayoutSector::topRight) + "$"));
    for (int notch = 0; notch < 3; ++notch)
        fakeButton(c(), 5);
    ASSERT_TRUE(vortaxis->waitForLine("^status: Screen 2/2")) << "the wheel did not switch";
    EXPECT_TRUE(desktop().waitUntil([&] { return outline() == Rect(1280, 0, 1280, 1024); }));
    ASSERT_TRUE(recorder.fence());
    EXPECT_EQ(recorder.count(5), 0) << "the wheel leaked";
    ASSERT_TRUE(vortaxis->release("Snapped · " + title(LayoutSector::topRight)));
    EXPECT_TRUE(landsIn(slotOf(LayoutSector::topRight, rightMonitor)));

    fakeButton(c(), 5);
    ASSERT_TRUE(recorder.fence());
    EXPECT_EQ(recorder.count(5), 1) << "after the gesture the wheel belongs to the window again";
}

TEST_F(ProgramOnScreenTest, AMonitorRemovedDuringTheGestureSendsTheLayoutToTheMainMonitor) {
    ASSERT_TRUE(vortaxis->open(1920, 512)); // on the right monitor
    ASSERT_TRUE(vortaxis->aim(1920, 512, LayoutSector::left));
    auto removed = desktop().tool({"xrandr", "--delmonitor", "RIGHT"});
    ASSERT_TRUE(removed && removed->exitCode == 0);
    ASSERT_TRUE(vortaxis->release("Snapped · " + title(LayoutSector::left)));
    // No monitor holds the pointer any more: the main one (where the window is) takes it.
    EXPECT_TRUE(landsIn(slotOf(LayoutSector::left, leftMonitor)));
}

TEST_F(ProgramOnScreenTest, ATriggerRecordedInTheSettingsWindowDrivesTheNextGesture) {
    // Opened without a tray icon to go by, the window comes up where the pointer is.
    fakeMotion(c(), 1920, 512);
    ASSERT_TRUE(openSettingsBySecondStart());
    const Rect window = *settingsWindow();
    EXPECT_GE(window.minX(), rightMonitor.x) << "not on the pointer's monitor: " << window;
    // The recorder field spans the hotkey card below its title, about 120 px
    // from the window's top (see docs/screenshots/).
    fakeMotion(c(), static_cast<int>(window.minX()) + 150, static_cast<int>(window.minY()) + 120);
    fakeButton(c(), 1);
    // The keys come to the program on another connection than the click: wait
    // until the field turned rose for recording, as a person would look.
    ASSERT_TRUE(pumpUntil(c(), [&] { return settingsPixelsNear(palette::roseAccent) >= 30; }))
        << "the click did not start recording";
    // Modifiers first, the key last, released only once recorded (an instant
    // release could overtake the press that the window's own connection brings).
    press({leftControl, leftAlt, space}, true);
    // The idle status line keeps the old text until the next gesture ends, so
    // the settings file is the witness.
    const std::string settingsFile = desktop().tempDir() + "/config/vortaxis/vortaxis.conf";
    const std::string modifiers =
        "\\\"modifiersRaw\\\":" + std::to_string(modifier::control | modifier::option);
    EXPECT_TRUE(pumpUntil(c(),
                          [&] {
                              const auto stored = fileText(settingsFile);
                              return stored.find(modifiers) != std::string::npos &&
                                     stored.find("\\\"keyCode\\\":49") != std::string::npos;
                          }))
        << "stored: " << fileText(settingsFile);
    press({space, leftAlt, leftControl}, false);

    // The window stays open, as an application's window does, behind the xterm.
    ASSERT_TRUE(activate(xterm->window));

    fakeMotion(c(), 640, 512);
    press({leftControl, leftAlt, space}, true);
    ASSERT_TRUE(vortaxis->waitForLine("^status: (Aim|Screen)")) << "the new trigger opened no menu";
    ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::left));
    press({space, leftAlt, leftControl}, false);
    ASSERT_TRUE(vortaxis->waitForLine("^status: Snapped · " + title(LayoutSector::left)));
    EXPECT_TRUE(landsIn(slotOf(LayoutSector::left, leftMonitor)));
}

TEST_F(ProgramOnScreenTest, TheTrayIconOpensTheSettingsAndASecondClickOrEscapeClosesThem) {
    // A tray host started after the program: the icon must move in when a tray appears.
    auto tray = tint2("panel_items = S\npanel_position = top center horizontal\n"
                      "panel_size = 100% 32\nsystray_icon_size = 24\n");
    ASSERT_TRUE(tray);
    // The icon: the only small window of ours on screen. Embedding moves it
    // between windows the harness does not watch: polled.
    std::optional<Rect> icon;
    ASSERT_TRUE(pumpUntil(c(), [&] {
        auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--classname", "vortaxis"});
        std::istringstream ids(found ? found->output : "");
        for (std::string id; ids >> id;)
            if (auto r = shownWindow({"-id", id}); r && r->width() <= 64 && r->height() <= 64)
                icon = r;
        return icon.has_value();
    })) << "the icon never showed in the tray";
    EXPECT_LE(icon->maxY(), 32) << "not in the panel: " << *icon;
    auto click = [&] {
        fakeMotion(c(), static_cast<int>(icon->midX()), static_cast<int>(icon->midY()));
        fakeButton(c(), 1);
    };

    click();
    ASSERT_TRUE(desktop().waitUntil([&] { return settingsWindow().has_value(); }))
        << "a click on the icon opened nothing";
    const Rect window = *settingsWindow();
    EXPECT_GE(window.minY(), icon->maxY()) << "not below the icon: " << window;
    // Below the icon, under the title bar the window manager gives it.
    EXPECT_LE(window.minY(), icon->maxY() + 64) << "not next to the icon: " << window;
    EXPECT_EQ(window.width(), 312);
    click();
    EXPECT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); }))
        << "a second click left it open";
    click();
    ASSERT_TRUE(desktop().waitUntil([&] { return settingsWindow().has_value(); }))
        << "the icon does not open it again";
    tap(escape);
    EXPECT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); })) << "Escape left it open";
}

// Without a window manager no window can be moved: the program says so from
// the start, a held trigger asks for what is missing instead of opening a
// menu, and the settings window shows it in orange.
class WithoutAWindowManager : public ProgramOnScreenTest {
    DesktopOptions options() const override {
        DesktopOptions o;
        o.windowManager.clear();
        return o;
    }
};

TEST_F(WithoutAWindowManager, TheTriggerAsksForAccessAndTheSettingsShowWhatIsMissing) {
    fakeMotion(c(), 640, 512);
    press({leftControl, leftAlt}, true);
    EXPECT_TRUE(vortaxis->waitForLine(
        "^status: Vortaxis cannot arrange windows here: No window manager is running"));
    press({leftAlt, leftControl}, false);
    EXPECT_FALSE(vortaxis->waitForLine("^status: (Aim|Screen|Snapped)", 300ms));
    ASSERT_TRUE(openSettingsBySecondStart());
    EXPECT_TRUE(pumpUntil(c(), [&] { return settingsPixelsNear(palette::orangeAccent) >= 100; }))
        << settingsPixelsNear(palette::orangeAccent);
    EXPECT_EQ(settingsPixelsNear(palette::greenAccent), 0u);
}

// Arguments are answered at once, most of them without a display; the probe
// writes its report and leaves the running program alone.
TEST_F(ProgramOnScreenTest, ArgumentsAreAnsweredAtOnce) {
    auto env = desktop().env();
    env.push_back("XDG_RUNTIME_DIR=" + desktop().tempDir());
    const std::string report = desktop().tempDir() + "/vortaxis-wechat-probe.txt";
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string said;
    };
    for (const auto& c :
         std::vector<Case>{{{"--help"}, 0, "--verbose"},
                           {{"--version"}, 0, std::string("vortaxis ") + VORTAXIS_VERSION + "\n"},
                           {{"--frobnicate"}, 2, "--frobnicate"},
                           {{}, 1, "DISPLAY"},
                           {{"--probe-wechat"}, 0, ""}}) {
        const bool probe = !c.arguments.empty() && c.arguments[0] == "--probe-wechat";
        auto result = run(programArgv(c.arguments),
                          probe ? env : std::vector<std::string>{"DISPLAY="}, deadlineIn(kWait));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->exitCode, c.exitCode) << result->output;
        const auto said = probe ? fileText(report).substr(0, fileText(report).find('\n')) : c.said;
        EXPECT_FALSE(said.empty()) << "no probe report";
        EXPECT_THAT(result->output, ::testing::HasSubstr(said));
    }
    EXPECT_FALSE(settingsWindow());
}

} // namespace
} // namespace vx::test
#endif
