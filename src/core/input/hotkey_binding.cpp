// Display text of a binding: modifier symbols and the key's name.
#include "core/input/hotkey_binding.h"

#include <array>

namespace vx {

const std::set<KeyCode>& modifierKeyCodes() {
    static const std::set<KeyCode> codes{54, 55, 56, 60, 58, 61, 59, 62, 63};
    return codes;
}

std::string modifierSymbols(ModifierFlags modifiers) {
    const ModifierFlags m = modifiers & bindingModifierMask;
    std::string s;
    if (m & modifier::control)
        s += "\u2303";
    if (m & modifier::option)
        s += "\u2325";
    if (m & modifier::shift)
        s += "\u21E7";
    if (m & modifier::command)
        s += "\u2318";
    return s;
}

std::optional<std::string_view> fixedKeyName(KeyCode keyCode) {
    // 127 slots indexed by key code; empty slots have no name.
    static constexpr std::array<std::string_view, 127> table = [] {
        std::array<std::string_view, 127> t{};
        const std::string_view first[] = {"A", "S", "D", "F", "H", "G", "Z", "X", "C", "V"};
        for (std::size_t i = 0; i < 10; ++i)
            t[i] = first[i];
        const std::string_view row2[] = {"B", "Q", "W", "E", "R", "Y", "T", "1", "2", "3",
                                         "4", "6", "5", "=", "9", "7", "-", "8", "0", "]",
                                         "O", "U", "[", "I", "P", "Return", "L", "J", "'", "K",
                                         ";", "\\", ",", "/", "N", "M", ".", "Tab", "Space", "`",
                                         "Delete"};
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
        const std::string_view nav[] = {"Home", "PageUp", "FwdDel", "F4",
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
    std::string text = modifierSymbols(modifiersRaw);
    if (!keyCode)
        return text.empty() ? std::string("?") : text;
    if (auto name = layoutKeyName(layout, *keyCode))
        return text + *name;
    if (auto name = fixedKeyName(*keyCode))
        return text + std::string(*name);
    return text + "Key" + std::to_string(*keyCode);
}

} // namespace vx

namespace vx {

// First cut: ASCII trimming and upper-casing; the Unicode rules replace it.
std::optional<std::string> layoutKeyName(const KeyboardLayout* layout, KeyCode keyCode) {
    if (!layout)
        return std::nullopt;
    auto text = layout->keyText(keyCode);
    if (!text)
        return std::nullopt;
    const auto first = text->find_first_not_of(" \t\n\r\v\f");
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = text->find_last_not_of(" \t\n\r\v\f");
    std::string name = text->substr(first, last - first + 1);
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z')
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}

} // namespace vx
