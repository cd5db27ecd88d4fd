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
        desktop.lock.lockHeld = trust.lock.lockHeld = [this] { return service.isAnchorLockHeld(); };
    }
    ~WindowServiceTest() override {
        EXPECT_EQ(desktop.lock.callsUnderLock + trust.lock.callsUnderLock, 0);
    }

    // An application whose focused window has an element and an id.
    std::size_t addFocusedApp(ProcessID pid, const std::string& name, WindowID id,
                              Rect frame = {100, 100, 800, 600}) {
        auto& app = desktop.addApp(pid, name);
        app.focusedWindow = desktop.addWindow(pid, frame, id);
        desktop.focusedApp = desktop.frontmost = pid;
        return *app.focusedWindow;
    }

    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    FakeScreens screens;
    AccessibilityWindowService service{desktop, trust, screens};
};

} // namespace vx::test
