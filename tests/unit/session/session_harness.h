// A session controller wired to recording fakes, a fake desktop and a virtual
// clock, with the gesture's events injected through the callbacks the
// controller handed out, as the real collaborators deliver them.
#pragma once

#include "core/session/vortax_session_controller.h"
#include "fakes/fake_collaborators.h"
#include "fakes/fake_screens.h"
#include "fakes/spy_run_loop.h"

#include <gtest/gtest.h>
#include <memory>

namespace vx::test {

// Ids differ from positions on purpose, and the platform lists the displays in
// an order other than left to right. The laptop has a 25-point dock at the bottom.
inline Screen laptop() {
    return Screen{20, {0, 0, 1440, 900}, {0, 25, 1440, 875}};
}
inline Screen rightMonitor() {
    return FakeScreens::make(30, {1440, 0, 1920, 1080}, 30);
}
inline Screen leftMonitor() {
    return FakeScreens::make(10, {-1280, 0, 1280, 1024});
}
// Left to right: 10, 20, 30.
inline std::vector<Screen> threeDisplays() {
    return {laptop(), rightMonitor(), leftMonitor()};
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
        screens.list = {laptop()};
        screens.pointer = {700, 450};
        windows.front = editor;
        windows.apps[777] = TargetAppInfo{777, "Editor", std::nullopt};
        auto h = std::make_unique<FakeHoldDetector>();
        auto m = std::make_unique<FakeRadialMenu>();
        auto o = std::make_unique<FakeScreenHighlight>();
        auto s = std::make_unique<FakeScrollCapture>();
        hold = h.get(), menu = m.get(), highlight = o.get(), scrollTap = s.get();
        controller = std::make_unique<VortaxSessionController>(
            SessionDependencies{permissions, windows, hotkeys, screens, layout, loop, desktopAccess,
                                std::move(h), std::move(m), std::move(o), std::move(s)});
        controller->start();
    }

    void holdBegan() { hold->onHoldBegan(); }
    void holdEnded() { hold->onHoldEnded(); }
    void centerTap() { menu->onCenterTap(); }
    void scroll(double delta, bool isPrecise) { scrollTap->onScroll(delta, isPrecise); }
    void tick() { loop.clock.advance(VortaxSessionController::aimInterval); }
    void aimFromCenter(double dx, double dy) {
        screens.pointer = {menu->center.x + dx, menu->center.y + dy};
        tick();
    }
    void wait(double seconds) { loop.clock.advance(Seconds(seconds)); }

    bool active() const { return controller->isSessionActive().get(); }
    const std::string& status() const { return controller->statusMessage().get(); }
    bool retained() const { return controller->retainStatusMessage().get(); }
    std::optional<DisplayID> target() const { return controller->targetDisplayID().get(); }
    double accumulated() const { return controller->scrollAccumulated().get(); }
};

class SessionTest : public ::testing::Test, public SessionRig {};

} // namespace vx::test
