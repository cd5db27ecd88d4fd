// A desktop of one 1440 x 900 display, a trusted process (pid 100) and the
// window service over the scripted fake; every test checks at its end that no
// seam was called while the anchor table was locked.
#pragma once

#include "core/window/accessibility_window_service.h"
#include "fakes/fake_screens.h"
#include "fakes/fake_window_system.h"

#include <gtest/gtest.h>

namespace vx::test {

class WindowServiceTest : public ::testing::Test {
protected:
    WindowServiceTest() {
        screens.list = {FakeScreens::make(1, {0, 0, 1440, 900})};
        const auto held = [this] { return service.isAnchorLockHeld(); };
        desktop.lock.lockHeld = held;
        trust.lock.lockHeld = held;
    }
    ~WindowServiceTest() override {
        EXPECT_EQ(desktop.lock.callsUnderLock, 0);
        EXPECT_EQ(trust.lock.callsUnderLock, 0);
    }

    // An application with one focused window that has an element and an id.
    std::size_t addFocusedApp(ProcessID pid, const std::string& name, WindowID id,
                              Rect frame = {100, 100, 800, 600}) {
        auto& app = desktop.addApp(pid, name);
        const auto index = desktop.addWindow(pid, frame, id);
        app.focusedWindow = index;
        desktop.focusedApp = pid;
        desktop.frontmost = pid;
        return index;
    }

    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    FakeScreens screens;
    AccessibilityWindowService service{desktop, trust, screens};
};

} // namespace vx::test
