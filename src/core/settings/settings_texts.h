// Everything the settings window says and the colours it says it in, derived
// from the settings' state. Kept here so the texts are tested without a display
// and the Qt view stays a thin drawing of them.
#pragma once

#include "core/input/hotkey_binding.h"

#include <optional>
#include <string>

namespace vx {

// sRGB components 0 to 1.
struct Rgb {
    double red = 0;
    double green = 0;
    double blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace palette {
inline constexpr Rgb blueAccent{0.4, 0.56, 0.7};
inline constexpr Rgb purpleAccent{0.56, 0.46, 0.64};
inline constexpr Rgb greenAccent{0.42, 0.62, 0.52};
inline constexpr Rgb orangeAccent{0.76, 0.54, 0.42};
inline constexpr Rgb roseAccent{0.74, 0.44, 0.46};
// Opacities of the label colour for card fills and neutral borders.
inline constexpr double cardFillOpacity = 0.045;
inline constexpr double neutralStrokeOpacity = 0.075;
// Opacity of a permission tint for the card's border.
inline constexpr double tintedStrokeOpacity = 0.32;
inline constexpr double badgeFillOpacity = 0.19;
inline constexpr double recordingFillOpacity = 0.12;
inline constexpr double recordingStrokeOpacity = 0.32;
} // namespace palette

// Slider range and step of the hold delay, in seconds.
namespace holdDelayRange {
inline constexpr double minimum = 0.05;
inline constexpr double maximum = 1.0;
inline constexpr double step = 0.05;
} // namespace holdDelayRange

namespace settings_text {

// "200 ms" below a second, "1.00 s" from 999.5 ms on.
std::string holdDelay(double seconds);

// "v1.2 (7)": the build follows only when given and different from the version;
// a missing version reads as 1.0.0.
std::string version(const std::optional<std::string>& shortVersion,
                    const std::optional<std::string>& build);

// The Hotkey card's subtitle around a binding's display text.
std::string hotkeySubtitle(const std::string& bindingText);
// The hint under the recorder, which depends on whether the binding has a key.
std::string hotkeyHint(const HotkeyBinding& binding);

// Fixed texts of the window.
std::string hotkeySection();
std::string shortcutTitle();
std::string triggerDelaySection();
std::string holdDurationTitle();
std::string holdDurationSubtitle();
std::string beforeMenu();
std::string permissionsSection();
std::string windowAccessTitle();
std::string checkForUpdates();
std::string quit();
std::string startAtLogin();
std::string windowTitle();

} // namespace settings_text

// How the Permissions card looks in one trust state.
struct PermissionCardLook {
    std::string symbol;
    Rgb tint;
    std::string subtitle;
    std::string buttonTitle;
    std::string buttonSymbol;
    bool isProminent = false; // the filled call to action, not the quiet refresh

    static PermissionCardLook forTrust(bool isTrusted);
};

// How the recorder field looks while idle or recording.
struct RecorderLook {
    std::string symbol;
    std::string text;
    std::string toolTip;
    bool usesAccent = false; // rose tint, fill and border instead of the neutral ones

    // `bindingText` is shown while idle.
    static RecorderLook forState(bool isRecording, const std::string& bindingText);
    static std::string resetTitle();
    // "Reset" is offered only for a binding other than the default.
    static bool showsReset(const HotkeyBinding& binding);
};

} // namespace vx
