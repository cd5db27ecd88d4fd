// The gesture end to end on injected events: start, aiming, release, centre
// click, the status line each of them leaves behind, and what is left once
// the controller is gone.
#include "session_harness.h"

#include <functional>
#include <map>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {
const std::string aimText = "Aim — release to snap · center to cancel";
const std::string readyText = "Ready · hold Ctrl+Alt · click center to maximize";
const std::string pleaText = "Vortaxis cannot arrange windows here: No window manager.";
const std::string lockedText = "Not arranged · the screen is locked";
const std::string keyboardText = "Not arranged · another program holds the keyboard";

// The one-letter steps the status scripts are written in.
const std::map<char, std::function<void(SessionRig&)>> steps{
    {'H', [](SessionRig& r) { r.holdBegan(); }},
    {'R', [](SessionRig& r) { r.holdEnded(); }},
    {'C', [](SessionRig& r) { r.centerTap(); }},
    {'<', [](SessionRig& r) { r.aimFromCenter(-100, 0); }},
    {'h', [](SessionRig& r) { r.menu->highlighted = LayoutSector::top; }}, // nothing aimed
    {'i', [](SessionRig& r) { r.controller->refreshIdleStatus(); }},
    {'U', [](SessionRig& r) { r.permissions.trusted = false; }},
    {'T', [](SessionRig& r) { r.permissions.trusted = true; }},
    {'N', [](SessionRig& r) { r.windows.front.reset(); }},       // no front window
    {'G', [](SessionRig& r) { r.windows.anchorValid = false; }}, // the window went away
    {'S', [](SessionRig& r) { r.screens.list.clear(); }},        // every display unplugged
    {'L', [](SessionRig& r) { r.desktopAccess.now = DesktopAccess::Blocker::screenLocked; }},
    {'P', [](SessionRig& r) { r.desktopAccess.now = DesktopAccess::Blocker::pointerHeld; }},
    {'k', // a locker grabs the keyboard; the next aim tick sees it
     [](SessionRig& r) {
         r.desktopAccess.now = DesktopAccess::Blocker::keyboardHeld;
         r.tick();
     }},
    {'F', [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::cannotSetFrame; }},
    {'I', [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::windowInvalid; }},
    {'W', [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::keptInPlace; }},
    {'m', [](SessionRig& r) { r.windows.managerName = "i3"; }},
    {'A', // trust revoked while the window moves
     [](SessionRig& r) {
         r.windows.setFrameError = WindowServiceError::accessibilityNotTrusted;
         r.windows.duringSetFrame = [&r] { r.permissions.trusted = false; };
     }},
    {'K', // a binding with a key, named through the keyboard layout
     [](SessionRig& r) {
         r.layout.texts[40] = "k";
         r.hotkeys.current = {modifier::control | modifier::option, KeyCode{40}};
     }},
};
} // namespace

TEST(SessionStatus, EveryOutcomeHasItsTextAndRetainFlag) {
    struct Case {
        const char* script;
        std::string text;
        bool retained;
        std::size_t moves;
    };
    const Case cases[] = {
        {"", readyText, false, 0},
        {"Ki", "Ready · hold Ctrl+Alt+K · click center to maximize", false, 0},
        {"Ui", "No window access", false, 0},
        {"UH", pleaText, true, 0},
        {"UHi", "No window access", false, 0},
        {"H", aimText, false, 0},
        {"HR", "Cancelled", true, 0},
        {"NH<R", "No window to move", true, 0},
        {"H<GR", "Window no longer available", true, 0},
        {"H<SR", "No screen for layout", true, 0},
        {"FH<R", "Could not move or resize the window.", true, 1},
        {"WH<R", "The window manager keeps this window in place.", true, 1},
        {"mWH<R", "i3 keeps this window in place.", true, 1},
        {"H<R", "Snapped · Left half", true, 1},
        {"HhR", "Snapped · Top half", true, 1},
        {"H<RR", "Snapped · Left half", true, 1}, // a second release reports nothing
        {"H<Ri", "Snapped · Left half", true, 1},
        {"H<RUi", "No window access", false, 1},
        {"H<RH", aimText, false, 1},
        {"AH<R", "No window access", false, 1},
        {"NHC", "No movable front window", true, 0},
        {"HGC", "Window no longer available", true, 0},
        {"HSC", "No screen for layout", true, 0},
        {"IHC", "The target window is no longer available.", true, 1},
        {"H<C", "Snapped · Full screen", true, 1},
        {"H<CRC", "Snapped · Full screen", true, 1}, // the click cancelled the hold
        {"HUC", pleaText, true, 0},                  // the menu stays open for the release
        {"HUCT<R", "Snapped · Left half", true, 1},
        // Behind a lock or another program's grab nothing begins, not even a
        // trust prompt; a lock arriving mid-gesture cancels it.
        {"LH", lockedText, true, 0},
        {"ULH", lockedText, true, 0},
        {"PH", "Not arranged · another program holds the pointer", true, 0},
        {"H<PR", "Snapped · Left half", true, 1}, // the hub's own click holds the pointer
        {"H<kR", keyboardText, true, 0},
        {"H<kC", keyboardText, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        SessionRig rig;
        for (const char step : std::string(c.script))
            steps.at(step)(rig);
        EXPECT_EQ(rig.status(), c.text);
        EXPECT_EQ(rig.retained(), c.retained);
        EXPECT_EQ(rig.windows.frames.size(), c.moves);
        // Whatever the outcome, an anchor taken is released once the gesture ends.
        const bool held = rig.active() && rig.controller->anchoredWindow().get();
        EXPECT_EQ(rig.windows.released.size() + (held ? 1u : 0u),
                  static_cast<std::size_t>(rig.windows.anchorCount));
        // Once it ends, nothing of it is left running.
        EXPECT_EQ(rig.menu->visible, rig.active());
        EXPECT_EQ(rig.scrollTap->capturing, rig.active());
        EXPECT_EQ(rig.loop.clock.activeTimerCount(), rig.active() ? 1 : 0);
        EXPECT_EQ(rig.target().has_value(), rig.active());
    }
}

TEST_F(SessionTest, HoldOpensTheMenuAtThePointerAndARepeatChangesNothing) {
    screens.pointer = {300, 200};
    holdBegan();
    EXPECT_EQ(menu->center, Point(300, 200));
    scroll(10, false);
    EXPECT_EQ(accumulated(), 0.0);
    EXPECT_TRUE(highlight->shownOn.empty()); // one display: no outline, no switching
    // Not even a lost trust interrupts the gesture already running.
    screens.pointer = {900, 600};
    permissions.trusted = false;
    holdBegan();
    EXPECT_EQ(windows.anchorCount, 1);
    EXPECT_EQ(menu->center, Point(300, 200));
    EXPECT_EQ(permissions.requestCount, 0);
}

TEST(SessionHub, ShowsTheAnchoredOwnerOrTheFrontmostApplication) {
    const std::pair<std::optional<ProcessID>, std::optional<std::string>> cases[] = {
        {777, "Editor"},
        {4242, std::nullopt},       // 4242: this program
        {std::nullopt, "Terminal"}, // no window: the frontmost
    };
    for (const auto& [owner, hub] : cases) {
        SessionRig rig;
        rig.windows.apps[4242] = TargetAppInfo{4242, "Vortaxis", std::nullopt};
        rig.windows.frontmostApp = TargetAppInfo{9, "Terminal", std::nullopt};
        rig.windows.front.reset();
        if (owner)
            rig.windows.front = AnchoredWindow{Uuid::random(), *owner};
        rig.holdBegan();
        const auto& shown = rig.menu->shownFor.at(0);
        EXPECT_EQ(shown ? std::optional(shown->name) : std::nullopt, hub) << owner.value_or(-1);
    }
}

TEST_F(SessionTest, AimFollowsThePointerOutsideTheCenterZoneAndIsNotSticky) {
    holdBegan();
    int changes = 0;
    auto watch = controller->lockedSector().observe([&](const auto&) { ++changes; });
    aimFromCenter(0, -37.9);
    EXPECT_FALSE(menu->highlighted);
    aimFromCenter(100, 0);
    EXPECT_EQ(menu->highlighted, LayoutSector::right);
    wait(1.0); // sixty steady ticks tell nobody
    EXPECT_EQ(changes, 1);
    aimFromCenter(0, 10);
    EXPECT_FALSE(controller->lockedSector().get());
}

// Callbacks the controller handed out may still be called after it is gone: a
// late timer fire, a queued scroll step, a key event in flight. They must do
// nothing (the address sanitizer catches any that do more).
TEST_F(SessionTest, EveryCallbackHandedOutIsInertOnceTheControllerIsGone) {
    holdBegan();
    const auto began = hold->onHoldBegan, ended = hold->onHoldEnded, tap = menu->onCenterTap;
    const auto scrolled = scrollTap->onScroll;
    const auto binding = hold->bindingProvider;
    ASSERT_EQ(loop.repeatingActions.size(), 1u);
    const auto tickLate = loop.repeatingActions[0];
    tickLate(); // its posted aim is still queued when the controller goes
    hotkeys.current = {modifier::command, KeyCode{49}};
    EXPECT_EQ(binding(), hotkeys.current); // read when the monitor asks
    controller.reset();
    // Destroyed mid-gesture, it leaves no anchor and no timer behind.
    EXPECT_EQ(windows.released, std::vector<AnchoredWindow>{editor});
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
    loop.clock.drain();
    tickLate();
    ended();
    tap();
    scrolled(-200, true);
    began();
    loop.clock.advance(Seconds(1));
    EXPECT_TRUE(windows.frames.empty());
    EXPECT_EQ(windows.anchorCount, 1);
    EXPECT_EQ(binding(), HotkeyBinding::defaultBinding()); // nobody left to ask
}
