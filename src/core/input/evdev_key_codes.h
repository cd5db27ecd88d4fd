// The bridge between the keys Linux reports (evdev codes; the key code of X11
// and of a Wayland keymap is the evdev code + 8) and the virtual key numbering
// bindings are stored in, and XKB's modifier state as the modifier word of
// that numbering. Both desktops' key sources share it.
#pragma once

#include "core/input/key_source.h"

#include <cstdint>
#include <optional>

namespace vx {

// Evdev codes past this are not keyboard keys the table knows.
inline constexpr std::uint32_t maxEvdevCode = 0x2ff;

// The virtual key code for an evdev code: the counterpart where the numbering
// has one, else 256 + the evdev code (so every key can still be recorded).
KeyCode virtualKeyCode(std::uint32_t evdevCode);

// The evdev code for a virtual key code, or nothing when no key gives it.
std::optional<std::uint32_t> evdevCode(KeyCode virtualKey);

// Keys whose press and release change the modifier word (shift, control, alt,
// super, caps lock, fn on both sides); they report flags-changed, not key-down.
bool isModifierKey(std::uint32_t evdevCode);

// XKB effective modifier mask (Shift 1, Lock 2, Control 4, Mod1 8 ... Mod4 64)
// to the modifier word: Mod1 is option (Alt), Mod4 command (Super).
ModifierFlags modifierFlags(std::uint32_t xkbModifierMask);

} // namespace vx
