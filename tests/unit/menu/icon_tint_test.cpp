// The wedge colour from an icon: the sample it is read from, the thresholds
// that keep dull pixels out of the vote, and the lift given to dull winners.
#include "core/menu/icon_tint.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using namespace vx;

namespace {

using Pixel = std::array<std::uint8_t, 4>;

// An icon of `side` × `side` made of `pixel` everywhere.
Image filled(Pixel pixel, int side = 24) {
    Image img{side, side, {}};
    for (int i = 0; i < side * side; ++i)
        img.rgba.insert(img.rgba.end(), pixel.begin(), pixel.end());
    return img;
}

Pixel at(const Image& img, int x, int y) {
    const auto i = static_cast<std::size_t>((y * img.width + x) * 4);
    return {img.rgba[i], img.rgba[i + 1], img.rgba[i + 2], img.rgba[i + 3]};
}

void put(Image& img, int x, int y, Pixel p) {
    const auto i = static_cast<std::size_t>((y * img.width + x) * 4);
    std::copy(p.begin(), p.end(), img.rgba.begin() + static_cast<std::ptrdiff_t>(i));
}

} // namespace

TEST(IconTint, ThresholdsAreInclusiveWhereTheyShouldBe) {
    // Straight RGBA icons at the sample size, so the sample holds exactly
    // these bytes after premultiplication.
    struct Case {
        const char* what;
        Pixel pixel;
        bool counts;
    };
    const std::vector<Case> cases = {
        {"alpha 41 of a bright colour", {255, 0, 0, 41}, true}, // premultiplied (41, 0, 0, 41)
        {"alpha 40", {255, 0, 0, 40}, false},
        {"max exactly 28", {28, 0, 0, 255}, true},
        {"max 27", {27, 0, 0, 255}, false},
        {"min exactly 235, chroma 18", {253, 235, 235, 255}, true},
        {"min 236", {254, 236, 236, 255}, false},
        {"chroma 17", {120, 103, 110, 255}, false},
        {"chroma 18", {121, 103, 110, 255}, true},
        {"transparent", {255, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        const auto color = dominantIconColor(filled(c.pixel));
        EXPECT_EQ(color.has_value(), c.counts) << c.what;
    }
}

TEST(IconTint, ReadsThePremultipliedMeanOfTheWinningBucket) {
    // Half-transparent pure red is read darkened, as premultiplied bytes are.
    const auto red = dominantIconColor(filled({255, 0, 0, 128}));
    ASSERT_TRUE(red);
    EXPECT_NEAR(red->red, 128 / 255.0, 1e-9);
    EXPECT_EQ(red->alpha, 1.0);

    // Two shades in one bucket average; a larger, equally vivid bucket wins
    // over a smaller one; a vivid minority beats a grey-ish majority.
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
    EXPECT_NEAR(winner->green, 17 / 255.0, 1e-9);
    EXPECT_NEAR(winner->blue, 18 / 255.0, 1e-9);

    Image mixed = filled({150, 120, 120, 255}); // chroma 30: counts, but dull
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 4; ++y)
            put(mixed, x, y, {30, 200, 60, 255});
    EXPECT_GT(dominantIconColor(mixed)->green, 0.7);

    // Equal scores: the bucket met first in the scan (top-left first) wins.
    Image tie = filled({0, 0, 0, 0});
    put(tie, 3, 0, {0, 0, 220, 255});
    put(tie, 1, 5, {220, 0, 0, 255});
    EXPECT_GT(dominantIconColor(tie)->blue, 0.8);
}

TEST(IconTint, SamplesAnyIconSizeAt24Pixels) {
    // A 48 × 48 icon: left half opaque green, right half transparent.
    Image big = filled({0, 0, 0, 0}, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 24; ++x)
            put(big, x, y, {0, 180, 0, 255});
    auto sample = renderIconBitmap(big, 24);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->width, 24);
    EXPECT_EQ(at(*sample, 0, 0), (Pixel{0, 180, 0, 255}));
    EXPECT_EQ(at(*sample, 11, 23), (Pixel{0, 180, 0, 255}));
    EXPECT_EQ(at(*sample, 12, 0), (Pixel{0, 0, 0, 0}));

    // A pixel straddling the edge averages in premultiplied space: the
    // transparent half adds no black to the colour, only less coverage.
    Image odd = filled({0, 0, 0, 0}, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 18; ++x)
            put(odd, x, y, {0, 240, 0, 255});
    auto s = renderIconBitmap(odd, 24);
    // Target column 11 covers source 16.5...18: all green.
    EXPECT_EQ(at(*s, 11, 4), (Pixel{0, 240, 0, 255}));
    // Column 12 covers 18...19.5: transparent.
    EXPECT_EQ(at(*s, 12, 4)[3], 0);

    // Tiny icons are stretched up.
    auto up = renderIconBitmap(filled({10, 20, 200, 255}, 1), 24);
    EXPECT_EQ(at(*up, 23, 23), (Pixel{10, 20, 200, 255}));

    EXPECT_FALSE(renderIconBitmap(Image{}, 24));
    EXPECT_FALSE(renderIconBitmap(filled({1, 2, 3, 4}), 0));
    EXPECT_FALSE(dominantIconColor(Image{3, 3, {}}));
}

TEST(IconTint, DullColoursAreLiftedAndBrightOnesKeepTheirHue) {
    const Color dullDarkRed{0.3, 0.2, 0.2, 0.5};
    const HSB lifted = adjustedHighlightTint(dullDarkRed).hsb();
    EXPECT_NEAR(lifted.hue, 0, 1e-9);
    EXPECT_NEAR(lifted.saturation, 0.45, 1e-9);
    EXPECT_NEAR(lifted.brightness, 0.55, 1e-9);
    EXPECT_EQ(lifted.alpha, 1.0);

    // Through the vote: an icon of dull dark red comes out lifted.
    const auto voted = dominantIconColor(filled({90, 50, 50, 255}));
    ASSERT_TRUE(voted);
    const HSB tint = adjustedHighlightTint(*voted).hsb();
    EXPECT_GE(tint.saturation, 0.45 - 1e-9);
    EXPECT_GE(tint.brightness, 0.55 - 1e-9);

    const HSB vivid = adjustedHighlightTint({0.1, 0.9, 0.5, 1}).hsb();
    const HSB original = Color{0.1, 0.9, 0.5, 1}.hsb();
    EXPECT_NEAR(vivid.hue, original.hue, 1e-9);
    EXPECT_NEAR(vivid.saturation, 1.0, 1e-9); // 0.889 × 1.15 capped
    EXPECT_NEAR(vivid.brightness, 0.9, 1e-9);
}
