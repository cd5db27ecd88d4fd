// Display lookups and the y-up to top-left conversion.
#include "core/window/screen_geometry.h"
#include "fakes/fake_screens.h"

#include <gtest/gtest.h>

using namespace vx;
using vx::test::FakeScreens;

TEST(ScreenGeometry, ConvertsDesktopRectsToTopLeftAgainstThePrimaryFrame) {
    const std::vector<Screen> one{FakeScreens::make(1, {0, 0, 1440, 900})};
    EXPECT_EQ(axRect({0, 0, 720, 900}, one, std::nullopt), Rect(0, 0, 720, 900));
    EXPECT_EQ(axRect({0, 450, 720, 450}, one, std::nullopt), Rect(0, 0, 720, 450));
    EXPECT_EQ(axRect({0, 0, 720, 450}, one, std::nullopt), Rect(0, 450, 720, 450));

    // A display above the primary one lies at negative top-left y.
    const std::vector<Screen> stacked{FakeScreens::make(1, {0, 0, 1440, 900}),
                                      FakeScreens::make(2, {0, 900, 1920, 1080})};
    EXPECT_EQ(axRect({0, 900, 1920, 1080}, stacked, std::nullopt).origin.y, -1080);
}

TEST(ScreenGeometry, WithoutAScreenAtTheOriginTheMainScreenIsTheReference) {
    const std::vector<Screen> list{FakeScreens::make(1, {10, 0, 100, 500}),
                                   FakeScreens::make(2, {110, 0, 100, 300})};
    const auto main = list[1];
    EXPECT_EQ(axRect({0, 100, 10, 50}, list, main).origin.y, 150);
    // With no screen at all the rect is its own reference: y becomes 0.
    EXPECT_EQ(axRect({5, 100, 10, 50}, {}, std::nullopt), Rect(5, 0, 10, 50));
}

TEST(ScreenGeometry, PointOnASharedEdgeBelongsToTheRightHandScreen) {
    const std::vector<Screen> list{FakeScreens::make(1, {0, 0, 100, 100}),
                                   FakeScreens::make(2, {100, 0, 100, 100})};
    EXPECT_EQ(displayID(*screen(Point{100, 50}, list)), 2u);
    EXPECT_EQ(displayID(*screen(Point{0, 100}, list)), 1u);  // top edge is inside
    EXPECT_FALSE(screen(Point{50, 0}, list).has_value()); // bottom edge is outside
    EXPECT_FALSE(screen(Point{250, 50}, list).has_value());
}

TEST(ScreenGeometry, OrderIsLeftToRightThenLowerFirst) {
    auto sorted = orderedScreens({FakeScreens::make(1, {0, 900, 100, 100}),
                                  FakeScreens::make(2, {-1920, 0, 1920, 1080}),
                                  FakeScreens::make(3, {0, 0, 100, 900})});
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(displayID(sorted[0]), 2u);
    EXPECT_EQ(displayID(sorted[1]), 3u);
    EXPECT_EQ(displayID(sorted[2]), 1u);
}

TEST(ScreenGeometry, UnnamedDisplaysAreFoundByIdZero) {
    const std::vector<Screen> list{Screen{std::nullopt, {0, 0, 10, 10}, {0, 0, 10, 10}},
                                   FakeScreens::make(0, {10, 0, 10, 10})};
    EXPECT_EQ(screenForDisplayID(0, list)->frame.origin.x, 0);
    EXPECT_FALSE(screenForDisplayID(7, list).has_value());
}
