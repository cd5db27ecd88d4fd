// What the settings window needs of the permission service and the hotkey
// preferences, and nothing more. The program adapts the real services to these;
// the tests implement them directly.
#pragma once

#include "core/base/observable.h"
#include "core/settings/hotkey_recorder.h"

#include <functional>

namespace vx {

class SettingsPermissions {
public:
    virtual ~SettingsPermissions() = default;
    virtual bool isAccessibilityTrusted() const = 0;
    [[nodiscard]] virtual Subscription observeTrust(std::function<void(bool)> observer) = 0;
    // Re-reads the trust without asking.
    virtual void refresh() = 0;
    // Asks the user to grant it.
    virtual void requestAccess() = 0;
    // Opens the place where the grant is made.
    virtual void openAccessibilitySettings() = 0;
};

class SettingsHotkeys : public BindingTarget {
public:
    [[nodiscard]] virtual Subscription
    observeBinding(std::function<void(const HotkeyBinding&)> observer) = 0;
    virtual double holdDelay() const = 0;
    // The preferences clamp the value and store it.
    virtual void setHoldDelay(double seconds) = 0;
    [[nodiscard]] virtual Subscription observeHoldDelay(std::function<void(double)> observer) = 0;
};

} // namespace vx
