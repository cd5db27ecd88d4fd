// The radial menu's controller and its motion: how the wedge and the hub move
// with the aim, and that the hub's spring stays bounded on a late frame.
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/spring.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vx;

namespace {

using S = LayoutSector;

class MenuController : public ::testing::Test {
protected:
    RadialMenuPanelController menu{[](RadialMenuModel&, Size) {
        struct Panel : OverlayPanelHost {
            void setFrame(const Rect&) override {}
            void orderFrontRegardless() override {}
            void orderOut() override {}
        };
        return std::make_unique<Panel>();
    }};
    RadialMenuModel& model = menu.model();
};

} // namespace

TEST_F(MenuController, WedgeTakesTheShorterArcAndTheHubLeansWithinBounds) {
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
