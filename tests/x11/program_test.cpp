// Vortaxis as a user runs it on a two-monitor desktop, played with XTest and
// judged by its --verbose status lines and the independent tools.
#include "core/settings/settings_texts.h"
#include "program_driver.h"

#include <fstream>
#include <gmock/gmock.h>
#include <sys/wait.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using ProgramOnScreenTest = ProgramTest;

// A maximized window is restored before it snaps; the wheel sends it to the
// other monitor, and no other window hears the wheel during the gesture.
TEST_F(ProgramOnScreenTest, AMaximizedWindowIsRestoredAndScrolledToTheOtherMonitor) {
    ASSERT_TRUE(desktop().ran({"wmctrl", "-i", "-r", std::to_string(xterm->window), "-b",
                               "add,maximized_vert,maximized_horz"}));
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isMaximized(xterm->window); }));
    const auto outline = [&] { return desktop().shownWindow({"-name", "Vortaxis outline"}); };
    ButtonRecorder recorder(c(), 900, 100, 300, 250); // another client's, away from the menu
    ASSERT_TRUE(open(640, 512));
    EXPECT_TRUE(desktop().waitUntil([&] { return outline() == Rect(0, 0, 1280, 1024); }));
    fakeMotion(c(), 1000, 200); // over the recorder: the top-right sector
    ASSERT_TRUE(waitForLine("^aim: " + title(LayoutSector::topRight) + "$"));
    for (int notch = 0; notch < 3; ++notch)
        fakeButton(c(), 5);
    ASSERT_TRUE(waitForLine("^status: Screen 2/2")) << "the wheel did not switch";
    EXPECT_TRUE(desktop().waitUntil([&] { return outline() == Rect(1280, 0, 1280, 1024); }));
    ASSERT_TRUE(recorder.fence());
    EXPECT_EQ(recorder.count(5), 0) << "the wheel leaked";
    ASSERT_TRUE(release("Snapped · " + title(LayoutSector::topRight)));
    EXPECT_TRUE(landsIn(slotOf(LayoutSector::topRight, rightMonitor)));
    EXPECT_FALSE(desktop().isMaximized(xterm->window));

    fakeButton(c(), 5);
    ASSERT_TRUE(recorder.fence());
    EXPECT_EQ(recorder.count(5), 1) << "after the gesture the wheel belongs to the window again";
}

TEST_F(ProgramOnScreenTest, AMonitorRemovedDuringTheGestureSendsTheLayoutToTheMainMonitor) {
    ASSERT_TRUE(open(1920, 512)); // on the right monitor
    ASSERT_TRUE(aim(1920, 512, LayoutSector::left));
    ASSERT_TRUE(desktop().ran({"xrandr", "--delmonitor", "RIGHT"}));
    ASSERT_TRUE(release("Snapped · " + title(LayoutSector::left)));
    // No monitor holds the pointer any more: the main one (where the window is) takes it.
    EXPECT_TRUE(landsIn(slotOf(LayoutSector::left, leftMonitor)));
}

TEST_F(ProgramOnScreenTest, ATriggerRecordedInTheSettingsWindowDrivesTheNextGesture) {
    constexpr std::uint32_t space = 57;
    // A second start opens the running one's settings, which without a tray
    // icon come up where the pointer is.
    fakeMotion(c(), 1920, 512);
    auto second = desktop().spawn(programArgv({}));
    const auto status = second ? second->wait(deadlineIn(kWait)) : std::nullopt;
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    std::optional<Rect> window;
    ASSERT_TRUE(desktop().waitUntil([&] {
        return (window = desktop().shownWindow({"-name", "Vortaxis"})).has_value();
    }));
    EXPECT_GE(window->minX(), rightMonitor.x) << "not on the pointer's monitor: " << *window;
    // The recorder field is about 120 px below the window's top. The keys come
    // on another connection than the click: wait for the field to turn rose
    // (Qt paints it; X does not announce it), as a person would.
    fakeMotion(c(), static_cast<int>(window->minX()) + 150, static_cast<int>(window->minY()) + 120);
    fakeButton(c(), 1);
    const Pixel rose{static_cast<int>(palette::roseAccent.red * 255),
                     static_cast<int>(palette::roseAccent.green * 255),
                     static_cast<int>(palette::roseAccent.blue * 255)};
    ASSERT_TRUE(pumpUntil(c(), [&] {
        return ScreenShot(c()).count(*window, [&](auto& p) { return p.distance(rose) < 48; }) >= 30;
    })) << "the click did not start recording";
    // Released only once recorded (a release could overtake the press); the
    // settings file is the witness, the idle status line keeps the old text.
    fakeKeys(c(), {leftControl, leftAlt, space}, true);
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
    fakeKeys(c(), {space, leftAlt, leftControl}, false);

    // The window stays open, as an application's window does, behind the xterm.
    ASSERT_TRUE(activate(xterm->window));
    trigger = {leftControl, leftAlt, space};
    EXPECT_TRUE(snaps(LayoutSector::left, leftMonitor));
}

// Arguments are answered at once, without a display.
TEST_F(ProgramOnScreenTest, ArgumentsAreAnsweredAtOnce) {
    for (const auto& [arguments, exitCode, says] :
         std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
             {{"--help"}, 0, "--verbose"},
             {{"--frobnicate"}, 2, "--frobnicate"},
             {{}, 1, "DISPLAY"}}) {
        const auto result =
            run(programArgv(arguments), {"DISPLAY=", "XDG_RUNTIME_DIR=" + desktop().tempDir()},
                deadlineIn(kWait), true);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->exitCode, exitCode) << result->output;
        EXPECT_THAT(result->output, ::testing::HasSubstr(says));
    }
}

} // namespace
} // namespace vx::test
#endif
