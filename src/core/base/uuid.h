// Random (version 4) UUIDs: each anchoring of a window gets a fresh one, so a
// stale anchor can never be mistaken for a newer one.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vx {

struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    static Uuid random();
    std::string toString() const; // 8-4-4-4-12 lower-case hex
    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;
};

} // namespace vx

template <> struct std::hash<vx::Uuid> {
    std::size_t operator()(const vx::Uuid& u) const noexcept {
        std::size_t h = 1469598103934665603ull;
        for (auto b : u.bytes)
            h = (h ^ b) * 1099511628211ull;
        return h;
    }
};
