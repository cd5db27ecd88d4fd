// Fuzzes what comes back from the settings file: the stored binding's JSON and,
// on the same bytes, the key-name rules that a keyboard layout's text goes
// through. Neither may crash, and a decoded binding must survive its own
// encoding unchanged.
#include "core/input/hotkey_binding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto binding = vx::decodeJSON(text)) {
        if (vx::decodeJSON(vx::encodeJSON(*binding)) != binding)
            std::abort();
        if (binding->displayString(nullptr).empty())
            std::abort();
    }
    if (const auto name = vx::keyNameFromLayoutText(text); name && name->empty())
        std::abort();
    return 0;
}
