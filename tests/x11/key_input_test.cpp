// The key source and the keyboard layout: the table from evdev codes to the
// binding numbering, the rules for repeats and stray releases, and the whole
// path on a real server with XTest keys and a layout switched by setxkbmap.
#include "core/input/hotkey_binding.h"
#include "harness/desktop_test.h"
#include "input_helpers.h"
#include "x11/key_codes.h"
#include "x11/x11_key_source.h"
#include "x11/x11_keyboard_layout.h"

#include <cctype>
#include <gmock/gmock.h>
#include <map>
#include <set>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace vx::test {
namespace {

using x11::evdevCode;

constexpr ModifierFlags fourModifiers = 0x1E0000;
using x11::virtualKeyCode;

TEST(KeyCodeTable, EveryKeyHasOneCodeAndNoTwoKeysShareIt) {
    std::map<KeyCode, std::uint32_t> seen;
    for (std::uint32_t evdev = 1; evdev < 248; ++evdev) {
        const KeyCode code = virtualKeyCode(evdev);
        const auto [it, fresh] = seen.emplace(code, evdev);
        EXPECT_TRUE(fresh) << "evdev " << evdev << " and " << it->second << " share " << code;
        EXPECT_EQ(evdevCode(code), evdev) << "no way back from " << code;
    }
    // Keys without a counterpart are still recordable, as 256 + their code.
    EXPECT_EQ(virtualKeyCode(99), 256 + 99);   // Print
    EXPECT_EQ(virtualKeyCode(119), 256 + 119); // Pause
    // Every code the fixed name table names is reachable from some key.
    int named = 0;
    for (KeyCode code = 0; code < 127; ++code) {
        if (fixedKeyName(code)) {
            ++named;
            EXPECT_TRUE(evdevCode(code)) << "no key gives " << *fixedKeyName(code);
        }
    }
    EXPECT_EQ(named, 75);
    // The modifier keys, too, so that a recorded binding can name them.
    for (KeyCode code : modifierKeyCodes())
        EXPECT_TRUE(evdevCode(code)) << code;
    EXPECT_FALSE(evdevCode(52)) << "a slot the numbering never uses";
    EXPECT_FALSE(evdevCode(256 + 30)) << "A is 0, never 256 + 30";
}

TEST(KeyCodeTable, ModifierMaskBecomesTheModifierWord) {
    EXPECT_EQ(x11::modifierFlags(0x01 | 0x04), modifier::shift | modifier::control);
    EXPECT_EQ(x11::modifierFlags(0x08), modifier::option);
    EXPECT_EQ(x11::modifierFlags(0x40), modifier::command);
    EXPECT_EQ(x11::modifierFlags(0x02), modifier::capsLock);
    EXPECT_EQ(x11::modifierFlags(0x10 | 0x80), 0u) << "Num Lock and Mod5 are not modifiers here";
}

// The translator on a pretend keyboard whose modifier state follows the keys.
class Translator : public ::testing::Test {
protected:
    std::set<std::uint32_t> held;
    x11::KeyEventTranslator translator{{
        [this](std::uint32_t evdev, bool down) {
            if (down)
                held.insert(evdev);
            else
                held.erase(evdev);
        },
        [this] { return held.count(29) ? modifier::control : ModifierFlags{0}; },
        [](std::uint32_t evdev) { return x11::isModifierKey(evdev); },
    }};
};

TEST_F(Translator, RepeatsStrayReleasesAndModifierKeys) {
    auto e = translator.rawKey(29, true);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::flagsChanged);
    EXPECT_EQ(e->modifiers, modifier::control);
    EXPECT_FALSE(translator.rawKey(29, true)) << "a held modifier repeats silently";

    e = translator.rawKey(57, true);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::keyDown);
    EXPECT_EQ(e->keyCode, 49);
    EXPECT_FALSE(e->isRepeat);
    EXPECT_EQ(e->modifiers, modifier::control);
    e = translator.rawKey(57, true);
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->isRepeat);

    e = translator.rawKey(57, false);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::keyUp);
    e = translator.rawKey(57, false);
    ASSERT_TRUE(e) << "a second release is passed on, harmlessly";
    EXPECT_EQ(e->type, KeyEvent::Type::keyUp);

    e = translator.rawKey(29, false);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::flagsChanged);
    EXPECT_EQ(e->modifiers, 0u);
}

TEST_F(Translator, KeysHeldAtStartRepeatAndServerChangesAreReportedOnce) {
    std::bitset<256> down;
    down.set(30);
    translator.setKeysDown(down);
    auto e = translator.rawKey(30, true);
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->isRepeat);
    // A release never seen pressed (held before we started) still reaches the listeners.
    e = translator.rawKey(63, false);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::keyUp);
    EXPECT_EQ(e->keyCode, 96);

    e = translator.modifiersChanged(modifier::capsLock);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, KeyEvent::Type::flagsChanged);
    EXPECT_FALSE(translator.modifiersChanged(modifier::capsLock)) << "same word twice";
}

// The real thing: our own connection, as the program has it.
class KeysOnX : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        std::string error;
        conn = x11::Connection::open(desktop().display(), &error);
        ASSERT_TRUE(conn) << error;
        layout = x11::X11KeyboardLayout::create(*conn, &error);
        ASSERT_TRUE(layout) << error;
        keys = x11::X11KeySource::create(*conn, *layout, &error);
        ASSERT_TRUE(keys) << error;
        subscription = keys->subscribe([this](const KeyEvent& e) { events.push_back(e); });
        conn->sync();
    }
    void TearDown() override {
        subscription.reset();
        keys.reset();
        layout.reset();
        conn.reset();
        DesktopTest::TearDown();
    }
    bool waitForEvents(std::size_t n) {
        return pumpUntil(*conn, [&] { return events.size() >= n; });
    }

    std::unique_ptr<x11::Connection> conn;
    std::unique_ptr<x11::X11KeyboardLayout> layout;
    std::unique_ptr<x11::X11KeySource> keys;
    Subscription subscription;
    std::vector<KeyEvent> events;
};

TEST_F(KeysOnX, ReportsModifiersKeysAndRepeatsFromXTest) {
    auto& c = desktop().conn();
    fakeKey(c, 29, true); // Control
    fakeKey(c, 30, true); // A
    fakeKey(c, 30, true); // A again without a release: what auto-repeat looks like
    fakeKey(c, 30, false);
    fakeKey(c, 29, false);
    ASSERT_TRUE(waitForEvents(5)) << events.size() << " events";
    using T = KeyEvent::Type;
    EXPECT_EQ(events[0].type, T::flagsChanged);
    EXPECT_EQ(events[0].modifiers & fourModifiers, modifier::control);
    EXPECT_EQ(events[1].type, T::keyDown);
    EXPECT_EQ(events[1].keyCode, 0);
    EXPECT_EQ(events[1].modifiers & fourModifiers, modifier::control);
    EXPECT_FALSE(events[1].isRepeat);
    EXPECT_TRUE(events[2].isRepeat);
    EXPECT_EQ(events[3].type, T::keyUp);
    EXPECT_EQ(events[4].type, T::flagsChanged);
    EXPECT_EQ(events[4].modifiers & fourModifiers, 0u);
    // The server's own state notifications agree and add nothing.
    conn->sync();
    pumpUntil(
        *conn, [] { return false; }, std::chrono::milliseconds(0));
    EXPECT_EQ(events.size(), 5u);
}

TEST_F(KeysOnX, EveryNamedCodeComesFromTheKeyOfThatNameOnAUSKeyboard) {
    // The server's own US keymap is the independent judge of the table: the key
    // we map to a code must be the key that code's name stands for.
    const std::map<std::string, std::string> keysymFor = {
        {"Return", "Return"},  {"Tab", "Tab"},
        {"Space", "space"},    {"Delete", "BackSpace"},
        {"Esc", "Escape"},     {"CapsLock", "Caps_Lock"},
        {"Enter", "KP_Enter"}, {"Home", "Home"},
        {"PageUp", "Prior"},   {"FwdDel", "Delete"},
        {"End", "End"},        {"PageDown", "Next"},
        {"←", "Left"},         {"→", "Right"},
        {"↓", "Down"},         {"↑", "Up"},
        {"=", "equal"},        {"-", "minus"},
        {"]", "bracketright"}, {"[", "bracketleft"},
        {"'", "apostrophe"},   {";", "semicolon"},
        {"\\", "backslash"},   {",", "comma"},
        {"/", "slash"},        {".", "period"},
        {"`", "grave"}};
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
        std::string expected = std::string(*name);
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
    EXPECT_EQ(layout->keyText(0), "a");
    EXPECT_EQ(layout->keyText(6), "z");
    EXPECT_EQ(layout->keyText(18), "1");
    EXPECT_FALSE(layout->keyText(53)) << "Escape gives no printable text";
    EXPECT_FALSE(layout->keyText(96)) << "F5 gives no text";
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
