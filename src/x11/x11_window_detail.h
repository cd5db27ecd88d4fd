// What the window-system files share: how an element names a client window or
// an application, the key a client's state is kept under for a turn, and the
// casts between the wire's unsigned words and signed pixels.
#pragma once

#include "core/window/window_system.h"

#include <cstdint>
#include <string>
#include <xcb/xcb.h>

namespace vx::x11::window_detail {

inline constexpr std::uint64_t kApplicationTag = 1ull << 32;

// Where a client's state read for a write is kept for the turn.
inline std::string stateKey(xcb_window_t client) {
    return "client " + std::to_string(client);
}

inline bool isWindowElement(ElementRef e) {
    return e.handle != 0 && e.handle < kApplicationTag;
}

inline std::int32_t i32(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}
inline std::uint32_t u32(std::int32_t v) {
    return static_cast<std::uint32_t>(v);
}

} // namespace vx::x11::window_detail
