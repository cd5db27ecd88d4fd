// The menu's windows offscreen: clicks only on the hub, and panels that never
// take focus. What they draw is checked on a real screen by the X11 tests.
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "qt/menu/overlay_panels.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace vx;

TEST(MenuDrawing, OnlyTheHubTakesClicks) {
    RadialMenuModel model;
    RadialMenuView view{model};
    int taps = 0;
    model.setOnCenterTap([&] { ++taps; });
    const std::tuple<QPoint, QPoint, int> cases[] = {
        {{110, 110}, {110, 110}, 1},
        {{110 + 32, 110}, {110 - 30, 115}, 1}, // the margin round the icon counts
        {{110, 110 - 70}, {110, 110 - 70}, 0}, // on the ring
        {{110, 110}, {110, 110 - 70}, 0},      // dragged off the hub
    };
    for (const auto& [press, release, expected] : cases) {
        taps = 0;
        QTest::mousePress(&view, Qt::LeftButton, {}, press);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, release);
        EXPECT_EQ(taps, expected) << press.x() << "," << press.y();
    }
}

TEST(OverlayPanels, NeverTakeFocusAndLetClicksThroughBesideTheHub) {
    std::vector<std::pair<QWidget*, QRegion>> inputRegions;
    auto factories = makeOverlayPanelFactories(
        {[](const Rect& r) {
             return QRectF(r.origin.x, r.origin.y, r.width(), r.height()).toRect();
         },
         [] { return true; },
         [&](QWidget& w, const QRegion& region) { inputRegions.emplace_back(&w, region); },
         {}});
    RadialMenuPanelController menu(factories.menu);
    ScreenEdgeHighlightController outline(factories.outline);
    outline.show(Screen{1, {0, 0, 800, 600}, {0, 0, 800, 570}});
    menu.show({400, 300}, std::nullopt);
    ASSERT_EQ(inputRegions.size(), 2u);
    EXPECT_TRUE(inputRegions[0].second.isEmpty()); // the outline is click-through
    EXPECT_TRUE(inputRegions[1].second.contains(QPoint(110, 110)));
    EXPECT_FALSE(inputRegions[1].second.contains(QPoint(110, 110 - 60)));
    for (const auto& [w, region] : inputRegions) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    }
    EXPECT_EQ(inputRegions[1].first->geometry(), QRect(290, 190, 220, 220));
}
