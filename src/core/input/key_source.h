// The KeySource seam: every key event of the session, system-wide, on the main
// thread, and every pointer button press (wheel steps included), since a key or
// a click with the trigger held means the trigger was a shortcut's modifier.
// Input is observed, never consumed: the focused application still receives
// each of it. X11 listens to XInput2 raw events; tests inject.
#pragma once

#include "core/base/observable.h"

#include <cstdint>
#include <functional>

namespace vx {

// The program's virtual key numbering (Space 49, Return 36, Escape 53, F5 96 ...);
// keys without a counterpart are 256 + their evdev code.
using KeyCode = std::uint16_t;

// Modifier word: shift 0x20000, control 0x40000, option 0x80000, command 0x100000,
// caps lock 0x10000.
using ModifierFlags = std::uint64_t;

namespace modifier {
inline constexpr ModifierFlags capsLock = 0x10000;
inline constexpr ModifierFlags shift = 0x20000;
inline constexpr ModifierFlags control = 0x40000;
inline constexpr ModifierFlags option = 0x80000;
inline constexpr ModifierFlags command = 0x100000;
} // namespace modifier

struct KeyEvent {
    // pointerPress: a button or a wheel step on any pointing device.
    enum class Type { keyDown, keyUp, flagsChanged, pointerPress };
    Type type = Type::keyDown;
    KeyCode keyCode = 0;
    // The word after the event, of the modifiers physically down (never the
    // latched or locked ones), Caps Lock's lock apart.
    ModifierFlags modifiers = 0;
    bool isRepeat = false; // key-down only
};

class KeySource {
public:
    virtual ~KeySource() = default;
    // Delivers every event to `handler` until the subscription ends.
    [[nodiscard]] virtual Subscription subscribe(std::function<void(const KeyEvent&)> handler) = 0;
    // Told when a trigger starts or stops being recorded: a source that holds
    // the trigger as a global shortcut must let its keys through meanwhile.
    virtual void setRecording(bool) {}
};

} // namespace vx
