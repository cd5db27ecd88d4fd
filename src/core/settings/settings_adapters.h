// The settings window's view of the real permission service and hotkey
// preferences.
#pragma once

#include "core/input/hotkey_preferences.h"
#include "core/settings/settings_seams.h"
#include "core/window/permission_service.h"

namespace vx {

class PermissionServiceSettings final : public SettingsPermissions {
public:
    explicit PermissionServiceSettings(PermissionService& service) : service_(service) {}
    bool isAccessibilityTrusted() const override { return service_.isAccessibilityTrusted(); }
    Subscription observeTrust(std::function<void(bool)> observer) override {
        return service_.observeAccessibilityTrusted(std::move(observer));
    }
    void refresh() override { service_.refresh(); }
    void requestAccess() override { service_.requestAccess(); }
    void openAccessibilitySettings() override { service_.openAccessibilitySettings(); }

private:
    PermissionService& service_;
};

class HotkeyPreferencesSettings final : public SettingsHotkeys {
public:
    explicit HotkeyPreferencesSettings(HotkeyPreferences& preferences) : preferences_(preferences) {}
    HotkeyBinding binding() const override { return preferences_.binding(); }
    void setBinding(const HotkeyBinding& binding) override { preferences_.setBinding(binding); }
    Subscription observeBinding(std::function<void(const HotkeyBinding&)> observer) override {
        return preferences_.observeBinding(std::move(observer));
    }
    double holdDelay() const override { return preferences_.holdDelay(); }
    void setHoldDelay(double seconds) override { preferences_.setHoldDelay(seconds); }
    Subscription observeHoldDelay(std::function<void(double)> observer) override {
        return preferences_.observeHoldDelay(std::move(observer));
    }

private:
    HotkeyPreferences& preferences_;
};

} // namespace vx
