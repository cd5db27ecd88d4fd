// The trigger among everyday shortcuts and behind a lock screen: the real
// program with Control alone chosen (the trigger a shortcut shares), and with
// the defaults, played through XTest against xterm under Openbox.
#include "program_driver.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

constexpr std::uint32_t keyC = 46;
constexpr auto quiet = std::chrono::milliseconds(500);

class TriggerTest : public ProgramTest {
protected:
    bool menuOpened(std::chrono::milliseconds within = quiet) {
        return vortaxis->waitForLine("^status: (Aim|Screen)", within).has_value();
    }
    // Another client holds the keyboard, seen the way the program sees it.
    bool keyboardHeld() {
        if (probe_.id() == 0) {
            const xcb_window_t id = xcb_generate_id(c().raw());
            xcb_create_window(c().raw(), XCB_COPY_FROM_PARENT, id, c().root(), -1, -1, 1, 1, 0,
                              XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
            probe_ = x11::OwnedWindow(c(), id);
        }
        auto r = c().reply(xcb_grab_keyboard(c().raw(), 0, probe_.id(), XCB_CURRENT_TIME,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                           xcb_grab_keyboard_reply);
        return r.ok() && r->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    }
    // Whether `recorder` got `n` presses of `button` in all (counts move only
    // while the connection is pumped).
    bool got(ButtonRecorder& recorder, std::uint8_t button, long n) {
        return pumpUntil(c(), [&] { return recorder.count(button) >= n; }) &&
               recorder.count(button) == n;
    }
    std::optional<Process> spawn(const std::vector<std::string>& argv) {
        SpawnOptions options;
        options.env = desktop().env();
        return Process::spawn(argv, options);
    }
    void TearDown() override {
        probe_.reset(); // while its connection is still open
        ProgramTest::TearDown();
    }
    x11::OwnedWindow probe_;
};

class ControlAloneChosen : public TriggerTest {
    void beforeProgram() override {
        std::filesystem::create_directories(desktop().tempDir() + "/config/vortaxis");
        std::ofstream(desktop().tempDir() + "/config/vortaxis/vortaxis.conf")
            << "[General]\nhotkey.binding=\"@ByteArray({\\\"modifiersRaw\\\":262144})\"\n";
    }
};

TEST_F(ControlAloneChosen, ShortcutsAndClicksReachTheirApplicationAndLocksStopTheGesture) {
    vortaxis->trigger = {leftControl};
    ButtonRecorder recorder(c(), 900, 100, 300, 250);
    fakeMotion(c(), 1000, 200);
    auto control = [&](bool down) { fakeKey(c(), leftControl, down); };
    struct Case {
        const char* name;
        std::function<void()> play;
        bool moves = false; // whether the front window may move
    };
    // A locker up and holding the keyboard; gone again when the result goes.
    auto lock = [&](const std::vector<std::string>& argv, const std::string& command = "") {
        auto locker = spawn(argv);
        if (!locker) {
            ADD_FAILURE() << argv.back() << " did not start";
            return std::shared_ptr<Process>();
        }
        EXPECT_TRUE(desktop().waitUntil([&] {
            auto locked = command.empty() ? std::optional<CommandResult>(CommandResult{0, {}})
                                          : desktop().tool({command, "-lock"});
            return locked && locked->exitCode == 0 && keyboardHeld();
        })) << argv.back()
            << " never locked";
        return std::shared_ptr<Process>(new Process(std::move(*locker)), [this](Process* p) {
            delete p;
            EXPECT_TRUE(desktop().waitUntil([&] { return !keyboardHeld(); }));
        });
    };
    auto holdBehind = [&](const std::shared_ptr<Process>&) {
        control(true);
        EXPECT_TRUE(vortaxis->waitForLine("^status: Not arranged · another program holds"));
        fakeMotion(c(), 200, 500);
        control(false);
    };
    // xscreensaver will not lock for root (as in CI): there it runs as nobody.
    const auto saverHome =
        std::filesystem::temp_directory_path() / ("vortaxis-saver-" + std::to_string(::getpid()));
    std::filesystem::create_directories(saverHome);
    std::filesystem::permissions(saverHome, std::filesystem::perms::all);
    std::vector<std::string> saver{"env", "HOME=" + saverHome.string(), "xscreensaver",
                                   "-no-splash"};
    if (::geteuid() == 0)
        saver.insert(saver.begin(),
                     {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const Case cases[] = {
        {"Ctrl double-click",
         [&] {
             control(true);
             fakeButton(c(), 1);
             fakeButton(c(), 1);
             EXPECT_FALSE(menuOpened());
             control(false);
             EXPECT_TRUE(got(recorder, 1, 2)) << recorder.count(1);
         }},
        {"Ctrl+wheel over a second",
         [&] {
             control(true);
             for (int step = 0; step < 5; ++step) {
                 fakeButton(c(), 4);
                 EXPECT_FALSE(menuOpened(std::chrono::milliseconds(200)));
             }
             control(false);
             EXPECT_TRUE(got(recorder, 4, 5)) << recorder.count(4) << " of 5 wheel steps arrived";
         }},
        {"i3lock up before the hold",
         [&] {
             holdBehind(lock({"i3lock", "-n"}));
         }},
        // Between the two lockers, so the second one's status line is a new one.
        {"plain hold, aim, release", [&] { EXPECT_TRUE(snaps(LayoutSector::left, leftMonitor)); },
         true},
        {"xscreensaver locked before the hold",
         [&] { holdBehind(lock(saver, "xscreensaver-command")); }},
        {"i3lock arriving mid-gesture",
         [&] {
             ASSERT_TRUE(vortaxis->open(640, 512));
             ASSERT_TRUE(vortaxis->aim(640, 512, LayoutSector::left));
             const auto locked = lock({"i3lock", "-n"});
             EXPECT_TRUE(vortaxis->waitForLine("^status: Not arranged · another program holds"));
             control(false);
         }},
        // Last: the interrupt ends the xterm's shell, which shows it got the key.
        {"Ctrl+C",
         [&] {
             control(true);
             fakeKey(c(), keyC, true);
             fakeKey(c(), keyC, false);
             EXPECT_FALSE(menuOpened());
             control(false);
             EXPECT_TRUE(xterm->process.wait(deadlineIn(kWait))) << "the xterm never got Ctrl+C";
         },
         true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const auto before = desktop().oracleFrame(xterm->window);
        k.play();
        if (HasFatalFailure())
            return;
        if (!k.moves) {
            EXPECT_EQ(desktop().oracleFrame(xterm->window), before) << "the window moved";
        }
    }
    std::filesystem::remove_all(saverHome);
}

TEST_F(TriggerTest, ByDefaultCtrlHeldThenClickedIsAClickAndCtrlAltIsTheTrigger) {
    ButtonRecorder recorder(c(), 900, 100, 300, 250);
    fakeMotion(c(), 1000, 200);
    const auto before = desktop().oracleFrame(xterm->window);
    fakeKey(c(), leftControl, true);
    EXPECT_FALSE(menuOpened());
    fakeButton(c(), 1);
    fakeKey(c(), leftControl, false);
    EXPECT_TRUE(got(recorder, 1, 1)) << "the click went to a menu";
    EXPECT_EQ(desktop().oracleFrame(xterm->window), before);
    EXPECT_TRUE(snaps(LayoutSector::right, leftMonitor));
}

} // namespace
} // namespace vx::test
#endif
