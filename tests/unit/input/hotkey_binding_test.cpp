// The trigger's display text and its stored JSON form, including the forms a
// hand-edited or damaged settings file can take.
#include "core/input/hotkey_binding.h"
#include "fakes/fake_keyboard_layout.h"

#include <gtest/gtest.h>
#include <string>

using namespace vx;
using vx::test::FakeKeyboardLayout;

namespace {
constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        cmd = modifier::command;
} // namespace

TEST(HotkeyBindingDisplay, ShowsSymbolsInFixedOrderThenTheKeyName) {
    FakeKeyboardLayout layout;
    layout.texts = {{49, " "}, {0, "a"}, {36, "\r"}, {24, "="}, {18, "1"}, {30, "\u00E9"}};
    struct Case {
        HotkeyBinding binding;
        std::string expected;
    };
    const Case cases[] = {
        {{0, std::nullopt}, "?"},
        {{modifier::capsLock, std::nullopt}, "?"},
        {{ctrl, std::nullopt}, "\u2303"},
        {{cmd | shift | opt | ctrl, std::nullopt}, "\u2303\u2325\u21E7\u2318"},
        {{ctrl | opt | modifier::capsLock | 0xFF, 49}, "\u2303\u2325Space"}, // space trimmed away
        {{cmd | shift, 0}, "\u21E7\u2318A"},
        {{0, 36}, "Return"}, // "\r" trims to nothing: table
        {{0, 24}, "="},      // not alphabetic: unchanged
        {{0, 18}, "1"},
        {{0, 30}, "\u00C9"},  // é upper-cases to É
        {{0, 96}, "F5"},      // layout has no text: table
        {{0, 200}, "Key200"}, // past the table, no text
        {{0, 127}, "Key127"},
        {{0, 10}, "Key10"}, // empty slot inside the table
        {{0, 52}, "Key52"},
        {{0, 126}, "\u2191"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.binding.displayString(&layout), c.expected) << c.expected;
    EXPECT_EQ(HotkeyBinding({ctrl, 0}).displayString(nullptr), "\u2303A");
}

TEST(HotkeyBindingDisplay, FixedTableHasItsSeventyFiveNames) {
    int named = 0;
    for (int code = 0; code < 127; ++code)
        named += fixedKeyName(static_cast<KeyCode>(code)) ? 1 : 0;
    EXPECT_EQ(named, 75);
    EXPECT_EQ(fixedKeyName(39), "'");
    EXPECT_EQ(fixedKeyName(42), "\\");
    EXPECT_EQ(fixedKeyName(50), "`");
    EXPECT_EQ(fixedKeyName(122), "F1");
    EXPECT_FALSE(fixedKeyName(57 + 70));
}

TEST(HotkeyBindingDisplay, LayoutTextFollowsUnicodeRules) {
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"a", "A"},
        {"\u00E9", "\u00C9"},
        {"e\u0301", "E\u0301"}, // one grapheme, two scalars
        {"\u00DF", "SS"},       // upper-casing may lengthen
        {"i", "I"},             // root locale, never a dotted capital
        {"\u0436", "\u0416"},   // Cyrillic zhe
        {"\u3042", "\u3042"},   // alphabetic without case: unchanged
        {"ab", "ab"},           // two characters: unchanged
        {"\uFB01", "FI"},       // one alphabetic ligature; its capital is two letters
        {"\u00A0x\u2028", "X"}, // no-break space and line separator trimmed
        {"\u3000\t\n\v\f\r \u0085", std::nullopt}, // only white space
        {"", std::nullopt},
        {"\x1b", std::nullopt}, // Escape from a layout is no name
        {"\x7f", std::nullopt},
        {"\xff", "\uFFFD"},           // malformed bytes do not lose the key
        {"\U0001F600", "\U0001F600"}, // emoji: not alphabetic
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyNameFromLayoutText(c.text), c.expected) << c.text;
}

TEST(HotkeyBindingEquality, ComparesAllSixtyFourBits) {
    EXPECT_NE(HotkeyBinding({ctrl, std::nullopt}),
              HotkeyBinding({ctrl | modifier::capsLock, std::nullopt}));
    EXPECT_NE(HotkeyBinding({ctrl, std::nullopt}), HotkeyBinding({ctrl, 0}));
    EXPECT_EQ(HotkeyBinding::defaultBinding(), HotkeyBinding({0x40000, std::nullopt}));
    EXPECT_FALSE(HotkeyBinding({modifier::capsLock, std::nullopt}).isUsable());
    EXPECT_TRUE(HotkeyBinding({0, 96}).isUsable());
    EXPECT_EQ(modifierKeyCodes().count(57), 0u);
    EXPECT_EQ(modifierKeyCodes().size(), 9u);
}

TEST(HotkeyBindingJSON, EncodesModifiersFirstAndKeyOnlyWhenPresent) {
    EXPECT_EQ(encodeJSON(HotkeyBinding::defaultBinding()), R"({"modifiersRaw":262144})");
    EXPECT_EQ(encodeJSON({ctrl | opt, 49}), R"({"modifiersRaw":786432,"keyCode":49})");
    for (const HotkeyBinding b : {HotkeyBinding{~ModifierFlags{0}, 65535}, HotkeyBinding{0, 0},
                                  HotkeyBinding{cmd, std::nullopt}})
        EXPECT_EQ(decodeJSON(encodeJSON(b)), b);
}

TEST(HotkeyBindingJSON, DecodesOnlyWellTypedObjects) {
    struct Case {
        const char* json;
        std::optional<HotkeyBinding> expected;
    };
    const Case cases[] = {
        {R"({"modifiersRaw":262144})", HotkeyBinding{ctrl, std::nullopt}},
        {R"({"modifiersRaw":262144,"keyCode":null})", HotkeyBinding{ctrl, std::nullopt}},
        {R"({"keyCode":49,"modifiersRaw":786432})", HotkeyBinding{ctrl | opt, 49}},
        {R"( {"modifiersRaw":0,"keyCode":65535,"extra":[1]} )", HotkeyBinding{0, 65535}},
        {R"({"modifiersRaw":18446744073709551615})", HotkeyBinding{~ModifierFlags{0}, {}}},
        {R"({"keyCode":49})", std::nullopt},
        {R"({"modifiersRaw":null})", std::nullopt},
        {R"({"modifiersRaw":-1})", std::nullopt},
        {R"({"modifiersRaw":18446744073709551616})", std::nullopt},
        {R"({"modifiersRaw":262144.0})", std::nullopt},
        {R"({"modifiersRaw":"262144"})", std::nullopt},
        {R"({"modifiersRaw":true})", std::nullopt},
        {R"({"modifiersRaw":262144,"keyCode":65536})", std::nullopt},
        {R"({"modifiersRaw":262144,"keyCode":-1})", std::nullopt},
        {R"({"modifiersRaw":262144,"keyCode":"49"})", std::nullopt},
        {R"({"modifiersRaw":262144,"keyCode":49.5})", std::nullopt},
        {R"([262144])", std::nullopt},
        {R"(262144)", std::nullopt},
        {R"({"modifiersRaw":262144)", std::nullopt}, // truncated
        {R"({"modifiersRaw":262144} trailing)", std::nullopt},
        {"", std::nullopt},
        {"\xff\xfe{", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeJSON(c.json), c.expected) << c.json;
    // Embedded NUL bytes do not cut the text short into something valid.
    EXPECT_EQ(decodeJSON(std::string_view("{\"modifiersRaw\":1}\0x", 20)), std::nullopt);
}
