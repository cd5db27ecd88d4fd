// A keyboard layout that is a table: the KeyboardLayout seam for tests.
#pragma once

#include "core/input/keyboard_layout.h"

#include <map>

namespace vx::test {

class FakeKeyboardLayout final : public KeyboardLayout {
public:
    std::map<KeyCode, std::string> texts;

    std::optional<std::string> keyText(KeyCode keyCode) const override {
        const auto it = texts.find(keyCode);
        if (it == texts.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace vx::test
