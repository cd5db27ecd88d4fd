// Texts of the settings window; every one passes through the translator.
#include "core/settings/settings_texts.h"

#include "core/base/localization.h"

#include <charconv>
#include <cmath>

namespace vx {

namespace settings_text {

std::string holdDelay(double seconds) {
    if (!std::isfinite(seconds))
        seconds = holdDelayRange::minimum;
    const double ms = std::round(seconds * 1000.0); // halves away from zero
    if (ms > 999.0) {
        // to_chars ignores the C locale, which Qt sets from the environment.
        char buffer[32];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 2).ptr;
        return localized("%1 s", {std::string(buffer, end)});
    }
    return localized("%1 ms", {std::to_string(static_cast<long long>(ms))});
}

std::string version(const std::optional<std::string>& shortVersion,
                    const std::optional<std::string>& build) {
    const std::string base = shortVersion.value_or("1.0.0");
    if (build && *build != base)
        return localized("v%1 (%2)", {base, *build});
    return localized("v%1", {base});
}

std::string hotkeySubtitle(const std::string& bindingText) {
    return localized("Hold %1 for the menu · click center icon to maximize", {bindingText});
}

std::string hotkeyHint(const HotkeyBinding& binding) {
    if (binding.keyCode)
        return localized("Combo recorded. Click the field again to re-record a new shortcut.");
    std::string hint = localized("Single modifier: click the field, press the key, then release "
                                 "with no other key to record. Esc cancels.");
    // The one choice that fights the desktop's shortcuts gets said so, in a line.
    if (binding.maskedModifiers() == modifier::control)
        hint += "\n" + localized("Ctrl is also held for Ctrl+click and Ctrl+wheel");
    return hint;
}

std::string hotkeySection() {
    return localized("Hotkey");
}
std::string shortcutTitle() {
    return localized("Shortcut");
}
std::string triggerDelaySection() {
    return localized("Trigger delay");
}
std::string holdDurationTitle() {
    return localized("Hold duration");
}
std::string holdDurationSubtitle() {
    return localized("How long to hold before the menu opens.");
}
std::string beforeMenu() {
    return localized("before menu");
}
std::string permissionsSection() {
    return localized("Permissions");
}
std::string windowAccessTitle() {
    return localized("Window access");
}
std::string checkForUpdates() {
    return localized("Check for Updates");
}
std::string quit() {
    return localized("Quit");
}
std::string startAtLogin() {
    return localized("Start at login");
}
std::string windowTitle() {
    return localized("Vortaxis");
}

} // namespace settings_text

PermissionCardLook PermissionCardLook::forTrust(bool isTrusted) {
    if (isTrusted)
        return {"checkmark.shield.fill",
                palette::greenAccent,
                localized("Available — Vortaxis can move windows."),
                localized("Refresh status"),
                "arrow.clockwise",
                false};
    return {"exclamationmark.shield.fill",
            palette::orangeAccent,
            localized("Required to read and arrange the frontmost window."),
            localized("Set up window access…"),
            "lock.open",
            true};
}

RecorderLook RecorderLook::forState(bool isRecording, const std::string& bindingText) {
    if (isRecording)
        return {"record.circle", localized("Recording… (Esc cancel)"),
                localized("Press a key combo, or press/release modifiers only"), true};
    return {"keyboard", bindingText, localized("Click to record a new shortcut"), false};
}

std::string RecorderLook::resetTitle() {
    return localized("Reset");
}

bool RecorderLook::showsReset(const HotkeyBinding& binding) {
    return !(binding.modifiersRaw == HotkeyBinding::defaultBinding().modifiersRaw &&
             !binding.keyCode);
}

} // namespace vx
