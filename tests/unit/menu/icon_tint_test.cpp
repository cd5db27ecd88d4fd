// The wedge colour from an icon: the thresholds that keep dull pixels out of
// the vote, the premultiplied mean of the winner, and the lift for dull ones.
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

TEST(IconTint, ThresholdsAreInclusiveWhereTheyShouldBe) {
    const std::pair<Pixel, bool> cases[] = {
        {{255, 0, 0, 41}, true},                                     // premultiplied (41, 0, 0, 41)
        {{255, 0, 0, 40}, false},      {{28, 0, 0, 255}, true},      // max 28
        {{27, 0, 0, 255}, false},      {{253, 235, 235, 255}, true}, // min 235, chroma 18
        {{254, 236, 236, 255}, false}, {{120, 103, 110, 255}, false}, // chroma 17
        {{121, 103, 110, 255}, true},
    };
    for (const auto& [pixel, counts] : cases)
        EXPECT_EQ(dominantIconColor(icon({{pixel, 24}})).has_value(), counts) << int(pixel[0]);
}

TEST(IconTint, ReadsThePremultipliedMeanOfTheWinningBucketAndLiftsDullOnes) {
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

    const HSB lifted = adjustedHighlightTint({0.3, 0.2, 0.2, 0.5}).hsb();
    EXPECT_NEAR(lifted.saturation, 0.45, 1e-9);
    EXPECT_NEAR(lifted.brightness, 0.55, 1e-9);
    EXPECT_EQ(lifted.alpha, 1.0);
}
