// The trigger's display text and its stored JSON form, including the forms a
// hand-edited or damaged settings file can take.
#include "core/input/hotkey_binding.h"
#include "fakes/fake_collaborators.h"

#include <gtest/gtest.h>
#include <string>

using namespace vx;

namespace {
constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        cmd = modifier::command, caps = modifier::capsLock;
} // namespace

TEST(HotkeyBinding, DisplayNamesModifiersInFixedOrderJoinedByPlusThenTheKey) {
    test::FakeKeyboardLayout layout;
    layout.texts = {{49, " "}, {0, "a"}, {36, "\r"}};
    const std::pair<HotkeyBinding, std::string> cases[] = {
        {{0, std::nullopt}, "?"},
        {{caps, std::nullopt}, "?"},
        {{ctrl, std::nullopt}, "Ctrl"},
        {{cmd | shift | opt | ctrl, std::nullopt}, "Ctrl+Alt+Shift+Super"},
        {{ctrl | opt | caps | 0xFF, 49}, "Ctrl+Alt+Space"}, // space trimmed away: table
        {{cmd | shift, 0}, "Shift+Super+A"},
        {{0, 36}, "Return"},  // "\r" trims to nothing: table
        {{0, 200}, "Key200"}, // past the table, no text
        {{0, 10}, "Key10"},   // empty slot inside the table
    };
    for (const auto& [binding, expected] : cases)
        EXPECT_EQ(binding.displayString(&layout), expected) << expected;
    EXPECT_EQ(HotkeyBinding({ctrl, 0}).displayString(nullptr), "Ctrl+A");
}

TEST(HotkeyBinding, JSONIsWrittenCompactlyAndDecodesOnlyWellTypedObjects) {
    EXPECT_EQ(encodeJSON(HotkeyBinding::defaultBinding()), R"({"modifiersRaw":786432})");
    EXPECT_EQ(encodeJSON({ctrl | opt, 49}), R"({"modifiersRaw":786432,"keyCode":49})");

    const std::pair<const char*, std::optional<HotkeyBinding>> cases[] = {
        {R"({"modifiersRaw":262144,"keyCode":null})", HotkeyBinding{ctrl, std::nullopt}},
        {R"( {"modifiersRaw":0,"keyCode":65535,"extra":[1]} )", HotkeyBinding{0, 65535}},
        {R"({"modifiersRaw":18446744073709551615})", HotkeyBinding{~ModifierFlags{0}, {}}},
        {R"({"modifiersRaw":-1})", std::nullopt},
        {R"({"modifiersRaw":18446744073709551616})", std::nullopt},
        {R"({"modifiersRaw":"262144"})", std::nullopt},
        {R"({"modifiersRaw":262144,"keyCode":65536})", std::nullopt},
        {R"({"modifiersRaw":262144)", std::nullopt}, // truncated
        {R"({"modifiersRaw":262144} trailing)", std::nullopt},
    };
    for (const auto& [json, expected] : cases)
        EXPECT_EQ(decodeJSON(json), expected) << json;
    // Embedded NUL bytes do not cut the text short into something valid.
    EXPECT_EQ(decodeJSON(std::string_view("{\"modifiersRaw\":1}\0x", 20)), std::nullopt);
}
