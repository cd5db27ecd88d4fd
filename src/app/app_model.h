// The root of the program's objects: creates every long-lived service once, in
// the order they depend on each other, hands the shared ones to the session
// controller and starts it. From then on the program only reacts to the
// trigger and to the settings window.
#pragma once

#include "app/desktop_seams.h"
#include "core/base/defaults_store.h"
#include "core/base/run_loop.h"
#include "core/input/hotkey_preferences.h"
#include "core/session/vortax_session_controller.h"
#include "core/settings/app_update_service.h"
#include "core/window/accessibility_window_service.h"
#include "core/window/permission_service.h"

#include <functional>
#include <memory>

namespace vx {

// What the platform gives the model; all of it outlives the model.
struct AppPlatform {
    RunLoop& runLoop;
    DesktopSeams desktop;
    DefaultsStore& defaults;
    HttpFetcher& fetcher;
    std::function<std::unique_ptr<RadialMenu>()> makeMenu;
    std::function<std::unique_ptr<ScreenHighlight>()> makeScreenHighlight;
};

class AppModel {
public:
    explicit AppModel(const AppPlatform& platform);
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    PermissionService& permissions() { return permissions_; }
    HotkeyPreferences& hotkeys() { return hotkeys_; }
    AppUpdateService& updates() { return updates_; }
    AccessibilityWindowService& windowService() { return windowService_; }
    VortaxSessionController& session() { return *session_; }

private:
    // Declared in creation order; the session goes first at teardown, while the
    // services it shares still exist.
    PermissionService permissions_;
    HotkeyPreferences hotkeys_;
    AppUpdateService updates_;
    AccessibilityWindowService windowService_;
    std::unique_ptr<VortaxSessionController> session_;
};

} // namespace vx
