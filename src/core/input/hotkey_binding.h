// The trigger: a lone set of modifiers (Control and Alt by default) or a key
// with exactly some modifiers. Stored as JSON, shown as "Ctrl+Alt+Space".
#pragma once

#include "core/input/key_source.h"
#include "core/input/keyboard_layout.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace vx {

// The only modifier bits that ever count: shift, control, option, command.
inline constexpr ModifierFlags bindingModifierMask = 0x1E0000;

struct HotkeyBinding {
    ModifierFlags modifiersRaw = 0;
    std::optional<KeyCode> keyCode;

    // Control and Alt together, alone: no everyday input holds both without a
    // key, while Control alone is held for every Ctrl+click and Ctrl+wheel.
    static HotkeyBinding defaultBinding() {
        return {modifier::control | modifier::option, std::nullopt};
    }

    ModifierFlags maskedModifiers() const { return modifiersRaw & bindingModifierMask; }
    // A binding that can trigger: a key, or at least one of the four modifiers.
    bool isUsable() const { return keyCode.has_value() || maskedModifiers() != 0; }

    // Modifier names in the fixed order Ctrl, Alt, Shift, Super, then the key's
    // name from the layout, the fixed table, or "Key" + number, joined with "+";
    // "?" when empty.
    std::string displayString(const KeyboardLayout* layout) const;

    // Exact on all 64 bits: two bindings differing only in Caps Lock are not equal.
    friend bool operator==(const HotkeyBinding&, const HotkeyBinding&) = default;
};

// Key codes of the modifier keys themselves (Caps Lock is not one of them).
const std::set<KeyCode>& modifierKeyCodes();

// "Ctrl+Alt+Shift+Super" for the masked bits, in that order, as Linux
// desktops and their applications write shortcuts.
std::string modifierNames(ModifierFlags modifiers);

// The name a keyboard layout's text gives a key: trimmed, a single letter
// upper-cased; absent when nothing printable is left.
std::optional<std::string> layoutKeyName(const KeyboardLayout* layout, KeyCode keyCode);

// The same rules on a text the layout gave: Unicode white space trimmed from
// both ends, one alphabetic character upper-cased, control characters refused.
std::optional<std::string> keyNameFromLayoutText(std::string_view text);

// The fixed name table for key codes 0 to 126; absent for empty slots.
std::optional<std::string_view> fixedKeyName(KeyCode keyCode);

// JSON form: {"modifiersRaw": N, "keyCode": K}; keyCode only when present.
std::string encodeJSON(const HotkeyBinding& binding);
// Absent when the text is not such an object, "modifiersRaw" is missing, or a
// value has the wrong type or range.
std::optional<HotkeyBinding> decodeJSON(std::string_view json);

} // namespace vx
