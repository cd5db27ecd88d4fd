// The session controller on recording fakes and a virtual clock: the status
// each gesture leaves behind, and which display the wheel steps the gesture to.
#include "core/session/vortax_session_controller.h"
#include "fakes/fake_collaborators.h"
#include "fakes/fake_screens.h"
#include "fakes/spy_run_loop.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {

// Ids differ from positions on purpose.
const Screen laptop{20, {0, 0, 1440, 900}, {0, 25, 1440, 875}};
const Screen leftMonitor = FakeScreens::make(10, {-1280, 0, 1280, 1024});

// Makes a fake the controller will own, and keeps its address for the test.
template <class Fake> std::unique_ptr<Fake> owned(Fake*& address) {
    auto fake = std::make_unique<Fake>();
    address = fake.get();
    return fake;
}

// One display, the pointer in its middle, an editor window in front.
class SessionRig {
public:
    FakePermissions permissions;
    FakeWindowService windows;
    FakeHotkeySettings hotkeys;
    FakeScreens screens;
    FakeKeyboardLayout layout;
    SpyRunLoop loop;
    FakeDesktopAccess desktopAccess;
    FakeHoldDetector* hold = nullptr;
    FakeRadialMenu* menu = nullptr;
    FakeScreenHighlight* highlight = nullptr;
    FakeScrollCapture* scrollTap = nullptr;
    std::unique_ptr<VortaxSessionController> controller;
    const AnchoredWindow editor{Uuid::random(), 777};

    SessionRig() {
        screens.list = {laptop};
        screens.pointer = {700, 450};
        windows.front = editor;
        controller = std::make_unique<VortaxSessionController>(
            SessionDependencies{permissions, windows, hotkeys, screens, layout, loop, desktopAccess,
                                owned(hold), owned(menu), owned(highlight), owned(scrollTap)});
        controller->start();
    }

    void holdBegan() { hold->onHoldBegan(); }
    void tick() { loop.clock.advance(VortaxSessionController::aimInterval); }
    void aimFromCenter(double dx, double dy) {
        screens.pointer = {menu->center.x + dx, menu->center.y + dy};
        tick();
    }

    bool active() const { return controller->isSessionActive().get(); }
    const std::string& status() const { return controller->statusMessage().get(); }
    bool retained() const { return controller->retainStatusMessage().get(); }
    std::optional<DisplayID> target() const { return controller->targetDisplayID().get(); }
};

class SessionTest : public ::testing::Test, public SessionRig {};

std::string screenText(DisplayID position, int count) {
    return "Screen " + std::to_string(position) + "/" + std::to_string(count) +
           " · scroll to switch · aim to snap";
}

using ThreeDisplays = SessionTest;

const std::string aimText = "Aim — release to snap · center to cancel";
const std::string readyText = "Ready · hold Ctrl+Alt · click center to maximize";
const std::string pleaText = "Vortaxis cannot arrange windows here: No window manager.";
const std::string lockedText = "Not arranged · the screen is locked";

// The one-letter steps the status scripts are written in.
using Blocker = DesktopAccess::Blocker;
const std::map<char, std::function<void(SessionRig&)>> steps{
    {'H', [](SessionRig& r) { r.holdBegan(); }},
    {'R', [](SessionRig& r) { r.hold->onHoldEnded(); }},
    {'C', [](SessionRig& r) { r.menu->onCenterTap(); }},
    {'<', [](SessionRig& r) { r.aimFromCenter(-100, 0); }},
    {'h', [](SessionRig& r) { r.menu->highlighted = LayoutSector::top; }}, // nothing aimed
    {'i', [](SessionRig& r) { r.controller->refreshIdleStatus(); }},
    {'U', [](SessionRig& r) { r.permissions.trusted = false; }}, // no window manager
    {'T', [](SessionRig& r) { r.permissions.trusted = true; }},
    {'N', [](SessionRig& r) { r.windows.front.reset(); }},       // no front window
    {'G', [](SessionRig& r) { r.windows.anchorValid = false; }}, // the window went away
    {'S', [](SessionRig& r) { r.screens.list.clear(); }},        // every display unplugged
    {'L', [](SessionRig& r) { r.desktopAccess.now = Blocker::screenLocked; }},
    {'P', [](SessionRig& r) { r.desktopAccess.now = Blocker::pointerHeld; }},
    {'k', [](SessionRig& r) { r.desktopAccess.now = Blocker::keyboardHeld, r.tick(); }}, // a locker
    {'F', [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::cannotSetFrame; }},
    {'W', [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::keptInPlace; }},
};
} // namespace

TEST(SessionStatus, EveryOutcomeHasItsTextAndRetainFlag) {
    // clang-format off
    const std::tuple<const char*, std::string, bool, std::size_t> cases[] = {
        {"", readyText, false, 0},                 {"Ui", "No window access", false, 0},
        {"UH", pleaText, true, 0},                 {"H", aimText, false, 0},
        {"HR", "Cancelled", true, 0},              {"NH<R", "No window to move", true, 0},
        {"H<GR", "Window no longer available", true, 0},
        {"H<SR", "No screen for layout", true, 0}, {"NHC", "No movable front window", true, 0},
        {"FH<R", "Could not move or resize the window.", true, 1},
        {"WH<R", "The window manager keeps this window in place.", true, 1},
        {"H<R", "Snapped · Left half", true, 1},   {"HhR", "Snapped · Top half", true, 1},
        {"H<RR", "Snapped · Left half", true, 1},  // a second release reports nothing
        {"H<Ri", "Snapped · Left half", true, 1},  {"H<RUi", "No window access", false, 1},
        {"H<UHR", "No window access", false, 1},   // a repeat changes nothing, the snap is done
        {"H<C", "Snapped · Full screen", true, 1},
        {"H<CRC", "Snapped · Full screen", true, 1}, // the click cancelled the hold
        {"HUC", pleaText, true, 0},                // the menu stays open for the release
        {"HUCT<R", "Snapped · Left half", true, 1},
        // Behind a lock or another program's grab nothing begins, not even a
        // trust prompt; a lock arriving mid-gesture cancels it. The hub's own
        // click holds the pointer.
        {"LH", lockedText, true, 0},               {"ULH", lockedText, true, 0},
        {"PH", "Not arranged · another program holds the pointer", true, 0},
        {"H<PR", "Snapped · Left half", true, 1},
        {"H<kR", "Not arranged · another program holds the keyboard", true, 0},
    };
    // clang-format on
    for (const auto& [script, text, retained, moves] : cases) {
        SCOPED_TRACE(script);
        SessionRig rig;
        for (const char step : std::string(script))
            steps.at(step)(rig);
        EXPECT_EQ(rig.status(), text);
        EXPECT_EQ(rig.retained(), retained);
        EXPECT_EQ(rig.windows.frames.size(), moves);
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

// Three displays side by side (ids 10, 20, 30 from left to right, listed in
// another order), the gesture begun on the middle one.
TEST_F(ThreeDisplays, WheelSwitchesAtItsThresholdsWithDeadZoneReversalCooldownAndWrap) {
    screens.list = {laptop, FakeScreens::make(30, {1440, 0, 1920, 1080}), leftMonitor};
    holdBegan();
    // Seconds waited before, the delta and whether precise, the target after, the sum after.
    const std::tuple<double, double, bool, DisplayID, double> steps[] = {
        {0, 50, true, 20, 50},    {0, 40, true, 10, 0},     // 90 points: one to the left
        {0.44, 200, true, 10, 0}, {0.01, 95, true, 30, 0},  // cooled down after 0.45 s; wraps
        {0.45, 0.5, true, 30, 0}, {0, -0.5, true, 30, 0},   // too small to count
        {0, 0.6, true, 30, 0.6},  {0, 59.4, true, 30, 60},  //
        {0, -10, false, 30, -10}, {0, 0.3, false, 30, -10}, // a reversal starts over
        {0, NAN, false, 30, -10}, {0, INFINITY, false, 30, -10},
        {0, -10, false, 30, -20}, {0, -4, false, 10, 0}, // 24 in lines: right, wraps
    };
    for (const auto& [waitBefore, delta, precise, after, sumAfter] : steps) {
        loop.clock.advance(Seconds(waitBefore));
        scrollTap->onScroll(delta, precise);
        SCOPED_TRACE(testing::Message() << "after " << delta);
        EXPECT_DOUBLE_EQ(controller->scrollAccumulated().get(), sumAfter);
        EXPECT_EQ(target(), after);
        EXPECT_EQ(highlight->active, after);
        EXPECT_EQ(status(), screenText(after / 10, 3));
        EXPECT_FALSE(retained());
    }
}

// At quit a timer's posted aim may still be queued when the controller goes:
// it must do nothing (the address sanitizer catches any that does more).
TEST_F(SessionTest, AnAimQueuedWhenTheControllerGoesIsInert) {
    std::vector<std::function<void()>> queued;
    holdBegan();
    loop.held = &queued;
    aimFromCenter(-100, 0);
    ASSERT_FALSE(queued.empty());
    controller.reset();
    EXPECT_EQ(windows.released, std::vector<AnchoredWindow>{editor}); // no anchor left behind
    for (auto& task : queued)
        task();
    EXPECT_TRUE(windows.frames.empty());
}

TEST_F(SessionTest, TwoStackedDisplaysAreOrderedLowerFirstAndAPlugInJoinsTheOrder) {
    screens.list = {FakeScreens::make(6, {0, 900, 1440, 900}),
                    FakeScreens::make(5, {0, 0, 1440, 900})};
    screens.pointer = {700, 1300};
    holdBegan();
    EXPECT_EQ(status(), screenText(2, 2));
    screens.list.push_back(leftMonitor);
    scrollTap->onScroll(-30, false);
    EXPECT_EQ(target(), DisplayID{10}); // from the last of three, wrapped to the first
    EXPECT_EQ(status(), screenText(1, 3));
    aimFromCenter(0, 100);
    hold->onHoldEnded();
    EXPECT_EQ(windows.frames, std::vector<Rect>{Rect(-1280, 512, 1280, 512)});
}
