// A plain raster image as core sees an application icon: straight (not
// premultiplied) RGBA, 8 bits per channel, rows top to bottom. The platform side
// renders real icons into it; core only samples it.
#pragma once

#include <cstdint>
#include <vector>

namespace vx {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // width * height * 4 bytes

    bool isValid() const {
        return width > 0 && height > 0 &&
               rgba.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }
    friend bool operator==(const Image&, const Image&) = default;
};

} // namespace vx
