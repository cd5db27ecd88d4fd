// What the session controller needs of each object it works with, and nothing
// more. The real classes (permission service, window service, preferences,
// hotkey monitor, radial menu, screen outline, scroll tap) implement these; the
// tests implement them with fakes that record calls.
#pragma once

#include "core/base/geometry.h"
#include "core/base/result.h"
#include "core/input/hotkey_binding.h"
#include "core/session/layout_sector.h"
#include "core/window/screens.h"
#include "core/window/window_types.h"

#include <functional>
#include <optional>

namespace vx {

class Permissions {
public:
    virtual ~Permissions() = default;
    virtual bool isAccessibilityTrusted() const = 0;
    // Why windows cannot be arranged here, as of the last read; empty when they can.
    virtual std::string refusalReason() const = 0;
    // Re-reads the trust without asking the user.
    virtual void refresh() = 0;
    // Asks the user to grant it, and stores the answer.
    virtual void requestAccess() = 0;
};

class WindowService {
public:
    virtual ~WindowService() = default;
    virtual std::optional<AnchoredWindow> anchorFrontmostWindow() = 0;
    virtual bool isAnchorValid(const AnchoredWindow& window) = 0;
    // `frame` in desktop (y-up) coordinates.
    virtual Status<WindowServiceError> setFrame(const Rect& frame,
                                                const AnchoredWindow& window) = 0;
    virtual void releaseAnchor(const AnchoredWindow& window) = 0;
    // Who keeps windows in place when a placement is refused (see keptInPlace).
    virtual std::optional<std::string> windowManagerName() { return std::nullopt; }

    // The hub's application: the owner of `pid`, when it is a running application
    // other than this program.
    virtual std::optional<TargetAppInfo> targetAppInfo(ProcessID pid) = 0;
    // The frontmost application, unless there is none or it is this program.
    virtual std::optional<TargetAppInfo> frontmostAppInfo() = 0;
    virtual ProcessID ownProcessID() = 0;
};

class HotkeySettings {
public:
    virtual ~HotkeySettings() = default;
    virtual HotkeyBinding binding() const = 0;
    virtual double holdDelay() const = 0; // seconds
};

// Tells when the trigger has been held for the hold delay, and when it ends.
class HoldDetector {
public:
    virtual ~HoldDetector() = default;
    virtual void setBindingProvider(std::function<HotkeyBinding()> provider) = 0;
    virtual void setHoldDelayProvider(std::function<double()> provider) = 0;
    virtual void setOnHoldBegan(std::function<void()> callback) = 0;
    virtual void setOnHoldEnded(std::function<void()> callback) = 0;
    // (Re)installs the key monitoring.
    virtual void start() = 0;
    // Ends the current hold silently: its release will report nothing.
    virtual void cancelHoldSession() = 0;
};

class RadialMenu {
public:
    virtual ~RadialMenu() = default;
    virtual bool isVisible() const = 0;
    virtual Point menuCenter() const = 0;
    // Centres the menu on `at` (desktop coordinates) for `targetApp`, reset.
    virtual void show(Point at, const std::optional<TargetAppInfo>& targetApp) = 0;
    virtual void updateHubLook(Point pointer) = 0;
    virtual void setHighlightedSector(std::optional<LayoutSector> sector) = 0;
    virtual void hide() = 0;
    virtual std::optional<LayoutSector> highlightedSector() const = 0;
    virtual void setOnCenterTap(std::function<void()> callback) = 0;
};

// The outline around the target display.
class ScreenHighlight {
public:
    virtual ~ScreenHighlight() = default;
    virtual void show(const Screen& screen) = 0;
    virtual void hide() = 0;
    virtual std::optional<DisplayID> activeDisplayID() const = 0;
};

// Whether the desktop is the user's to arrange now: not behind a lock screen or
// a screen saver, and not held by another program's grab (a locker, an open
// popup menu, a drag). Asked without any effect the user could see.
class DesktopAccess {
public:
    enum class Blocker { none, screenLocked, keyboardHeld, pointerHeld };
    virtual ~DesktopAccess() = default;
    // `withPointer`: whether a pointer grab counts. Not during a gesture: a
    // click on the menu's hub holds the pointer for the menu itself.
    virtual Blocker blocker(bool withPointer) = 0;
};

// System-wide scroll capture for the length of a gesture.
class ScrollCapture {
public:
    virtual ~ScrollCapture() = default;
    // (delta, isPrecise); arrives on the main thread, possibly after stop().
    virtual void setOnScroll(std::function<void(double, bool)> callback) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace vx
