// A session controller wired to recording fakes, a fake desktop and a virtual
// clock, with the gesture's events injected the way the real collaborators
// deliver them (through the callbacks the controller handed out).
#pragma once

#include "core/base/virtual_run_loop.h"
#include "core/session/vortax_session_controller.h"
#include "fakes/fake_collaborators.h"
#include "fakes/fake_screens.h"

#include <gtest/gtest.h>
#include <memory>

namespace vx::test {

// Desktops the tests run on. Ids are distinct from positions on purpose, and
// the platform lists the displays in an order other than left to right.
struct Desktops {
    // 1440 x 900 with a 25-point dock along the bottom.
    static Screen laptop() { return Screen{20, {0, 0, 1440, 900}, {0, 25, 1440, 875}}; }
    static Screen rightMonitor() { return FakeScreens::make(30, {1440, 0, 1920, 1080}, 30); }
    static Screen leftMonitor() { return FakeScreens::make(10, {-1280, 0, 1280, 1024}); }

    static std::vector<Screen> one() { return {laptop()}; }
    static std::vector<Screen> two() { return {laptop(), rightMonitor()}; }
    // Left to right: 10, 20, 30.
    static std::vector<Screen> three() { return {laptop(), rightMonitor(), leftMonitor()}; }
};

// The virtual clock, keeping a copy of every repeating timer's action so a test
// can fire one late, as a real run loop may after the timer's owner is gone.
class RecordingRunLoop final : public RunLoop {
public:
    VirtualRunLoop clock;
    std::vector<std::function<void()>> repeatingActions;

    void post(std::function<void()> task) override { clock.post(std::move(task)); }
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override {
        return clock.scheduleOnce(interval, std::move(action));
    }
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override {
        repeatingActions.push_back(action);
        return clock.scheduleRepeating(interval, std::move(action));
    }
    TimePoint now() const override { return clock.now(); }
};

class SessionRig {
public:
    FakePermissions permissions;
    FakeWindowService windows;
    FakeHotkeySettings hotkeys;
    FakeScreens screens;
    FakeKeyboardLayout layout;
    RecordingRunLoop loop;

    FakeHoldDetector* hold = nullptr;
    FakeRadialMenu* menu = nullptr;
    FakeScreenHighlight* highlight = nullptr;
    FakeScrollCapture* scrollTap = nullptr;
    std::unique_ptr<VortaxSessionController> controller;

    const AnchoredWindow editor{Uuid::random(), 777};

    // One display, the pointer in its middle, an editor window in front.
    explicit SessionRig(bool started = true) {
        screens.list = Desktops::one();
        screens.pointer = {700, 450};
        windows.front = editor;
        windows.apps[777] = TargetAppInfo{777, "Editor", std::nullopt};
        makeController(started);
    }

    void makeController(bool started = true) {
        auto holdDetector = std::make_unique<FakeHoldDetector>();
        auto radialMenu = std::make_unique<FakeRadialMenu>();
        auto outline = std::make_unique<FakeScreenHighlight>();
        auto tap = std::make_unique<FakeScrollCapture>();
        hold = holdDetector.get();
        menu = radialMenu.get();
        highlight = outline.get();
        scrollTap = tap.get();
        controller = std::make_unique<VortaxSessionController>(SessionDependencies{
            permissions, windows, hotkeys, screens, layout, loop, std::move(holdDetector),
            std::move(radialMenu), std::move(outline), std::move(tap)});
        if (started)
            controller->start();
    }

    // The gesture, as the monitor, the menu and the scroll tap report it.
    void holdBegan() { hold->onHoldBegan(); }
    void holdEnded() { hold->onHoldEnded(); }
    void centerTap() { menu->onCenterTap(); }
    void scroll(double delta, bool isPrecise) {
        if (scrollTap->onScroll)
            scrollTap->onScroll(delta, isPrecise);
    }
    void tick() { loop.clock.advance(VortaxSessionController::aimInterval); }
    void aimFromCenter(double dx, double dy) {
        screens.pointer = {menu->center.x + dx, menu->center.y + dy};
        tick();
    }
    void wait(double seconds) { loop.clock.advance(Seconds(seconds)); }

    const std::string& status() const { return controller->statusMessage().get(); }
    bool retained() const { return controller->retainStatusMessage().get(); }
    std::optional<DisplayID> target() const { return controller->targetDisplayID().get(); }
    double accumulated() const { return controller->scrollAccumulated().get(); }
};

class SessionTest : public ::testing::Test, public SessionRig {};

} // namespace vx::test
