// Keys: the table from evdev codes to the binding numbering, the rules for
// repeats and stray releases, and the layout's text on a real server.
#include "core/input/evdev_key_codes.h"
#include "core/input/hotkey_binding.h"
#include "harness/desktop_test.h"
#include "x11/x11_key_source.h"
#include "x11/x11_keyboard_layout.h"

#include <cctype>
#include <map>

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
    EXPECT_EQ(virtualKeyCode(99), 256 + 99) << "Print, without a counterpart, is still recordable";
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

// Only Control_L is a modifier and the locks are set by hand: two keyboards,
// repeats, stray releases, and modifiers of what is held, not the server's state.
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

// Judged by the server's own keymap: every key the table names by a printable
// character types it on a US keyboard, and a switched layout is followed.
using KeysOnX = DesktopTest;

TEST_F(KeysOnX, LayoutTextFollowsTheServerKeymap) {
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    std::string error;
    auto layout = x11::X11KeyboardLayout::create(*conn, &error);
    ASSERT_TRUE(layout) << error;
    for (KeyCode code = 0; code < 127; ++code) {
        if (const auto name = fixedKeyName(code); name && name->size() == 1) {
            const auto lower = std::string(1, static_cast<char>(std::tolower((*name)[0])));
            EXPECT_EQ(layout->keyText(code), lower) << "code " << code;
        }
    }
    EXPECT_FALSE(layout->keyText(53)) << "Escape gives no printable text";
    EXPECT_FALSE(layout->keyText(52)) << "no key gives code 52";
    const int before = layout->keymapGeneration();
    ASSERT_TRUE(desktop().ran({"setxkbmap", "de"}));
    ASSERT_TRUE(pumpUntil(*conn, [&] { return layout->keyText(6) == "y"; }))
        << "German layout: the key right of left shift gives y; got "
        << layout->keyText(6).value_or("nothing");
    EXPECT_GT(layout->keymapGeneration(), before);
}

} // namespace
} // namespace vx::test
