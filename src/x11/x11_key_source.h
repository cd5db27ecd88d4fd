// Every key and pointer button of the session, observed and never taken:
// XInput2 raw events on the root reach us whichever window has the focus, and
// the focused application still gets each of them. Key codes come out in the
// binding numbering, modifier keys as flags-changed events, a press of a key
// already down is a repeat, and a button or wheel step is a pointer press. The
// modifier word is what is physically held, on any keyboard: Sticky Keys'
// latches and locks are not a held key.
#pragma once

#include "core/input/key_source.h"
#include "x11/connection.h"
#include "x11/x11_keyboard_layout.h"

#include <bitset>
#include <map>
#include <memory>
#include <string>

namespace vx::x11 {

// The part that turns raw presses and releases into key events; separate from
// the X plumbing so the rules can be tested with any sequence of keys.
class KeyEventTranslator {
public:
    struct Keyboard {
        std::function<void(std::uint32_t evdev, bool down)> updateKey;
        // What holding the key adds to the word; 0 for other keys.
        std::function<ModifierFlags(std::uint32_t evdev)> modifiersOfKey;
        // The bits that come from a lock, not from a held key (Caps Lock).
        std::function<ModifierFlags()> locks;
        std::function<bool(std::uint32_t evdev)> isModifierKey;
    };
    explicit KeyEventTranslator(Keyboard keyboard) : keyboard_(std::move(keyboard)) {}

    // Keys already down when watching starts, on whichever keyboard (so their
    // next press is a repeat, and their release is seen).
    void setKeysDown(const std::bitset<256>& evdevDown) { atStart_ = evdevDown; }

    // The events one raw press or release on keyboard `device` gives (none or one).
    std::optional<KeyEvent> rawKey(std::uint16_t device, std::uint32_t evdevCode, bool press);
    // The server's state moved on its own (a lock toggled by another client).
    std::optional<KeyEvent> locksChanged();
    // The modifier word now.
    ModifierFlags word() const;

private:
    Keyboard keyboard_;
    std::bitset<256> atStart_;
    // One table per keyboard: a modifier is held while it is down on any of them.
    std::map<std::uint16_t, std::bitset<256>> down_;
    ModifierFlags lastReported_ = 0;
    bool reportedAny_ = false;
};

class X11KeySource final : public KeySource {
public:
    static std::unique_ptr<X11KeySource> create(Connection& connection, X11KeyboardLayout& layout,
                                                std::string* error);
    ~X11KeySource() override;
    X11KeySource(const X11KeySource&) = delete;
    X11KeySource& operator=(const X11KeySource&) = delete;

    Subscription subscribe(std::function<void(const KeyEvent&)> handler) override;

private:
    X11KeySource(Connection& connection, X11KeyboardLayout& layout, std::uint8_t xiOpcode);
    void handleEvent(const xcb_generic_event_t& event);
    void deliver(const KeyEvent& event);

    Connection& connection_;
    X11KeyboardLayout& layout_;
    std::uint8_t xiOpcode_;
    KeyEventTranslator translator_;
    Connection::HandlerId handler_ = 0;
    std::shared_ptr<std::map<unsigned long, std::function<void(const KeyEvent&)>>> handlers_ =
        std::make_shared<std::map<unsigned long, std::function<void(const KeyEvent&)>>>();
    unsigned long nextHandler_ = 0;
};

} // namespace vx::x11
