// The gesture from hold to snap: opens the radial menu at the pointer when the
// trigger has been held, follows the pointer at 60 Hz, lets the scroll wheel
// pick the target display, and on release or centre click places the window
// that was in front when the gesture began. Every outcome is a status line.
// Nothing begins, and a running gesture ends, while a lock screen or another
// program's grab has the desktop.
#pragma once

#include "core/base/lifetime.h"
#include "core/base/observable.h"
#include "core/base/run_loop.h"
#include "core/input/keyboard_layout.h"
#include "core/session/collaborators.h"
#include "core/session/layout_sector.h"
#include "core/window/screens.h"
#include "core/window/window_types.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx {

// What the controller works with. Shared services outlive the controller; the
// monitor, the menu, the outline and the scroll tap become the controller's own.
struct SessionDependencies {
    Permissions& permissions;
    WindowService& windowService;
    HotkeySettings& hotkeys;
    const Screens& screens;
    const KeyboardLayout& layout;
    RunLoop& runLoop;
    DesktopAccess& desktopAccess;
    std::unique_ptr<HoldDetector> hotkey;
    std::unique_ptr<RadialMenu> menu;
    std::unique_ptr<ScreenHighlight> screenHighlight;
    std::unique_ptr<ScrollCapture> scrollTap;
};

class VortaxSessionController {
public:
    static constexpr double scrollSwitchThresholdPrecise = 90.0; // points
    static constexpr double scrollSwitchThresholdLines = 24.0;   // ten per line
    static constexpr Seconds scrollSwitchCooldown{0.45};
    static constexpr Seconds aimInterval{1.0 / 60.0};

    // Starts nothing: call start() once the owner is ready for events.
    explicit VortaxSessionController(SessionDependencies dependencies);
    ~VortaxSessionController();
    VortaxSessionController(const VortaxSessionController&) = delete;
    VortaxSessionController& operator=(const VortaxSessionController&) = delete;

    // Wires the monitor and the menu to this controller and starts listening.
    void start();

    // The gesture's events.
    void handleHoldBegan();
    void handleHoldEnded();
    void handleCenterTap();
    void updateAim();
    // `delta` in points when `isPrecise`, else ten per wheel line.
    void handleScroll(double delta, bool isPrecise);
    void refreshIdleStatus();

    // The display the layout goes to: the target, else the one under the
    // pointer, else the main one.
    std::optional<Screen> resolveTargetScreen() const;
    // Where the target stands in `ordered` (left to right).
    std::size_t currentDisplayIndex(const std::vector<Screen>& ordered) const;
    // Moves the target through the displays, wrapping at either end.
    void switchDisplay(int step);
    std::string aimStatusText() const;
    // (Re)starts the aim ticks; there is never more than one aim timer.
    void startMouseTimer();
    bool hasMouseTimer() const { return mouseTimer_ != nullptr; }
    // The application shown in the menu's hub.
    std::optional<TargetAppInfo> targetAppInfo() const;

    const Observable<bool>& isSessionActive() const { return isSessionActive_; }
    const Observable<std::optional<AnchoredWindow>>& anchoredWindow() const {
        return anchoredWindow_;
    }
    const Observable<std::optional<LayoutSector>>& lockedSector() const { return lockedSector_; }
    const Observable<std::optional<DisplayID>>& targetDisplayID() const { return targetDisplayID_; }
    const Observable<double>& scrollAccumulated() const { return scrollAccumulated_; }
    const Observable<TimePoint>& scrollSwitchReadyAt() const { return scrollSwitchReadyAt_; }
    const Observable<std::string>& statusMessage() const { return statusMessage_; }
    const Observable<bool>& retainStatusMessage() const { return retainStatusMessage_; }

private:
    void setStatus(std::string text, bool retain);
    void finishSession(const std::optional<AnchoredWindow>& window);
    void stopScrollCapture();
    void stopMouseTimer();
    // Hides the overlays and stops the ticks and the scroll capture.
    void tearDownSession();
    // Refreshes trust; when it is missing, says so (retained) and asks for it.
    bool ensureTrusted();
    std::string bindingText() const;
    // Says why the desktop is not ours to arrange; false when nothing blocks.
    bool reportBlocked(DesktopAccess::Blocker blocker);
    static std::string refusalText(const std::string& reason);
    // Places the window and reports the outcome; `success` is the status on success.
    void commit(const Rect& frame, const AnchoredWindow& window, std::string success);

    Permissions& permissions_;
    WindowService& windowService_;
    HotkeySettings& hotkeys_;
    const Screens& screens_;
    const KeyboardLayout& layout_;
    RunLoop& runLoop_;
    DesktopAccess& desktopAccess_;

    std::unique_ptr<HoldDetector> hotkey_;
    std::unique_ptr<RadialMenu> menu_;
    std::unique_ptr<ScreenHighlight> screenHighlight_;
    std::unique_ptr<ScrollCapture> scrollTap_;
    std::unique_ptr<Timer> mouseTimer_;

    Observable<std::optional<AnchoredWindow>> anchoredWindow_;
    Observable<bool> isSessionActive_{false};
    Observable<std::optional<LayoutSector>> lockedSector_;
    Observable<std::optional<DisplayID>> targetDisplayID_;
    Observable<double> scrollAccumulated_{0.0};
    Observable<TimePoint> scrollSwitchReadyAt_{distantPast()};
    Observable<std::string> statusMessage_;
    Observable<bool> retainStatusMessage_{false};

    // Last member, so it dies first: callbacks held by the collaborators above
    // are already inert while those collaborators are torn down.
    Lifetime lifetime_;
};

} // namespace vx
