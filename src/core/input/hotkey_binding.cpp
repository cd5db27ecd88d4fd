// The trigger as a value: its JSON form and the text that shows it to the user.
#include "core/input/hotkey_binding.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <utility>
#include <vector>

namespace vx {

const std::set<KeyCode>& modifierKeyCodes() {
    static const std::set<KeyCode> codes{54, 55, 56, 60, 58, 61, 59, 62, 63};
    return codes;
}

std::string modifierNames(ModifierFlags modifiers) {
    // The names stay English in every language, as on the keys themselves.
    static constexpr std::pair<ModifierFlags, std::string_view> names[] = {
        {modifier::control, "Ctrl"},
        {modifier::option, "Alt"},
        {modifier::shift, "Shift"},
        {modifier::command, "Super"}};
    std::string s;
    for (const auto& [bit, name] : names) {
        if ((modifiers & bindingModifierMask & bit) == 0)
            continue;
        if (!s.empty())
            s += '+';
        s += name;
    }
    return s;
}

std::optional<std::string_view> fixedKeyName(KeyCode keyCode) {
    // 127 slots indexed by key code; empty slots have no name.
    static constexpr std::array<std::string_view, 127> table = [] {
        std::array<std::string_view, 127> t{};
        const std::string_view first[] = {"A", "S", "D", "F", "H", "G", "Z", "X", "C", "V"};
        for (std::size_t i = 0; i < 10; ++i)
            t[i] = first[i];
        const std::string_view row2[] = {
            "B", "Q", "W", "E",  "R", "Y", "T", "1", "2", "3",   "4",     "6",      "5",     "=",
            "9", "7", "-", "8",  "0", "]", "O", "U", "[", "I",   "P",     "Return", "L",     "J",
            "'", "K", ";", "\\", ",", "/", "N", "M", ".", "Tab", "Space", "`",      "Delete"};
        for (std::size_t i = 0; i < std::size(row2); ++i)
            t[11 + i] = row2[i];
        t[53] = "Esc";
        t[57] = "CapsLock";
        t[76] = "Enter";
        t[96] = "F5";
        t[97] = "F6";
        t[98] = "F7";
        t[99] = "F3";
        t[100] = "F8";
        t[101] = "F9";
        t[103] = "F11";
        t[109] = "F10";
        t[111] = "F12";
        const std::string_view nav[] = {"Home", "PageUp", "FwdDel",   "F4",
                                        "End",  "F2",     "PageDown", "F1"};
        for (std::size_t i = 0; i < std::size(nav); ++i)
            t[115 + i] = nav[i];
        t[123] = "\u2190";
        t[124] = "\u2192";
        t[125] = "\u2193";
        t[126] = "\u2191";
        return t;
    }();
    if (keyCode >= table.size() || table[keyCode].empty())
        return std::nullopt;
    return table[keyCode];
}

std::string HotkeyBinding::displayString(const KeyboardLayout* layout) const {
    std::string text = modifierNames(modifiersRaw);
    if (!keyCode)
        return text.empty() ? std::string("?") : text;
    if (!text.empty())
        text += '+';
    if (auto name = layoutKeyName(layout, *keyCode))
        return text + *name;
    if (auto name = fixedKeyName(*keyCode))
        return text + std::string(*name);
    return text + "Key" + std::to_string(*keyCode);
}

} // namespace vx

// Key names follow Unicode's rules, not ASCII's: a layout may give "é" or a
// non-breaking space, and the name must not depend on the process's C locale.
// ICU answers the three questions (white space, grapheme count, Alphabetic)
// the same way everywhere; it stays inside this file.
namespace vx {
namespace {

using U16 = std::vector<UChar>;

std::optional<U16> toUtf16(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 2))
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    const auto inLength = static_cast<int32_t>(text.size());
    // Malformed bytes become U+FFFD rather than losing the whole name.
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), inLength, 0xFFFD, nullptr, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    U16 out(static_cast<std::size_t>(length) + 1);
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                         inLength, 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::string> toUtf8(const UChar* text, int32_t length) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8(nullptr, 0, &needed, text, length, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &needed, text, length, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    out.resize(static_cast<std::size_t>(needed));
    return out;
}

bool isSingleGrapheme(const UChar* text, int32_t length) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UBreakIterator, decltype(&ubrk_close)> it(
        ubrk_open(UBRK_CHARACTER, "", text, length, &status), &ubrk_close);
    if (U_FAILURE(status) || !it)
        return false;
    ubrk_first(it.get());
    return ubrk_next(it.get()) == length;
}

std::optional<std::string> upperCased(const UChar* text, int32_t length) {
    // Root locale: the name must not change with the user's language (no Turkish dotted I).
    U16 out(static_cast<std::size_t>(length) * 3 + 4);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written =
        u_strToUpper(out.data(), static_cast<int32_t>(out.size()), text, length, "", &status);
    if (U_FAILURE(status))
        return std::nullopt;
    return toUtf8(out.data(), written);
}

// ICU's stepping macros mix signed and unsigned arithmetic inside; keep that here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion"
UChar32 nextScalar(const UChar* s, int32_t& i, int32_t length) {
    UChar32 c;
    U16_NEXT(s, i, length, c);
    return c;
}
UChar32 previousScalar(const UChar* s, int32_t start, int32_t& i) {
    UChar32 c;
    U16_PREV(s, start, i, c);
    return c;
}
#pragma GCC diagnostic pop

} // namespace

std::optional<std::string> keyNameFromLayoutText(std::string_view text) {
    auto u16 = toUtf16(text);
    if (!u16)
        return std::nullopt;
    const UChar* s = u16->data();
    const auto length = static_cast<int32_t>(u16->size());

    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        if (!u_isUWhiteSpace(nextScalar(s, next, length)))
            break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        if (!u_isUWhiteSpace(previousScalar(s, begin, previous)))
            break;
        end = previous;
    }
    if (begin == end)
        return std::nullopt;

    const UChar* trimmed = s + begin;
    const int32_t trimmedLength = end - begin;
    // A layout that hands back a control character (Escape as U+001B, Delete as
    // U+007F) gives nothing a user could read; the fixed table names those keys.
    for (int32_t i = 0; i < trimmedLength;) {
        if (u_charType(nextScalar(trimmed, i, trimmedLength)) == U_CONTROL_CHAR)
            return std::nullopt;
    }

    int32_t firstEnd = 0;
    const UChar32 first = nextScalar(trimmed, firstEnd, trimmedLength);
    if (isSingleGrapheme(trimmed, trimmedLength) && u_hasBinaryProperty(first, UCHAR_ALPHABETIC)) {
        if (auto upper = upperCased(trimmed, trimmedLength))
            return upper;
    }
    return toUtf8(trimmed, trimmedLength);
}

std::optional<std::string> layoutKeyName(const KeyboardLayout* layout, KeyCode keyCode) {
    if (!layout)
        return std::nullopt;
    auto text = layout->keyText(keyCode);
    if (!text)
        return std::nullopt;
    return keyNameFromLayoutText(*text);
}

// The JSON form is read back from a file the user may have edited, so decoding
// checks every value instead of trusting the library's conversions.
std::string encodeJSON(const HotkeyBinding& binding) {
    nlohmann::ordered_json object;
    object["modifiersRaw"] = binding.modifiersRaw;
    if (binding.keyCode)
        object["keyCode"] = *binding.keyCode;
    return object.dump();
}

std::optional<HotkeyBinding> decodeJSON(std::string_view json) {
    // The parser takes a NUL byte for the end of the text and would accept
    // whatever follows it; stored bytes with one are damaged, not a binding.
    if (json.find('\0') != std::string_view::npos)
        return std::nullopt;
    try {
        const auto object = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
        if (!object.is_object())
            return std::nullopt;
        const auto modifiers = object.find("modifiersRaw");
        if (modifiers == object.end() || !modifiers->is_number_unsigned())
            return std::nullopt;
        HotkeyBinding binding;
        binding.modifiersRaw = modifiers->get<std::uint64_t>();
        const auto key = object.find("keyCode");
        if (key != object.end() && !key->is_null()) {
            if (!key->is_number_unsigned())
                return std::nullopt;
            const auto code = key->get<std::uint64_t>();
            if (code > std::numeric_limits<KeyCode>::max())
                return std::nullopt;
            binding.keyCode = static_cast<KeyCode>(code);
        }
        return binding;
    } catch (const std::exception&) {
        // Only memory exhaustion gets here; an unreadable binding is the answer.
        return std::nullopt;
    }
}

} // namespace vx
