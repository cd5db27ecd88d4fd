// The KeyboardLayout seam: the text the user's current layout gives a key with
// no modifier held, or nothing. Display names of bindings build on it.
#pragma once

#include "core/input/key_source.h"

#include <optional>
#include <string>

namespace vx {

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    virtual std::optional<std::string> keyText(KeyCode keyCode) const = 0;
};

} // namespace vx
