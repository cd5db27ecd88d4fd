// The radial menu's state and the panels' controllers: how the tint follows the
// application, how the wedge and the hub move with the aim, the wedge's outline,
// and that one panel is reused and placed where it belongs.
#include "core/menu/annular_sector_shape.h"
#include "core/menu/icon_tint.h"
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "core/menu/spring.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace vx;

namespace {

using S = LayoutSector;

TargetAppInfo app(ProcessID pid, std::string name, std::uint8_t r, std::uint8_t g,
                  std::uint8_t b = 20) {
    Image img{24, 24, {}};
    for (int i = 0; i < 24 * 24; ++i)
        img.rgba.insert(img.rgba.end(), {r, g, b, 255});
    return {pid, std::move(name), img};
}

// Every order given to a panel, and every frame.
struct PanelLog {
    int created = 0;
    std::vector<std::string> calls;
    std::vector<Rect> frames;
    std::unique_ptr<OverlayPanelHost> make() {
        struct Panel : OverlayPanelHost {
            PanelLog& log;
            explicit Panel(PanelLog& l) : log(l) {}
            void setFrame(const Rect& f) override {
                log.calls.push_back("frame"), log.frames.push_back(f);
            }
            void orderFrontRegardless() override { log.calls.push_back("front"); }
            void orderOut() override { log.calls.push_back("out"); }
        };
        ++created;
        return std::make_unique<Panel>(*this);
    }
};

class MenuController : public ::testing::Test {
protected:
    PanelLog log;
    RadialMenuPanelController menu{[this](RadialMenuModel&, Size) { return log.make(); }};
    RadialMenuModel& model = menu.model();
};

} // namespace

TEST(RadialMenuModel, TintFollowsTheApplicationNotItsIcon) {
    RadialMenuModel model;
    model.setTargetApp(app(1, "Red", 200, 20));
    const Color red = model.highlightTint;
    model.setTargetApp(app(1, "Red", 20, 200)); // same process and name: the tint stays
    EXPECT_EQ(model.highlightTint.get(), red);
    model.setTargetApp(app(1, "Renamed", 20, 200)); // a new name is a new app
    EXPECT_GT(model.highlightTint.get().green, 0.7);
    model.setTargetApp(app(10, "Grey", 120, 128, 132)); // too dull to vote
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());
}

TEST_F(MenuController, ShowsCentredUnclampedAndReusesOnePanel) {
    menu.show({1390, 400}, std::nullopt); // may hang past the display's edge
    EXPECT_EQ(log.frames.back(), (Rect{1280, 290, 220, 220}));
    menu.setHighlightedSector(S::left);
    menu.show({10, 20}, std::nullopt); // a second show recentres and clears the aim
    EXPECT_FALSE(model.highlightedSector.get());
    int taps = 0;
    menu.setOnCenterTap([&] { ++taps; });
    menu.hide();
    model.centerTap();
    EXPECT_EQ(taps, 1);
    menu.setHighlightedSector(S::left); // hidden: aim and look are ignored
    menu.updateHubLook({100, 100});
    EXPECT_FALSE(model.highlightedSector.get());
    EXPECT_EQ(model.hubLookX.get(), 0.0);
    menu.show({0, 0}, std::nullopt);
    EXPECT_EQ(log.created, 1);
}

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
    EXPECT_DOUBLE_EQ(shorterArcDelta(1080 + 270, 90), 180);

    menu.show({500, 500}, std::nullopt);
    const std::tuple<Point, double, double> looks[] = {
        {{750, 470}, 1.0, -0.3}, {{350, 650}, -1.0, 1.0}, {{550, 475}, 0.5, -0.25}};
    for (const auto& [pointer, x, y] : looks) {
        menu.updateHubLook(pointer);
        EXPECT_DOUBLE_EQ(model.hubLookX.get(), x);
        EXPECT_DOUBLE_EQ(model.hubLookY.get(), y);
    }
}

TEST(ScreenEdgeHighlight, CoversTheWholeDisplayAndMovesWithoutANewPanel) {
    PanelLog log;
    ScreenEdgeHighlightController outline([&] { return log.make(); });
    outline.hide(); // nothing shown yet: nothing to order out
    const Screen left{7, {0, 0, 1440, 900}, {0, 0, 1440, 875}};
    outline.show(Screen{std::nullopt, {1440, -100, 1920, 1080}, {1440, -100, 1920, 1050}});
    EXPECT_EQ(outline.activeDisplayID(), 0u); // a display without a number reads as 0
    outline.hide();
    outline.show(left);
    EXPECT_EQ(log.frames.back(), left.frame); // not the visible frame
    EXPECT_EQ(log.calls, (std::vector<std::string>{"frame", "front", "out", "frame", "front"}));
    EXPECT_EQ(log.created, 1);
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
