// The wedge colour from an icon: the thresholds that keep dull pixels out of
// the vote, the premultiplied mean of the winner, and the lift for dull ones.
#include "core/menu/icon_tint.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>

using namespace vx;

namespace {

using Pixel = std::array<std::uint8_t, 4>;

Image filled(Pixel pixel, int side = 24) {
    Image img{side, side, {}};
    for (int i = 0; i < side * side; ++i)
        img.rgba.insert(img.rgba.end(), pixel.begin(), pixel.end());
    return img;
}

void put(Image& img, int x, int y, Pixel p) {
    const auto i = static_cast<std::ptrdiff_t>((y * img.width + x) * 4);
    std::copy(p.begin(), p.end(), img.rgba.begin() + i);
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
        EXPECT_EQ(dominantIconColor(filled(pixel)).has_value(), counts)
            << int(pixel[0]) << "," << int(pixel[1]) << "," << int(pixel[2]) << ","
            << int(pixel[3]);
}

TEST(IconTint, ReadsThePremultipliedMeanOfTheWinningBucket) {
    // Half-transparent red is read darkened, as premultiplied bytes are.
    EXPECT_NEAR(dominantIconColor(filled({255, 0, 0, 128}))->red, 128 / 255.0, 1e-9);

    // Two shades in one bucket average; the larger equally vivid bucket wins.
    Image icon = filled({0, 0, 0, 0});
    for (int x = 0; x < 24; ++x) {
        for (int y = 0; y < 10; ++y)
            put(icon, x, y, (x % 2) ? Pixel{200, 16, 16, 255} : Pixel{206, 18, 20, 255});
        for (int y = 10; y < 14; ++y)
            put(icon, x, y, {16, 16, 200, 255});
    }
    const auto winner = dominantIconColor(icon);
    ASSERT_TRUE(winner);
    EXPECT_NEAR(winner->red, 203 / 255.0, 1e-9);
    EXPECT_NEAR(winner->blue, 18 / 255.0, 1e-9);
}

TEST(IconTint, DullColoursAreLiftedAndBrightOnesKeepTheirHue) {
    const HSB lifted = adjustedHighlightTint({0.3, 0.2, 0.2, 0.5}).hsb();
    EXPECT_NEAR(lifted.hue, 0, 1e-9);
    EXPECT_NEAR(lifted.saturation, 0.45, 1e-9);
    EXPECT_NEAR(lifted.brightness, 0.55, 1e-9);
    EXPECT_EQ(lifted.alpha, 1.0);

    EXPECT_NEAR(adjustedHighlightTint({0.1, 0.9, 0.5, 1}).hsb().saturation, 1.0, 1e-9); // capped
}
