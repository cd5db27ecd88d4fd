// The radial menu's look and motion: wedge and hub following the aim, the hub's
// spring on a late frame, and the wedge's colour taken from an icon.
#include "core/menu/icon_tint.h"
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/spring.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vx;

namespace {

using S = LayoutSector;
using Pixel = std::array<std::uint8_t, 4>;

// Rows of one pixel each, repeated to fill a 24 x 24 icon.
Image icon(std::vector<std::pair<Pixel, int>> rows) {
    Image img{24, 24, {}};
    for (const auto& [pixel, count] : rows)
        for (int i = 0; i < 24 * count; ++i)
            img.rgba.insert(img.rgba.end(), pixel.begin(), pixel.end());
    return img;
}

struct Panel : OverlayPanelHost {
    void setFrame(const Rect&) override {}
    void orderFrontRegardless() override {}
    void orderOut() override {}
};

} // namespace

TEST(MenuController, WedgeTakesTheShorterArcAndTheHubLeansWithinBounds) {
    RadialMenuPanelController menu{
        [](RadialMenuModel&, Size) { return std::make_unique<Panel>(); }};
    const RadialMenuModel& model = menu.model();
    const std::pair<std::vector<S>, double> paths[] = {
        {{S::right, S::bottomRight, S::right}, 0}, // 0 → −45 → 0, never via 315
        {{S::bottomRight, S::right}, 360},
        {{S::top, S::bottom}, 270}, // exact half turn: counter-clockwise
        {{S::bottom, S::top}, 450},
        {{S::right, S::bottomRight, S::bottom, S::bottomLeft, S::left}, -180},
    };
    for (const auto& [path, angle] : paths) {
        menu.show({0, 0}, std::nullopt);
        for (auto s : path)
            menu.setHighlightedSector(s);
        EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), angle);
    }

    menu.show({500, 500}, std::nullopt);
    const std::tuple<Point, double, double> looks[] = {
        {{750, 470}, 1.0, -0.3}, {{350, 650}, -1.0, 1.0}, {{550, 475}, 0.5, -0.25}};
    for (const auto& [pointer, x, y] : looks) {
        menu.updateHubLook(pointer);
        EXPECT_DOUBLE_EQ(model.hubLookX.get(), x);
        EXPECT_DOUBLE_EQ(model.hubLookY.get(), y);
    }
}

TEST(Spring, ALateFrameStaysBoundedAndTheHubComesToRestOnItsTarget) {
    Spring spring(0.3, 0.8);
    spring.reset(0);
    spring.setTarget(100);
    spring.step(0.5); // a frame half a second late
    EXPECT_GT(spring.value(), 0);
    EXPECT_LT(spring.value(), 120);
    for (int frame = 0; frame < 120; ++frame)
        spring.step(1.0 / 60);
    EXPECT_TRUE(spring.isSettled());
}

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
