// Display lookups and the y-up to top-left conversion.
#include "core/window/screen_geometry.h"
#include "fakes/fake_screens.h"

#include <gtest/gtest.h>

using namespace vx;
using vx::test::FakeScreens;

TEST(ScreenGeometry, ConvertsToTopLeftAgainstTheDisplayAtTheOriginElseTheMainOne) {
    const std::vector<Screen> stacked{FakeScreens::make(1, {0, 0, 1440, 900}),
                                      FakeScreens::make(2, {0, 900, 1920, 1080})};
    const std::vector<Screen> offOrigin{FakeScreens::make(1, {10, 0, 100, 500}),
                                        FakeScreens::make(2, {110, 0, 100, 300})};
    const std::tuple<Rect, std::vector<Screen>, std::optional<Screen>, Rect> cases[] = {
        {{0, 450, 720, 450}, stacked, std::nullopt, {0, 0, 720, 450}},
        {{0, 0, 720, 450}, stacked, stacked[1], {0, 450, 720, 450}},
        {{0, 900, 1920, 1080}, stacked, std::nullopt, {0, -1080, 1920, 1080}}, // above
        {{0, 100, 10, 50}, offOrigin, offOrigin[1], {0, 150, 10, 50}},
        {{5, 100, 10, 50}, {}, std::nullopt, {5, 0, 10, 50}}, // its own reference
    };
    for (const auto& [rect, list, main, expected] : cases)
        EXPECT_EQ(axRect(rect, list, main), expected);
}

TEST(ScreenGeometry, LookupsOrderAndSharedEdges) {
    // Listed so that a wrong edge rule finds the wrong display first.
    const std::vector<Screen> list{
        FakeScreens::make(3, {0, 100, 100, 100}), FakeScreens::make(1, {0, 0, 100, 100}),
        Screen{std::nullopt, {-50, 0, 50, 10}, {}}, FakeScreens::make(0, {100, 0, 100, 100})};
    EXPECT_EQ(displayID(*screen(Point{100, 50}, list)), 0u); // the seam: the right-hand one
    EXPECT_EQ(displayID(*screen(Point{0, 100}, list)), 1u);  // a top edge is inside
    EXPECT_FALSE(screen(Point{50, 0}, list));                // a bottom edge is not
    EXPECT_FALSE(screen(Point{250, 50}, list));
    EXPECT_EQ(screenForDisplayID(0, list)->frame.origin.x, -50); // unnamed reads as 0
    EXPECT_FALSE(screenForDisplayID(7, list));
    std::vector<DisplayID> order;
    for (const auto& s : orderedScreens(list))
        order.push_back(displayID(s));
    EXPECT_EQ(order, (std::vector<DisplayID>{0, 1, 3, 0}));
}
