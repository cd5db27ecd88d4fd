// The eight layout sectors: which wedge a pointer selects, and where each puts a window.
#include "core/base/localization.h"
#include "core/session/layout_sector.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace vx;

namespace {

Point polar(double degrees, double distance, Point center = {}) {
    const double r = degrees * std::numbers::pi / 180.0;
    return {center.x + distance * std::cos(r), center.y + distance * std::sin(r)};
}

} // namespace

TEST(LayoutSectorHitTest, AnglesMapToTheWedgeCounterClockwiseOfEachBoundary) {
    struct Case {
        double degrees;
        LayoutSector expected;
    };
    const Case cases[] = {
        {0, LayoutSector::right},        {22.5, LayoutSector::topRight},
        {44.99, LayoutSector::topRight}, {67.5, LayoutSector::top},
        {90, LayoutSector::top},         {135, LayoutSector::topLeft},
        {180, LayoutSector::left},       {225, LayoutSector::bottomLeft},
        {270, LayoutSector::bottom},     {315, LayoutSector::bottomRight},
        {337.5, LayoutSector::right},    {359.99, LayoutSector::right},
    };
    const Point center{500, 300};
    for (const auto& c : cases) {
        EXPECT_EQ(sector(polar(c.degrees, 100, center), center), c.expected)
            << "at " << c.degrees << " degrees";
    }
}

TEST(LayoutSectorHitTest, UpIsTopBecauseYGrowsUpward) {
    EXPECT_EQ(sector({0, 100}, {0, 0}), LayoutSector::top);
    EXPECT_EQ(sector({0, -100}, {0, 0}), LayoutSector::bottom);
    EXPECT_EQ(sector({-100, 0}, {0, 0}), LayoutSector::left);
}

TEST(LayoutSectorHitTest, CenterZoneSelectsNothingUpToButExcludingItsRadius) {
    const Point center{-300, 40};
    EXPECT_FALSE(sector(center, center).has_value());
    for (double degrees = 0; degrees < 360; degrees += 15)
        EXPECT_FALSE(sector(polar(degrees, 37.99, center), center).has_value()) << degrees;
    EXPECT_EQ(sector({center.x, center.y + 38.0}, center), LayoutSector::top);
}

TEST(LayoutSectorHitTest, PositionsThatAreNotNumbersSelectNothing) {
    EXPECT_FALSE(sector({std::nan(""), 0}, {0, 0}).has_value());
    EXPECT_FALSE(sector({INFINITY, 0}, {0, 0}).has_value());
}

TEST(LayoutSectorValues, RawValuesOutsideZeroToSevenAreAbsent) {
    EXPECT_FALSE(layoutSectorFromRaw(8).has_value());
    EXPECT_FALSE(layoutSectorFromRaw(-1).has_value());
    for (int raw = 0; raw < 8; ++raw) {
        ASSERT_TRUE(layoutSectorFromRaw(raw).has_value());
        EXPECT_EQ(rawValue(*layoutSectorFromRaw(raw)), raw);
        EXPECT_EQ(allLayoutSectors[static_cast<std::size_t>(raw)], *layoutSectorFromRaw(raw));
    }
    EXPECT_EQ(centerAngleDegrees(LayoutSector::bottomRight), 315.0);
}

TEST(LayoutSectorFrames, HalvesAndQuartersOfAnOddSizedVisibleFrameAreUnrounded) {
    const Rect visible{0, 25, 1441, 875};
    struct Case {
        LayoutSector sector;
        Rect expected;
    };
    const Case cases[] = {
        {LayoutSector::right, {720.5, 25, 720.5, 875}},
        {LayoutSector::topRight, {720.5, 462.5, 720.5, 437.5}},
        {LayoutSector::top, {0, 462.5, 1441, 437.5}},
        {LayoutSector::topLeft, {0, 462.5, 720.5, 437.5}},
        {LayoutSector::left, {0, 25, 720.5, 875}},
        {LayoutSector::bottomLeft, {0, 25, 720.5, 437.5}},
        {LayoutSector::bottom, {0, 25, 1441, 437.5}},
        {LayoutSector::bottomRight, {720.5, 25, 720.5, 437.5}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frame(c.sector, visible), c.expected) << title(c.sector);
}

TEST(LayoutSectorFrames, DisplayLeftOfThePrimaryKeepsItsNegativeOrigin) {
    const Rect visible{-1920, -200, 1920, 1080};
    EXPECT_EQ(frame(LayoutSector::topLeft, visible), Rect(-1920, 340, 960, 540));
    EXPECT_EQ(frame(LayoutSector::bottomRight, visible), Rect(-960, -200, 960, 540));
}

TEST(LayoutSectorTitles, EnglishUnlessATranslationIsInstalled) {
    EXPECT_EQ(title(LayoutSector::right), "Right half");
    EXPECT_EQ(title(LayoutSector::bottomLeft), "Bottom-left");
    installTranslator([](std::string_view english) {
        return english == "Bottom-right" ? std::string("Unten rechts") : std::string();
    });
    EXPECT_EQ(title(LayoutSector::bottomRight), "Unten rechts");
    EXPECT_EQ(title(LayoutSector::top), "Top half");
    installTranslator({});
}
