// The core keyboard's keymap and state through xkbcommon: the text a key gives
// with no modifier held (for key names), and the modifier word the key source
// reports. Follows the server: a new keyboard, a changed keymap or a switched
// layout group is picked up from the XKB events as it happens.
#pragma once

#include "core/input/keyboard_layout.h"
#include "x11/connection.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace vx::x11 {

class X11KeyboardLayout final : public KeyboardLayout {
public:
    // Nothing (and the reason in `error`) when the server has no usable XKB.
    static std::unique_ptr<X11KeyboardLayout> create(Connection& connection, std::string* error);
    ~X11KeyboardLayout() override;
    X11KeyboardLayout(const X11KeyboardLayout&) = delete;
    X11KeyboardLayout& operator=(const X11KeyboardLayout&) = delete;

    std::optional<std::string> keyText(KeyCode keyCode) const override;

    // The modifier word of the server's state (shift, control, option, command,
    // caps lock), latched and locked modifiers included.
    ModifierFlags modifiers() const;
    // What holding this key alone adds to the word (Control_L: control); 0 for
    // keys that are not modifiers and for Caps Lock, whose bit is its lock.
    ModifierFlags modifiersOfKey(std::uint32_t evdevCode) const;
    // Caps Lock's bit when it is locked.
    ModifierFlags capsLockBit() const;

    // Moves the state along with a key the server reported (evdev code), ahead of
    // the server's own state notification, which comes after the raw key event.
    void updateKey(std::uint32_t evdevCode, bool down);

    // Whether the keymap gives this key a modifier's role (also a remapped Caps Lock).
    bool isModifierKey(std::uint32_t evdevCode) const;

    // Called after the state was set from the server (locks set by another
    // client, a key held when the program started, a new keymap): the new word.
    void setOnModifiersChanged(std::function<void(ModifierFlags)> callback) {
        onModifiersChanged_ = std::move(callback);
    }

    // How often the keymap was (re)loaded; for the tests of layout changes.
    int keymapGeneration() const { return generation_; }

private:
    X11KeyboardLayout(Connection& connection, std::uint8_t xkbEvent, std::int32_t device);
    bool reload();
    void handleEvent(const xcb_generic_event_t& event);

    struct ContextDeleter {
        void operator()(xkb_context* c) const;
    };
    struct KeymapDeleter {
        void operator()(xkb_keymap* k) const;
    };
    struct StateDeleter {
        void operator()(xkb_state* s) const;
    };

    Connection& connection_;
    std::uint8_t xkbEvent_;
    std::int32_t device_;
    std::unique_ptr<xkb_context, ContextDeleter> context_;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap_;
    std::unique_ptr<xkb_state, StateDeleter> state_;
    // Without modifiers, only the group: what keyText reads.
    std::unique_ptr<xkb_state, StateDeleter> plainState_;
    std::array<ModifierFlags, 256> keyModifiers_{};
    Connection::HandlerId handler_ = 0;
    std::function<void(ModifierFlags)> onModifiersChanged_;
    int generation_ = 0;
};

} // namespace vx::x11
