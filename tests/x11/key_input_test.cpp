// The key source and the keyboard layout: the table from evdev codes to the
// binding numbering, the rules for repeats and stray releases, and the whole
// path on a real server with XTest keys and a layout switched by setxkbmap.
#include "core/input/hotkey_binding.h"
#include "harness/desktop_test.h"
#include "input_helpers.h"
#include "core/input/evdev_key_codes.h"
#include "x11/x11_key_source.h"
#include "x11/x11_keyboard_layout.h"

#include <cctype>
#include <map>
#include <sstream>
#include <xkbcommon/xkbcommon-x11.h>

namespace vx::test {
namespace {

using vx::evdevCode;
using vx::virtualKeyCode;
using T = KeyEvent::Type;

TEST(KeyCodeTable, EveryKeyHasOneCodeAndMasksMapToModifiers) {
    std::map<KeyCode, std::uint32_t> seen;
    for (std::uint32_t evdev = 1; evdev < 248; ++evdev) {
        const KeyCode code = virtualKeyCode(evdev);
        const auto [it, fresh] = seen.emplace(code, evdev);
        EXPECT_TRUE(fresh) << "evdev " << evdev << " and " << it->second << " share " << code;
        EXPECT_EQ(evdevCode(code), evdev) << "no way back from " << code;
    }
    // Keys without a counterpart are still recordable, as 256 + their code.
    EXPECT_EQ(virtualKeyCode(99), 256 + 99); // Print
    // That every named code has its key is checked against the server's keymap below.
    for (KeyCode code : modifierKeyCodes())
        EXPECT_TRUE(evdevCode(code)) << "a recorded binding cannot name modifier " << code;
    EXPECT_FALSE(evdevCode(52)) << "a slot the numbering never uses";
    EXPECT_FALSE(evdevCode(256 + 30)) << "A is 0, never 256 + 30";

    EXPECT_EQ(vx::modifierFlags(0x01 | 0x04), modifier::shift | modifier::control);
    EXPECT_EQ(vx::modifierFlags(0x08), modifier::option);
    EXPECT_EQ(vx::modifierFlags(0x40), modifier::command);
    EXPECT_EQ(vx::modifierFlags(0x02), modifier::capsLock);
    EXPECT_EQ(vx::modifierFlags(0x10 | 0x80), 0u) << "Num Lock and Mod5 are not modifiers here";
}

// The translator on a pretend keyboard where only Control_L is a modifier and
// the server's state is a Caps Lock set by hand: two keyboards, repeats, stray
// releases, and a word made of what is held, not of the server's state.
TEST(KeyEventTranslator, RepeatsStrayReleasesAndKeysHeldOnTwoKeyboards) {
    ModifierFlags locks = 0;
    x11::KeyEventTranslator translator{{
        [](std::uint32_t, bool) {},
        [](std::uint32_t evdev) { return evdev == 29 ? modifier::control : ModifierFlags{0}; },
        [&] { return locks; },
        [](std::uint32_t evdev) { return vx::isModifierKey(evdev); },
    }};
    std::bitset<256> down;
    down.set(30); // A, held when we started
    translator.setKeysDown(down);
    struct Step {
        std::uint16_t device;
        std::uint32_t evdev;
        bool press;
        std::optional<T> type; // nothing: swallowed
        KeyCode code = 0;
        bool repeat = false;
        ModifierFlags modifiers = 0;
    };
    const std::vector<Step> steps = {
        {2, 29, true, T::flagsChanged, 0, false, modifier::control},
        {2, 29, true, std::nullopt}, // a held modifier repeats silently
        {2, 57, true, T::keyDown, 49, false, modifier::control},
        {2, 57, true, T::keyDown, 49, true, modifier::control},
        {2, 57, false, T::keyUp, 49, false, modifier::control},
        {2, 57, false, T::keyUp, 49, false, modifier::control},       // passed on, harmlessly
        {3, 29, true, T::flagsChanged, 0, false, modifier::control},  // the second keyboard
        {2, 29, false, T::flagsChanged, 0, false, modifier::control}, // still down on it
        {3, 29, false, T::flagsChanged, 0, false, 0},
        {3, 30, true, T::keyDown, 0, true, 0},
        {2, 63, false, T::keyUp, 96, false, 0}, // never seen pressed: still told
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        const auto e = translator.rawKey(s.device, s.evdev, s.press);
        ASSERT_EQ(e.has_value(), s.type.has_value());
        if (!e)
            continue;
        EXPECT_EQ(e->type, *s.type);
        if (e->type != T::flagsChanged) {
            EXPECT_EQ(e->keyCode, s.code);
            EXPECT_EQ(e->isRepeat, s.repeat);
        }
        EXPECT_EQ(e->modifiers, s.modifiers);
    }
    locks = modifier::capsLock;
    auto e = translator.locksChanged();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, T::flagsChanged);
    EXPECT_EQ(e->modifiers, modifier::capsLock);
    EXPECT_FALSE(translator.locksChanged()) << "same word twice";
}

// The real thing: our own connection, as the program has it.
using KeysOnX = DesktopTest;

TEST_F(KeysOnX, EveryNamedCodeComesFromTheKeyOfThatNameOnAUSKeyboard) {
    // The server's own US keymap is the independent judge of the table: the key
    // we map to a code must be the key that code's name stands for. Letters
    // and digits are their own keysyms (in lower case).
    std::map<std::string, std::string> keysymFor;
    std::istringstream pairs(
        "Return Return Tab Tab Space space Delete BackSpace Esc Escape CapsLock Caps_Lock "
        "Enter KP_Enter Home Home PageUp Prior FwdDel Delete End End PageDown Next ← Left "
        "→ Right ↓ Down ↑ Up = equal - minus ] bracketright [ bracketleft ' apostrophe "
        "; semicolon \\ backslash , comma / slash . period ` grave");
    for (std::string name, sym; pairs >> name >> sym;)
        keysymFor[name] = sym;
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    ASSERT_TRUE(xkb_x11_setup_xkb_extension(conn->raw(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                            XKB_X11_MIN_MINOR_XKB_VERSION, {}, nullptr, nullptr,
                                            nullptr, nullptr));
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref);
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_x11_keymap_new_from_device(context.get(), conn->raw(),
                                       xkb_x11_get_core_keyboard_device_id(conn->raw()),
                                       XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    ASSERT_TRUE(keymap);
    for (KeyCode code = 0; code < 127; ++code) {
        const auto name = fixedKeyName(code);
        if (!name)
            continue;
        std::string expected(*name);
        if (auto it = keysymFor.find(expected); it != keysymFor.end())
            expected = it->second;
        else if (expected.size() == 1)
            expected = static_cast<char>(std::tolower(static_cast<unsigned char>(expected[0])));
        const xkb_keysym_t* syms = nullptr;
        const auto evdev = evdevCode(code);
        ASSERT_TRUE(evdev) << *name;
        ASSERT_GT(xkb_keymap_key_get_syms_by_level(keymap.get(), *evdev + 8, 0, 0, &syms), 0)
            << *name;
        char keysym[64];
        xkb_keysym_get_name(syms[0], keysym, sizeof keysym);
        EXPECT_EQ(std::string(keysym), expected) << "code " << code << " (" << *name << ")";
    }
}

TEST_F(KeysOnX, LayoutTextFollowsTheServerKeymap) {
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    std::string error;
    auto layout = x11::X11KeyboardLayout::create(*conn, &error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->keyText(0), "a");
    EXPECT_EQ(layout->keyText(6), "z");
    EXPECT_EQ(layout->keyText(18), "1");
    EXPECT_FALSE(layout->keyText(53)) << "Escape gives no printable text";
    EXPECT_FALSE(layout->keyText(52)) << "no key gives code 52";
    const int before = layout->keymapGeneration();
    auto set = desktop().tool({"setxkbmap", "de"});
    ASSERT_TRUE(set && set->exitCode == 0);
    ASSERT_TRUE(pumpUntil(*conn, [&] { return layout->keyText(6) == "y"; }))
        << "German layout: the key right of left shift gives y; got "
        << layout->keyText(6).value_or("nothing");
    EXPECT_GT(layout->keymapGeneration(), before);
}

} // namespace
} // namespace vx::test
