// xkbcommon-x11 builds the keymap from the server; the XKB extension's events
// keep it current. The state is moved by the raw key events first and then set
// from the server's StateNotify, which is authoritative (locks set by another
// client, keys from other devices, a key held before the program started).
#include "x11_keyboard_layout.h"

#include "core/input/evdev_key_codes.h"

// xcb's XKB header names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <array>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace vx::x11 {

void X11KeyboardLayout::ContextDeleter::operator()(xkb_context* c) const {
    xkb_context_unref(c);
}
void X11KeyboardLayout::KeymapDeleter::operator()(xkb_keymap* k) const {
    xkb_keymap_unref(k);
}
void X11KeyboardLayout::StateDeleter::operator()(xkb_state* s) const {
    xkb_state_unref(s);
}

namespace {

// The common head of every XKB event: the kind is in the second byte.
struct XkbAnyEvent {
    std::uint8_t responseType;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    xcb_timestamp_t time;
    std::uint8_t deviceID;
};

constexpr std::uint32_t evdevToX = 8;

bool isModifierKeysym(xkb_keysym_t sym) {
    return (sym >= XKB_KEY_Shift_L && sym <= XKB_KEY_Hyper_R) || sym == XKB_KEY_ISO_Level3_Shift ||
           sym == XKB_KEY_ISO_Level5_Shift || sym == XKB_KEY_Mode_switch || sym == XKB_KEY_Num_Lock;
}

} // namespace

std::unique_ptr<X11KeyboardLayout> X11KeyboardLayout::create(Connection& connection,
                                                             std::string* error) {
    auto fail = [&](const char* why) -> std::unique_ptr<X11KeyboardLayout> {
        if (error)
            *error = why;
        return nullptr;
    };
    std::uint8_t firstEvent = 0;
    if (!xkb_x11_setup_xkb_extension(
            connection.raw(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstEvent, nullptr))
        return fail("the X server has no usable XKB extension");
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection.raw());
    if (device < 0)
        return fail("the X server names no core keyboard");

    std::unique_ptr<X11KeyboardLayout> layout(
        new X11KeyboardLayout(connection, firstEvent, device));
    layout->context_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!layout->context_)
        return fail("xkbcommon could not start");
    if (!layout->reload())
        return fail("the keymap of the core keyboard could not be read");

    constexpr std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    constexpr std::uint16_t mapParts =
        XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
        XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
        XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    constexpr std::uint16_t stateParts =
        XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
        XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE |
        XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = stateParts;
    details.stateDetails = stateParts;
    // XKB events of the core keyboard only: selecting all devices would report
    // each slave as well, and the core keyboard is what applications see.
    if (auto err = connection.check(xcb_xkb_select_events_aux_checked(
            connection.raw(), static_cast<xcb_xkb_device_spec_t>(device), events, 0, 0, mapParts,
            mapParts, &details)))
        return fail("the X server refused the keyboard notifications");

    auto* self = layout.get();
    layout->handler_ = connection.addHandler(
        [self](const xcb_generic_event_t& event) { self->handleEvent(event); });
    return layout;
}

X11KeyboardLayout::X11KeyboardLayout(Connection& connection, std::uint8_t xkbEvent,
                                     std::int32_t device)
    : connection_(connection), xkbEvent_(xkbEvent), device_(device) {}

X11KeyboardLayout::~X11KeyboardLayout() {
    if (handler_ != 0)
        connection_.removeHandler(handler_);
}

bool X11KeyboardLayout::reload() {
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(xkb_x11_keymap_new_from_device(
        context_.get(), connection_.raw(), device_, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return false;
    std::unique_ptr<xkb_state, StateDeleter> state(
        xkb_x11_state_new_from_device(keymap.get(), connection_.raw(), device_));
    std::unique_ptr<xkb_state, StateDeleter> plain(xkb_state_new(keymap.get()));
    if (!state || !plain)
        return false;
    keymap_ = std::move(keymap);
    state_ = std::move(state);
    plainState_ = std::move(plain);
    const auto group = xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
    xkb_state_update_mask(plainState_.get(), 0, 0, 0, 0, 0, group);
    // Each key pressed alone on a fresh state: its depressed modifiers are what
    // holding it means, whatever Sticky Keys or a lock key did to the server's.
    keyModifiers_.fill(0);
    for (std::uint32_t evdev = 0; evdev < keyModifiers_.size(); ++evdev) {
        std::unique_ptr<xkb_state, StateDeleter> alone(xkb_state_new(keymap_.get()));
        if (!alone)
            continue;
        xkb_state_update_key(alone.get(), evdev + evdevToX, XKB_KEY_DOWN);
        keyModifiers_[evdev] =
            modifierFlags(xkb_state_serialize_mods(alone.get(), XKB_STATE_MODS_DEPRESSED)) &
            ~modifier::capsLock;
    }
    ++generation_;
    return true;
}

void X11KeyboardLayout::handleEvent(const xcb_generic_event_t& event) {
    if (eventType(event) != xkbEvent_)
        return;
    const auto& any = reinterpret_cast<const XkbAnyEvent&>(event);
    if (static_cast<std::int32_t>(any.deviceID) != device_ &&
        any.xkbType != XCB_XKB_NEW_KEYBOARD_NOTIFY)
        return;
    const ModifierFlags before = modifiers();
    switch (any.xkbType) {
    case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        // A new core keyboard may carry a new device id.
        if (const auto device = xkb_x11_get_core_keyboard_device_id(connection_.raw()); device >= 0)
            device_ = device;
        reload();
        break;
    case XCB_XKB_MAP_NOTIFY:
        reload();
        break;
    case XCB_XKB_STATE_NOTIFY: {
        const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
        const auto oldGroup = xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_update_mask(state_.get(), state.baseMods, state.latchedMods, state.lockedMods,
                              static_cast<xkb_layout_index_t>(state.baseGroup),
                              static_cast<xkb_layout_index_t>(state.latchedGroup),
                              static_cast<xkb_layout_index_t>(state.lockedGroup));
        const auto group = xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
        if (group != oldGroup) {
            xkb_state_update_mask(plainState_.get(), 0, 0, 0, 0, 0, group);
            ++generation_;
        }
        break;
    }
    default:
        return;
    }
    const ModifierFlags after = modifiers();
    if (after != before && onModifiersChanged_)
        onModifiersChanged_(after);
}

ModifierFlags X11KeyboardLayout::modifiers() const {
    // Keymaps built from the server keep the eight core modifiers at indices 0..7.
    return modifierFlags(xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_EFFECTIVE));
}

ModifierFlags X11KeyboardLayout::modifiersOfKey(std::uint32_t evdevCode) const {
    return evdevCode < keyModifiers_.size() ? keyModifiers_[evdevCode] : 0;
}

ModifierFlags X11KeyboardLayout::capsLockBit() const {
    return modifierFlags(xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LOCKED)) &
           modifier::capsLock;
}

void X11KeyboardLayout::updateKey(std::uint32_t evdevCode, bool down) {
    xkb_state_update_key(state_.get(), evdevCode + evdevToX, down ? XKB_KEY_DOWN : XKB_KEY_UP);
}

bool X11KeyboardLayout::isModifierKey(std::uint32_t evdevCode) const {
    if (vx::isModifierKey(evdevCode))
        return true;
    const xkb_keysym_t* syms = nullptr;
    const auto key = evdevCode + evdevToX;
    const auto layout = xkb_state_key_get_layout(plainState_.get(), key);
    if (layout == XKB_LAYOUT_INVALID)
        return false;
    const int n = xkb_keymap_key_get_syms_by_level(keymap_.get(), key, layout, 0, &syms);
    for (int i = 0; i < n; ++i)
        if (isModifierKeysym(syms[i]))
            return true;
    return false;
}

std::optional<std::string> X11KeyboardLayout::keyText(KeyCode keyCode) const {
    const auto evdev = evdevCode(keyCode);
    if (!evdev)
        return std::nullopt;
    std::array<char, 64> buffer{};
    const int n =
        xkb_state_key_get_utf8(plainState_.get(), *evdev + evdevToX, buffer.data(), buffer.size());
    if (n <= 0)
        return std::nullopt;
    std::string text(buffer.data(), static_cast<std::size_t>(n));
    // Control characters (Escape, Backspace, Delete, Tab, Return) are not names.
    if (text.size() == 1 && (static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f))
        return std::nullopt;
    return text;
}

} // namespace vx::x11
