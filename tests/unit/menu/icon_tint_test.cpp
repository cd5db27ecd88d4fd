// The wedge colour from an icon: the premultiplied mean of the winning bucket.
#include "core/menu/icon_tint.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>

using namespace vx;

namespace {
using Pixel = std::array<std::uint8_t, 4>;
// Rows of one pixel each, repeated to fill a 24 x 24 icon.
Image icon(std::vector<std::pair<Pixel, int>> rows) {
    Image img{24, 24, {}};
    for (const auto& [pixel, count] : rows)
        for (int i = 0; i < 24 * count; ++i)
            img.rgba.insert(img.rgba.end(), pixel.begin(), pixel.end());
    return img;
}
} // namespace

TEST(IconTint, ReadsThePremultipliedMeanOfTheWinningBucket) {
    // Half-transparent red is read darkened, as premultiplied bytes are.
    EXPECT_NEAR(dominantIconColor(icon({{{255, 0, 0, 128}, 24}}))->red, 128 / 255.0, 1e-9);
    // Two shades in one bucket average; the larger equally vivid bucket wins.
    const auto winner = dominantIconColor(icon({{{200, 16, 16, 255}, 5},
                                                {{206, 18, 20, 255}, 5},
                                                {{16, 16, 200, 255}, 4},
                                                {{0, 0, 0, 0}, 10}}));
    ASSERT_TRUE(winner);
    EXPECT_NEAR(winner->red, 203 / 255.0, 1e-9);
    EXPECT_NEAR(winner->blue, 18 / 255.0, 1e-9);
}
