// Raw events are chosen over a passive key grab because a grab would take the
// key from the focused application (and fail when anyone else holds it).
// They are selected for the master devices only: selecting all devices would
// report every key twice, once per slave and once per master.
#include "x11_key_source.h"

#include "core/input/evdev_key_codes.h"

#include <xcb/xinput.h>

namespace vx::x11 {

ModifierFlags KeyEventTranslator::word() const {
    std::bitset<256> held = atStart_;
    for (const auto& [device, keys] : down_)
        held |= keys;
    ModifierFlags flags = keyboard_.locks();
    for (std::uint32_t evdev = 0; evdev < held.size(); ++evdev)
        if (held.test(evdev))
            flags |= keyboard_.modifiersOfKey(evdev);
    return flags;
}

std::optional<KeyEvent> KeyEventTranslator::rawKey(std::uint16_t device, std::uint32_t evdevCode,
                                                   bool press) {
    const bool known = evdevCode < atStart_.size();
    auto& mine = down_[device];
    const bool wasDown = known && (mine.test(evdevCode) || atStart_.test(evdevCode));
    const bool modifierKey = keyboard_.isModifierKey(evdevCode);
    if (known) {
        // A key held since the start belongs to the keyboard that speaks of it first.
        atStart_.reset(evdevCode);
        mine.set(evdevCode, press);
    }

    KeyEvent event;
    event.keyCode = virtualKeyCode(evdevCode);
    if (press && wasDown) {
        // Auto-repeat: the state does not move again, and a held modifier repeats silently.
        if (modifierKey)
            return std::nullopt;
        event.type = KeyEvent::Type::keyDown;
        event.isRepeat = true;
        event.modifiers = word();
        return event;
    }
    // A release of a key never seen down (held when we started, or reported
    // twice) still tells the state and the listeners: a missed release would
    // leave the trigger stuck, a repeated one is harmless to them.
    keyboard_.updateKey(evdevCode, press);
    event.modifiers = word();
    if (modifierKey) {
        event.type = KeyEvent::Type::flagsChanged;
        lastReported_ = event.modifiers;
        reportedAny_ = true;
    } else {
        event.type = press ? KeyEvent::Type::keyDown : KeyEvent::Type::keyUp;
    }
    return event;
}

std::optional<KeyEvent> KeyEventTranslator::locksChanged() {
    const ModifierFlags flags = word();
    if (reportedAny_ && flags == lastReported_)
        return std::nullopt;
    lastReported_ = flags;
    reportedAny_ = true;
    KeyEvent event;
    event.type = KeyEvent::Type::flagsChanged;
    event.modifiers = flags;
    return event;
}

namespace {

struct RawMask {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
};

} // namespace

std::unique_ptr<X11KeySource> X11KeySource::create(Connection& connection,
                                                   X11KeyboardLayout& layout, std::string* error) {
    auto fail = [&](std::string why) -> std::unique_ptr<X11KeySource> {
        if (error)
            *error = std::move(why);
        return nullptr;
    };
    const auto* ext = xcb_get_extension_data(connection.raw(), &xcb_input_id);
    if (!ext || !ext->present)
        return fail("the X server has no XInput extension");
    // Raw events reach root-window listeners from XInput 2.1 on.
    auto version = connection.reply(xcb_input_xi_query_version(connection.raw(), 2, 2),
                                    xcb_input_xi_query_version_reply);
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 1))
        return fail("the X server's XInput is older than 2.1");

    RawMask mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    if (auto err = connection.check(
            xcb_input_xi_select_events_checked(connection.raw(), connection.root(), 1, &mask.head)))
        return fail("the X server refused raw key events: " + describe(*err));

    std::unique_ptr<X11KeySource> source(new X11KeySource(connection, layout, ext->major_opcode));
    // Keys held right now: their next press is a repeat, not a fresh press.
    if (auto keys = connection.reply(xcb_query_keymap(connection.raw()), xcb_query_keymap_reply)) {
        std::bitset<256> down;
        for (std::uint32_t x = 8; x < 256; ++x)
            if (keys->keys[x / 8] & (1u << (x % 8)))
                down.set(x - 8);
        source->translator_.setKeysDown(down);
    }
    auto* self = source.get();
    source->handler_ = connection.addHandler(
        [self](const xcb_generic_event_t& event) { self->handleEvent(event); });
    layout.setOnModifiersChanged([self](ModifierFlags) {
        if (auto event = self->translator_.locksChanged())
            self->deliver(*event);
    });
    return source;
}

X11KeySource::X11KeySource(Connection& connection, X11KeyboardLayout& layout, std::uint8_t xiOpcode)
    : connection_(connection), layout_(layout), xiOpcode_(xiOpcode),
      translator_(KeyEventTranslator::Keyboard{
          [&layout](std::uint32_t evdev, bool down) { layout.updateKey(evdev, down); },
          [&layout](std::uint32_t evdev) { return layout.modifiersOfKey(evdev); },
          [&layout] { return layout.capsLockBit(); },
          [&layout](std::uint32_t evdev) { return layout.isModifierKey(evdev); }}) {}

X11KeySource::~X11KeySource() {
    layout_.setOnModifiersChanged(nullptr);
    if (handler_ != 0)
        connection_.removeHandler(handler_);
    // Stop the server sending what nobody reads any more.
    RawMask mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    xcb_input_xi_select_events(connection_.raw(), connection_.root(), 1, &mask.head);
    connection_.flush();
}

Subscription X11KeySource::subscribe(std::function<void(const KeyEvent&)> handler) {
    const auto key = nextHandler_++;
    handlers_->emplace(key, std::move(handler));
    return Subscription([weak = std::weak_ptr(handlers_), key] {
        if (auto handlers = weak.lock())
            handlers->erase(key);
    });
}

void X11KeySource::deliver(const KeyEvent& event) {
    auto keep = handlers_; // a handler may unsubscribe itself or another
    for (auto it = keep->begin(); it != keep->end();) {
        const auto key = it->first;
        auto handler = it->second;
        handler(event);
        it = keep->upper_bound(key);
    }
}

void X11KeySource::handleEvent(const xcb_generic_event_t& event) {
    if (eventType(event) != XCB_GE_GENERIC)
        return;
    const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (ge.extension != xiOpcode_)
        return;
    if (ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
        // Wheel steps are buttons 4 to 7 here too; no device's button is spared.
        KeyEvent press;
        press.type = KeyEvent::Type::pointerPress;
        press.modifiers = translator_.word();
        deliver(press);
        return;
    }
    if (ge.event_type != XCB_INPUT_RAW_KEY_PRESS && ge.event_type != XCB_INPUT_RAW_KEY_RELEASE)
        return;
    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    if (raw.detail < 8)
        return;
    if (auto key = translator_.rawKey(raw.sourceid, raw.detail - 8u,
                                      ge.event_type == XCB_INPUT_RAW_KEY_PRESS))
        deliver(*key);
}

} // namespace vx::x11
