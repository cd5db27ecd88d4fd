// The trigger among everyday shortcuts, Sticky Keys and a lock screen: the real program with
// Control alone chosen (the trigger a shortcut shares), played through XTest against xterm.
#include "program_driver.h"

#include <filesystem>
#include <fstream>
#include <functional>
#define explicit explicit_ // xcb's XKB header names a field `explicit`
#include <xcb/xkb.h>
#undef explicit

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

constexpr std::uint32_t keyA = 30, keyC = 46;
constexpr auto quiet = 500ms;

class ControlAloneChosen : public ProgramTest {
protected:
    void beforeProgram() override {
        std::filesystem::create_directories(desktop().tempDir() + "/config/vortaxis");
        std::ofstream(desktop().tempDir() + "/config/vortaxis/vortaxis.conf")
            << "[General]\nhotkey.binding=\"@ByteArray({\\\"modifiersRaw\\\":262144})\"\n";
    }
    void TearDown() override {
        probe_.reset(); // while its connection is still open
        ProgramTest::TearDown();
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
    // Waits for the server's latched and locked modifiers to be these (core masks).
    bool latchedAndLocked(std::uint8_t latched, std::uint8_t locked) {
        // XKB answers only a client that said which version it speaks.
        c().reply(xcb_xkb_use_extension(c().raw(), 1, 0), xcb_xkb_use_extension_reply);
        return pumpUntil(c(), [&] {
            auto s = c().reply(xcb_xkb_get_state(c().raw(), XCB_XKB_ID_USE_CORE_KBD),
                               xcb_xkb_get_state_reply);
            return s.ok() && s->latchedMods == latched && s->lockedMods == locked;
        });
    }
    x11::OwnedWindow probe_;
};

TEST_F(ControlAloneChosen, ShortcutsAndClicksReachTheirApplicationAndLocksStopTheGesture) {
    trigger = {leftControl};
    ButtonRecorder recorder(c(), 900, 100, 300, 250);
    fakeMotion(c(), 1000, 200);
    auto control = [&](bool down) { fakeKey(c(), leftControl, down); };
    constexpr std::uint8_t controlMask = XCB_MOD_MASK_CONTROL;
    // name, what is played, whether the front window may move
    const std::vector<std::tuple<const char*, std::function<void()>, bool>> cases = {
        {"Ctrl double-click",
         [&] {
             control(true);
             fakeButton(c(), 1);
             fakeButton(c(), 1);
             EXPECT_FALSE(menuOpened(quiet));
             control(false);
             EXPECT_TRUE(pumpUntil(c(), [&] { return recorder.count(1) >= 2; }));
             EXPECT_EQ(recorder.count(1), 2);
         },
         false},
        {"i3lock arriving mid-gesture",
         [&] {
             ASSERT_TRUE(open(640, 512));
             ASSERT_TRUE(aim(640, 512, LayoutSector::left));
             auto locker = desktop().spawn({"i3lock", "-n"});
             ASSERT_TRUE(locker && desktop().waitUntil([&] { return keyboardHeld(); }));
             EXPECT_TRUE(waitForLine("^status: Not arranged · another program holds"));
             control(false);
             locker.reset();
             EXPECT_TRUE(desktop().waitUntil([&] { return !keyboardHeld(); }));
         },
         false},
        // Not held, only latched by Sticky Keys: the key after it is Ctrl+A
        // typed into the terminal.
        {"Sticky Keys tap, key",
         [&] {
             ASSERT_TRUE(desktop().ran({"xkbset", "accessx", "sticky", "-twokey", "latchlock"}));
             tapKey(c(), leftControl);
             ASSERT_TRUE(latchedAndLocked(controlMask, 0));
             EXPECT_FALSE(menuOpened(quiet)) << "a latched Control counted as held";
             tapKey(c(), keyA);
             ASSERT_TRUE(latchedAndLocked(0, 0));
             EXPECT_TRUE(desktop().ran({"xkbset", "-sticky"}));
         },
         false},
        // Last: the interrupt ends the xterm's cat, which shows it got the key.
        {"Ctrl+C",
         [&] {
             control(true);
             tapKey(c(), keyC);
             EXPECT_FALSE(menuOpened(quiet));
             control(false);
             EXPECT_TRUE(xterm->process.wait(deadlineIn(kWait))) << "the xterm never got Ctrl+C";
         },
         true},
    };
    for (const auto& [name, play, moves] : cases) {
        SCOPED_TRACE(name);
        const auto before = desktop().oracleFrame(xterm->window);
        play();
        if (HasFatalFailure())
            break;
        EXPECT_TRUE(moves || desktop().oracleFrame(xterm->window) == before) << "the window moved";
    }
}

} // namespace
} // namespace vx::test
#endif
