// UUID generation from the standard library's entropy source.
#include "core/base/uuid.h"

#include <random>

namespace vx {

Uuid Uuid::random() {
    static thread_local std::mt19937_64 engine = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    Uuid u;
    for (std::size_t i = 0; i < 16; i += 8) {
        auto word = engine();
        for (std::size_t j = 0; j < 8; ++j) {
            u.bytes[i + j] = static_cast<std::uint8_t>(word & 0xFF);
            word >>= 8;
        }
    }
    u.bytes[6] = static_cast<std::uint8_t>((u.bytes[6] & 0x0F) | 0x40); // version 4
    u.bytes[8] = static_cast<std::uint8_t>((u.bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return u;
}

std::string Uuid::toString() const {
    static constexpr char hex[] = "0123456789abcdef";
    std::string s;
    s.reserve(36);
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            s += '-';
        s += hex[bytes[i] >> 4];
        s += hex[bytes[i] & 0x0F];
    }
    return s;
}

} // namespace vx
