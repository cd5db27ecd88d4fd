// The ring slice outline: rounded corners where they fit, capped, and sharp
// corners where rounding cannot fit.
#include "core/menu/annular_sector_shape.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vx;

TEST(AnnularSectorShape, RoundsCornersOnlyWhereTheyFitAndCapsThem) {
    const std::pair<const char*, AnnularSectorShape> sharp[] = {
        {"span exactly 0.04", {0, 0.04, 40, 100, 6}},
        {"reversed span", {1, 0.5, 40, 100, 6}},
        {"ring exactly 2 thick", {0, 1, 40, 42, 6}},
        {"not a number", {0, 1, 40, 100, std::nan("")}},
        {"corners would meet", {0, 0.1, 20, 100, 14}},
    };
    for (const auto& [what, shape] : sharp) {
        EXPECT_FALSE(shape.effectiveCornerRadius()) << what;
        EXPECT_EQ(shape.path({0, 0, 220, 220}).size(), 5u) << what;
    }
    // Large corners are capped by 14 points and by 0.48 of the ring's thickness.
    EXPECT_EQ(AnnularSectorShape({0, 1.5, 40, 200, 20}).effectiveCornerRadius(), 14.0);
    EXPECT_NEAR(*AnnularSectorShape({0, 1.5, 40, 50, 20}).effectiveCornerRadius(), 4.8, 1e-12);
}
