// Creation order: permission, preferences, updates, window service, session;
// then the session starts (it installs the key monitoring and reads the trust
// once). Nothing else runs until the trigger is held.
#include "app_model.h"

#include "core/input/hotkey_monitor.h"
#include "core/input/scroll_wheel_event_tap.h"

namespace vx {

namespace {

std::unique_ptr<VortaxSessionController> makeSession(const AppPlatform& platform,
                                                     PermissionService& permissions,
                                                     AccessibilityWindowService& windowService,
                                                     HotkeyPreferences& hotkeys) {
    return std::make_unique<VortaxSessionController>(SessionDependencies{
        permissions, windowService, hotkeys, platform.desktop.screens, platform.desktop.layout,
        platform.runLoop, platform.desktop.desktopAccess,
        std::make_unique<HotkeyMonitor>(platform.desktop.keys, platform.runLoop),
        platform.makeMenu(), platform.makeScreenHighlight(),
        std::make_unique<ScrollWheelEventTap>(platform.desktop.scroll, platform.runLoop)});
}

} // namespace

AppModel::AppModel(const AppPlatform& platform)
    : permissions_(platform.desktop.trust), hotkeys_(platform.defaults),
      updates_(platform.runLoop, platform.fetcher, platform.defaults, VORTAXIS_VERSION,
               VORTAXIS_UPDATE_FEED_URL),
      windowService_(platform.desktop.windowSystem, platform.desktop.trust,
                     platform.desktop.screens),
      session_(makeSession(platform, permissions_, windowService_, hotkeys_)) {
    session_->start();
}

} // namespace vx
