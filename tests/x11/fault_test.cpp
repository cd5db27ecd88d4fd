// The real program when the desktop misbehaves around it: the window manager
// dies mid-gesture, the target vanishes while it is being placed, the
// keyboard layout changes, the settings file is damaged, there is no window
// manager at all, or the X server itself goes. Each time the program must say
// what happened and carry on, or leave cleanly with an error status.
#include "harness/desktop_test.h"
#include "program_driver.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <sys/wait.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

namespace fs = std::filesystem;

class FaultTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        auto term = desktop().launch({"xterm", "-geometry", "80x24+100+100"});
        ASSERT_TRUE(term) << "xterm did not come up";
        xterm.emplace(std::move(*term));
    }
    void TearDown() override {
        if (HasFailure() && vortaxis)
            std::cerr << "vortaxis said:\n" << vortaxis->transcript();
        vortaxis.reset();
        xterm.reset();
        DesktopTest::TearDown();
    }
    ::testing::AssertionResult startProgram() {
        auto program = ProgramDriver::start(desktop());
        if (!program)
            return ::testing::AssertionFailure() << "cannot start the program";
        vortaxis.emplace(std::move(*program));
        if (!vortaxis->waitForLine("^status: Ready · hold"))
            return ::testing::AssertionFailure() << "the program did not become ready";
        return ::testing::AssertionSuccess();
    }
    // A full gesture on the left monitor that must snap the xterm.
    ::testing::AssertionResult snapsLeft() {
        if (auto opened = vortaxis->open(640, 512); !opened)
            return opened;
        if (auto aimed = vortaxis->aim(640, 512, LayoutSector::left); !aimed)
            return aimed;
        if (!vortaxis->release("Snapped · " + title(LayoutSector::left)))
            return ::testing::AssertionFailure() << "did not snap";
        return ::testing::AssertionSuccess();
    }
    std::string settingsPath() const {
        return desktop_->tempDir() + "/config/vortaxis/vortaxis.conf";
    }

    std::optional<Client> xterm;
    std::optional<ProgramDriver> vortaxis;
};

TEST_F(FaultTest, TheWindowManagerDiesDuringAGestureAndComesBack) {
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(vortaxis->open(640, 512));
    ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::right));
    desktop().stopWindowManager();
    // Nobody can place the window now: the release must end the gesture
    // saying so, not hang, crash or claim a snap.
    EXPECT_TRUE(vortaxis->release("Accessibility permission is required.*"));
    EXPECT_TRUE(vortaxis->process.running());

    ASSERT_TRUE(desktop().startWindowManager(DesktopOptions::defaultWindowManager()));
    // The xterm is managed again (a new frame) once the manager is back.
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isManagedAndShown(xterm->window); }));
    auto& c = desktop().conn();
    ASSERT_TRUE(desktop().tool({"wmctrl", "-i", "-a", std::to_string(xterm->window)}));
    ASSERT_TRUE(desktop().waitUntil([&] {
        return c.cardinal(c.root(), c.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW) == xterm->window;
    }));
    EXPECT_TRUE(snapsLeft());
}

TEST_F(FaultTest, ATargetThatVanishesWhileItIsPlacedIsReportedAndTheNextGestureWorks) {
    ASSERT_TRUE(startProgram());
    // A window of our own that the manager frames, and that we destroy as soon
    // as the manager starts moving it: between the release and the end of
    // the placement.
    auto& c = desktop().conn();
    const xcb_window_t victim = xcb_generate_id(c.raw());
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_create_window(c.raw(), XCB_COPY_FROM_PARENT, victim, c.root(), 300, 200, 400, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &mask);
    xcb_map_window(c.raw(), victim);
    c.flush();
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isManagedAndShown(victim); }));
    ASSERT_TRUE(desktop().tool({"wmctrl", "-i", "-a", std::to_string(victim)}));
    ASSERT_TRUE(desktop().waitUntil([&] {
        return c.cardinal(c.root(), c.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW) == victim;
    }));
    bool destroyed = false;
    const auto handler = c.addHandler([&](const xcb_generic_event_t& e) {
        if (destroyed || x11::eventType(e) != XCB_CONFIGURE_NOTIFY ||
            reinterpret_cast<const xcb_configure_notify_event_t&>(e).window != victim)
            return;
        xcb_destroy_window(c.raw(), victim);
        c.flush();
        destroyed = true;
    });

    ASSERT_TRUE(vortaxis->open(640, 512));
    ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::bottomRight));
    fakeKey(c, evdevLeftControl, false);
    ASSERT_TRUE(pumpUntil(c, [&] { return destroyed; })) << "the window was never moved";
    c.removeHandler(handler);
    // Whatever the program managed before the window went, it says how it ended.
    const auto outcome = vortaxis->waitForLine("^status: ");
    ASSERT_TRUE(outcome);
    EXPECT_THAT(*outcome, ::testing::MatchesRegex("status: (Snapped · Bottom-right|Window no "
                                                  "longer available|.*(move|resize).*)"));
    EXPECT_TRUE(vortaxis->process.running());

    // The xterm is in front again; the next gesture goes to it.
    ASSERT_TRUE(desktop().tool({"wmctrl", "-i", "-a", std::to_string(xterm->window)}));
    ASSERT_TRUE(desktop().waitUntil([&] {
        return c.cardinal(c.root(), c.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW) == xterm->window;
    }));
    EXPECT_TRUE(snapsLeft());
}

TEST_F(FaultTest, AKeyboardLayoutSwitchKeepsTheTriggerWorking) {
    ASSERT_TRUE(startProgram());
    // While idle: the trigger is a modifier, which every layout keeps.
    auto german = desktop().tool({"setxkbmap", "de"});
    ASSERT_TRUE(german && german->exitCode == 0);
    ASSERT_TRUE(snapsLeft());
    // With the menu open: the release still ends the gesture where it aims.
    ASSERT_TRUE(vortaxis->open(640, 512));
    ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::top));
    auto french = desktop().tool({"setxkbmap", "fr"});
    ASSERT_TRUE(french && french->exitCode == 0);
    EXPECT_TRUE(vortaxis->release("Snapped · " + title(LayoutSector::top)));
}

struct DamagedSettings {
    const char* name;
    std::function<void(const std::string& path)> make;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DamagedSettings& settings, std::ostream* os) {
    *os << settings.name;
}

class DamagedSettingsTest : public FaultTest,
                            public ::testing::WithParamInterface<DamagedSettings> {};

TEST_P(DamagedSettingsTest, StartsWithTheDefaultsAndLeavesTheFileAsItWas) {
    const auto path = settingsPath();
    fs::create_directories(fs::path(path).parent_path());
    GetParam().make(path);
    const auto snapshot = [&]() -> std::optional<std::string> {
        if (!fs::is_regular_file(path))
            return std::nullopt;
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    const auto before = snapshot();

    // The defaults: Control held for 0.2 s.
    ASSERT_TRUE(startProgram());
    EXPECT_TRUE(snapsLeft());
    EXPECT_TRUE(vortaxis->process.running());
    // Nothing was written over what the user had.
    EXPECT_EQ(snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSettingsTest,
    ::testing::Values(
        DamagedSettings{"Empty", [](const std::string& p) { std::ofstream(p, std::ios::binary); }},
        DamagedSettings{"Binary",
                        [](const std::string& p) {
                            std::ofstream out(p, std::ios::binary);
                            for (int i = 0; i < 4096; ++i)
                                out.put(static_cast<char>((i * 131 + 7) & 0xff));
                        }},
        DamagedSettings{"NotText",
                        [](const std::string& p) {
                            std::ofstream(p, std::ios::binary)
                                << "[hotkey]\nholdDelay=\xff\xfe\x00\x01 0.2\n[[[\n";
                        }},
        // A directory where the file should be cannot be read, even by root.
        DamagedSettings{"Unreadable", [](const std::string& p) { fs::create_directory(p); }}),
    [](const auto& entry) { return std::string(entry.param.name); });

TEST_F(FaultTest, LosingTheXServerMidGestureEndsWithAMessageAndNoCore) {
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(vortaxis->open(640, 512));
    ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::right));
    // The menu is up and the pointer is grabbed when the server goes.
    desktop().killServer();
    auto output = vortaxis->process.readAll(deadlineIn(kWait));
    auto status = vortaxis->process.wait(deadlineIn(kWait));
    ASSERT_TRUE(status) << "still running without its X server";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status)
                                    << (WCOREDUMP(*status) ? " with a core dump" : "");
    EXPECT_NE(WEXITSTATUS(*status), 0);
    ASSERT_TRUE(output);
    // Qt may notice first and say it in its own words; either way the server is named.
    EXPECT_THAT(*output, ::testing::ContainsRegex("X(11)? server")) << *output;
}

class NoWindowManagerTest : public FaultTest {
protected:
    DesktopOptions options() const override {
        DesktopOptions o;
        o.windowManager = "";
        return o;
    }
    void SetUp() override { DesktopTest::SetUp(); }
};

TEST_F(NoWindowManagerTest, RefusesToMoveWindowsAndSaysWhy) {
    auto program = ProgramDriver::start(desktop());
    ASSERT_TRUE(program);
    vortaxis.emplace(std::move(*program));
    // Without a manager no window can be moved the way users expect: the
    // program says so instead of pretending it is ready.
    ASSERT_TRUE(vortaxis->waitForLine("^status: (Accessibility required|Grant Accessibility)"));
    fakeMotion(desktop().conn(), 640, 512);
    fakeKey(desktop().conn(), evdevLeftControl, true);
    EXPECT_TRUE(vortaxis->waitForLine("^status: Grant Accessibility to use"));
    fakeKey(desktop().conn(), evdevLeftControl, false);
    EXPECT_FALSE(
        vortaxis->waitForLine("^status: (Aim|Screen|Snapped)", std::chrono::milliseconds(500)));
    EXPECT_TRUE(vortaxis->process.running());
}

} // namespace
} // namespace vx::test
#endif
