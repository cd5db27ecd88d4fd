// The ring slice outline: when its corners are rounded and by how much, and
// when rounding cannot fit and the slice keeps sharp corners.
#include "core/menu/annular_sector_shape.h"
#include "core/menu/radial_menu_layout.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace vx;

namespace {

constexpr double pi = std::numbers::pi;

int arcCount(const Path& path) {
    return static_cast<int>(std::count_if(
        path.begin(), path.end(), [](const auto& e) { return std::holds_alternative<ArcTo>(e); }));
}

} // namespace

TEST(AnnularSectorShape, FallsBackToSharpCornersWhenRoundingCannotFit) {
    const std::pair<const char*, AnnularSectorShape> cases[] = {
        {"span exactly 0.04", {0, 0.04, 40, 100, 6}},
        {"reversed span", {1, 0.5, 40, 100, 6}},
        {"ring exactly 2 thick", {0, 1, 40, 42, 6}},
        {"no rounding asked", {0, 1, 40, 100, 0}},
        {"not a number", {0, 1, 40, 100, std::nan("")}},
        {"cut below 0.75 on a small ring", {0, 0.045, 20, 40, 6}},
        {"corners would meet", {0, 0.1, 20, 100, 14}},
    };
    for (const auto& [what, shape] : cases) {
        EXPECT_FALSE(shape.effectiveCornerRadius()) << what;
        const Path path = shape.path({0, 0, 220, 220});
        EXPECT_EQ(arcCount(path), 2) << what;
        EXPECT_EQ(path.size(), 5u) << what;
    }
    // Large corners are capped by 14 points and by 0.48 of the ring's thickness.
    EXPECT_EQ(arcCount(RadialMenuLayout{}.wedge(90).path({0, 0, 220, 220})), 6);
    EXPECT_EQ(AnnularSectorShape({0, pi / 2, 40, 200, 20}).effectiveCornerRadius(), 14.0);
    EXPECT_NEAR(*AnnularSectorShape({0, pi / 2, 40, 50, 20}).effectiveCornerRadius(), 4.8, 1e-12);
}
