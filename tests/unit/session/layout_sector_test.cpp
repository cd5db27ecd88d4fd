// The eight layout sectors: which wedge a pointer selects, and where each puts a window.
#include "core/session/layout_sector.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace vx;

TEST(LayoutSectorHitTest, WedgesStartCounterClockwiseOfEachBoundaryOutsideTheCenterZone) {
    const Point center{500, -300};
    const auto at = [&](double degrees, double distance) {
        const double r = degrees * std::numbers::pi / 180.0;
        return Point{center.x + distance * std::cos(r), center.y + distance * std::sin(r)};
    };
    using S = LayoutSector;
    const std::tuple<double, double, std::optional<S>> cases[] = {
        {22.49, 100, S::right},  {22.5, 100, S::topRight},   {67.5, 100, S::top},
        {135, 100, S::topLeft},  {180, 100, S::left},        {225, 100, S::bottomLeft},
        {270, 100, S::bottom},   {315, 100, S::bottomRight}, {337.5, 100, S::right},
        {359.99, 100, S::right}, {90, 38, S::top},           {45, 37.99, std::nullopt},
    };
    for (const auto& [degrees, distance, expected] : cases)
        EXPECT_EQ(sector(at(degrees, distance), center), expected) << degrees << " / " << distance;
    EXPECT_FALSE(sector({std::nan(""), 0}, {0, 0}));
    EXPECT_FALSE(sector({INFINITY, 0}, {0, 0}));
}

TEST(LayoutSectorFrames, HalvesAndQuartersOfTheVisibleFrameAreUnrounded) {
    const Rect odd{0, 25, 1441, 875};
    const Rect leftOfPrimary{-1920, -200, 1920, 1080};
    using S = LayoutSector;
    const std::tuple<S, Rect, Rect> cases[] = {
        {S::right, odd, {720.5, 25, 720.5, 875}},
        {S::topRight, odd, {720.5, 462.5, 720.5, 437.5}},
        {S::bottom, odd, {0, 25, 1441, 437.5}},
        {S::bottomRight, odd, {720.5, 25, 720.5, 437.5}},
        {S::topLeft, leftOfPrimary, {-1920, 340, 960, 540}},
        {S::bottomRight, leftOfPrimary, {-960, -200, 960, 540}},
    };
    for (const auto& [s, visible, expected] : cases)
        EXPECT_EQ(frame(s, visible), expected) << title(s);
    EXPECT_FALSE(layoutSectorFromRaw(8));
    EXPECT_FALSE(layoutSectorFromRaw(-1));
}
