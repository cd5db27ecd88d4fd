// The menu's and the outline's drawing, rendered offscreen: the wedge where the
// aim is, the hub's icon and clicks, the motion and its end, the shaped windows
// used without a compositor, and the panels' window behaviour.
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "qt/menu/overlay_panels.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace vx;

namespace {

constexpr double pi = std::numbers::pi;

// Runs the event loop until `done` holds, for at most two seconds.
template <class F> bool waitFor(F done) {
    QDeadlineTimer deadline(2000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // A masked widget renders only its mask's bounds, at the target offset.
    const QPoint offset =
        widget.mask().isEmpty() ? QPoint() : widget.mask().boundingRect().topLeft();
    widget.render(&image, offset, QRegion(), QWidget::DrawChildren);
    return image;
}

// The view point at `degrees` (counter-clockwise, y up) and `radius` from the centre.
QPoint polar(double degrees, double radius) {
    const double a = degrees * pi / 180;
    return QPoint(static_cast<int>(std::lround(110 + radius * std::cos(a))),
                  static_cast<int>(std::lround(110 - radius * std::sin(a))));
}

bool isReddish(QColor c) {
    return c.red() > c.green() + 60 && c.red() > c.blue() + 60;
}
bool isGreenish(QColor c) {
    return c.green() > c.red() + 50 && c.green() > c.blue() + 50;
}

Image solidIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Image img{64, 64, {}};
    for (int i = 0; i < 64 * 64; ++i)
        img.rgba.insert(img.rgba.end(), {r, g, b, 255});
    return img;
}

void click(QWidget& w, QPointF press, QPointF release) {
    QMouseEvent down(QEvent::MouseButtonPress, press, w.mapToGlobal(press), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, release, w.mapToGlobal(release), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &up);
}

struct FakePlatform {
    bool compositor = true;
    std::vector<Rect> placed;
    std::vector<std::pair<QWidget*, QRegion>> inputRegions;

    OverlayPlatform platform() {
        return {
            [this](const Rect& r) {
                placed.push_back(r);
                return QRect(static_cast<int>(r.origin.x), 1000 - static_cast<int>(r.maxY()),
                             static_cast<int>(r.width()), static_cast<int>(r.height()));
            },
            [this] { return compositor; },
            [this](QWidget& w, const QRegion& region) { inputRegions.emplace_back(&w, region); }};
    }
};

class MenuDrawing : public ::testing::Test {
protected:
    RadialMenuModel model;
    RadialMenuView view{model};

    void showWedge(double angle) {
        model.withAnimation(ModelAnimation::none, [&] {
            model.highlightAngleDegrees.set(angle);
            model.isHighlightVisible.set(true);
        });
    }
};

} // namespace

TEST_F(MenuDrawing, WedgeIsDrawnAtTheAimedSectorOnly) {
    model.highlightTint.set({0.9, 0.1, 0.1, 1});
    for (const auto look : {RadialMenuView::Look::layered, RadialMenuView::Look::plain}) {
        view.setLook(look);
        for (LayoutSector sector : allLayoutSectors) {
            const double angle = centerAngleDegrees(sector);
            showWedge(angle + 360 * (rawValue(sector) % 3 - 1)); // whole turns do not matter
            const QImage image = render(view);
            for (const double radius : {45.0, 69.0, 92.0}) {
                EXPECT_TRUE(isReddish(image.pixelColor(polar(angle, radius))))
                    << rawValue(sector) << " r " << radius;
                EXPECT_FALSE(isReddish(image.pixelColor(polar(angle + 180, radius))))
                    << rawValue(sector) << " r " << radius;
            }
            // The neighbouring sectors stay clear, and so does the boundary gap.
            EXPECT_FALSE(isReddish(image.pixelColor(polar(angle + 45, 69))));
            EXPECT_FALSE(isReddish(image.pixelColor(polar(angle - 22.5, 96))));
        }
    }
    // An invisible wedge keeps its angle but shows nothing.
    model.withAnimation(ModelAnimation::none, [&] { model.isHighlightVisible.set(false); });
    EXPECT_FALSE(isReddish(render(view).pixelColor(polar(315, 69))));
    EXPECT_EQ(view.shownAngleDegrees(), 315);
}

TEST_F(MenuDrawing, RingLeavesItsMarginAndCentreGapClear) {
    const QImage image = render(view);
    EXPECT_EQ(image.pixelColor(3, 3).alpha(), 0); // the 10-point margin
    EXPECT_EQ(image.pixelColor(polar(0, 104)).alpha(), 0);
    EXPECT_EQ(image.pixelColor(polar(30, 35.5)).alpha(), 0); // between hub and ring
    EXPECT_GT(image.pixelColor(polar(200, 70)).alpha(), 120);
    EXPECT_LT(image.pixelColor(polar(200, 70)).alpha(), 255); // translucent
}

TEST_F(MenuDrawing, HubShowsTheApplicationIconOrTheFallbackSymbol) {
    model.setTargetApp(TargetAppInfo{42, "Leaf", solidIcon(30, 200, 60)});
    QImage image = render(view);
    EXPECT_TRUE(isGreenish(image.pixelColor(110, 110)));
    EXPECT_TRUE(isGreenish(image.pixelColor(110 + 15, 110)));
    EXPECT_FALSE(isGreenish(image.pixelColor(110 + 24, 110))); // outside the 38-point icon
    // The rounded corners clip the icon.
    EXPECT_FALSE(isGreenish(image.pixelColor(110 + 18, 110 + 18)));

    model.setTargetApp(std::nullopt);
    image = render(view);
    int dark = 0;
    for (int x = 95; x <= 125; ++x)
        dark += image.pixelColor(x, x).value() < 180 ? 1 : 0; // along the arrows' diagonal
    EXPECT_GT(dark, 10);
    EXPECT_FALSE(isGreenish(image.pixelColor(110 + 12, 110 + 12)));
}

TEST_F(MenuDrawing, OnlyTheHubTakesClicks) {
    int taps = 0;
    model.setOnCenterTap([&] { ++taps; });
    const struct {
        QPointF press, release;
        int taps;
    } cases[] = {
        {{110, 110}, {110, 110}, 1},
        {{110 + 32, 110}, {110 - 30, 115}, 1}, // the transparent margin round the icon counts
        {{110, 110 - 70}, {110, 110 - 70}, 0}, // on the ring
        {{110, 110}, {110, 110 - 70}, 0},      // dragged off the hub
        {{5, 5}, {110, 110}, 0},
    };
    for (const auto& c : cases) {
        taps = 0;
        click(view, c.press, c.release);
        EXPECT_EQ(taps, c.taps) << c.press.x() << "," << c.press.y();
    }
    model.setOnCenterTap(nullptr);
    click(view, {110, 110}, {110, 110}); // nothing installed: nothing happens
}

TEST_F(MenuDrawing, SlidesAndFadesThenStopsRepainting) {
    view.show();
    // The controller drives this view's model through a host that draws it.
    struct Host : OverlayPanelHost {
        void setFrame(const Rect&) override {}
        void orderFrontRegardless() override {}
        void orderOut() override {}
    };
    RadialMenuPanelController controller(
        [](RadialMenuModel&, Size) { return std::make_unique<Host>(); });
    RadialMenuView controlled(controller.model());
    controlled.show();

    controller.show({0, 0}, std::nullopt);
    controller.setHighlightedSector(LayoutSector::top);
    // The jump to 90 happened unseen; the fade runs.
    EXPECT_EQ(controlled.shownAngleDegrees(), 90);
    EXPECT_TRUE(controlled.isAnimating());
    ASSERT_TRUE(waitFor([&] { return !controlled.isAnimating(); }));
    EXPECT_EQ(controlled.shownWedgeOpacity(), 1);

    controller.setHighlightedSector(LayoutSector::topLeft);
    bool sawMidway = false;
    ASSERT_TRUE(waitFor([&] {
        const double a = controlled.shownAngleDegrees();
        sawMidway = sawMidway || (a > 90.5 && a < 134.5);
        return !controlled.isAnimating();
    }));
    EXPECT_TRUE(sawMidway);
    EXPECT_EQ(controlled.shownAngleDegrees(), 135);

    controller.updateHubLook({250, -30});
    ASSERT_TRUE(waitFor([&] { return !controlled.isAnimating(); }));
    EXPECT_EQ(controlled.shownLookX(), 1.0);
    EXPECT_DOUBLE_EQ(controlled.shownLookY(), -0.3);

    // At rest, rewriting the same state asks for no repaint.
    const int before = controlled.repaintRequests();
    controller.setHighlightedSector(LayoutSector::topLeft);
    controller.updateHubLook({250, -30});
    QCoreApplication::processEvents();
    EXPECT_EQ(controlled.repaintRequests(), before);
    EXPECT_FALSE(controlled.isAnimating());

    // Hiding resets without animating from the last session.
    controller.hide();
    EXPECT_FALSE(controlled.isAnimating());
    EXPECT_EQ(controlled.shownAngleDegrees(), 0);
    EXPECT_EQ(controlled.shownWedgeOpacity(), 0);
    EXPECT_EQ(controlled.shownLookX(), 0);
}

TEST_F(MenuDrawing, WithoutACompositorTheWindowIsCutToRingAndHub) {
    view.setComposited(false);
    const QRegion mask = view.mask();
    EXPECT_TRUE(mask.contains(polar(45, 70)));
    EXPECT_TRUE(mask.contains(QPoint(110, 110)));
    EXPECT_FALSE(mask.contains(QPoint(3, 3)));
    EXPECT_FALSE(mask.contains(polar(45, 103)));
    EXPECT_FALSE(mask.contains(polar(45, 35.5)));
    // Inside the shape everything is opaque: no black shows through.
    const QImage image = render(view);
    for (const QPoint p : {polar(45, 70), polar(200, 40), QPoint(110, 110), QPoint(130, 100)})
        EXPECT_EQ(image.pixelColor(p).alpha(), 255) << p.x() << "," << p.y();

    view.setComposited(true);
    EXPECT_TRUE(view.mask().isEmpty());
}

TEST(OutlineDrawing, LineSitsInsideTheEdgesAndGlows) {
    ScreenEdgeHighlightWidget outline;
    outline.resize(400, 300);
    const QImage image = render(outline);
    // The line covers 3...8 points from each edge.
    for (const QPoint p : {QPoint(5, 150), QPoint(394, 150), QPoint(200, 5), QPoint(200, 294)}) {
        EXPECT_TRUE(isGreenish(image.pixelColor(p))) << p.x() << "," << p.y();
        EXPECT_GT(image.pixelColor(p).alpha(), 200);
    }
    // A fainter glow on both sides, nothing in the middle.
    const QColor outside = image.pixelColor(1, 150), inside = image.pixelColor(12, 150);
    EXPECT_GT(outside.alpha(), 0);
    EXPECT_LT(outside.alpha(), 160);
    EXPECT_GT(inside.alpha(), 0);
    EXPECT_LT(inside.alpha(), 160);
    EXPECT_EQ(image.pixelColor(200, 150).alpha(), 0);
    // The corner is rounded: the very corner of the frame stays nearly clear.
    EXPECT_LT(image.pixelColor(3, 3).alpha(), image.pixelColor(5, 150).alpha());

    outline.setComposited(false);
    const QRegion mask = outline.mask();
    EXPECT_TRUE(mask.contains(QPoint(5, 150)));
    EXPECT_FALSE(mask.contains(QPoint(1, 150)));
    EXPECT_FALSE(mask.contains(QPoint(200, 150)));
    EXPECT_EQ(render(outline).pixelColor(5, 150).alpha(), 255);

    outline.resize(4, 4); // too small for a frame: nothing drawn, nothing crashes
    EXPECT_EQ(render(outline).pixelColor(2, 2).alpha(), 0);
}

TEST(OverlayPanels, NeverTakeFocusAndOnlyTheHubTakesClicks) {
    FakePlatform fake;
    auto factories = makeOverlayPanelFactories(fake.platform());
    RadialMenuPanelController menu(factories.menu);
    ScreenEdgeHighlightController outline(factories.outline);

    outline.show(Screen{1, {0, 0, 800, 600}, {0, 0, 800, 570}});
    menu.show({400, 300}, std::nullopt);
    ASSERT_EQ(fake.placed.size(), 2u);
    EXPECT_EQ(fake.placed[1], (Rect{290, 190, 220, 220}));

    ASSERT_EQ(fake.inputRegions.size(), 2u);
    QWidget* outlineWindow = fake.inputRegions[0].first;
    QWidget* menuWindow = fake.inputRegions[1].first;
    EXPECT_TRUE(fake.inputRegions[0].second.isEmpty()); // click-through
    EXPECT_TRUE(outlineWindow->windowFlags().testFlag(Qt::WindowTransparentForInput));
    const QRegion hub = fake.inputRegions[1].second;
    EXPECT_TRUE(hub.contains(QPoint(110, 110)));
    EXPECT_TRUE(hub.contains(QPoint(110 + 31, 110)));
    EXPECT_FALSE(hub.contains(QPoint(110, 110 - 60)));

    for (QWidget* w : {outlineWindow, menuWindow}) {
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isWindow());
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(menuWindow->geometry(), QRect(290, 1000 - 410, 220, 220));
    EXPECT_EQ(outlineWindow->geometry(), QRect(0, 400, 800, 600));

    // Without a compositor the next show cuts the window to its shape.
    fake.compositor = false;
    menu.hide();
    menu.show({100, 100}, std::nullopt);
    EXPECT_FALSE(menuWindow->mask().isEmpty());
    outline.show(Screen{2, {800, 0, 640, 480}, {800, 0, 640, 480}});
    EXPECT_FALSE(outlineWindow->mask().isEmpty());

    menu.hide();
    outline.hide();
    EXPECT_FALSE(menuWindow->isVisible());
    EXPECT_FALSE(outlineWindow->isVisible());
}

TEST(OverlayPanels, PlacementTakesTheDesktopTopLeftCornerAndScale) {
    // A primary display 1000 pixels high at the root's origin: desktop y up.
    auto toRoot = [](Point p) { return QPointF(p.x, 1000 - p.y); };
    EXPECT_EQ(rootPlacement(toRoot, [] { return 1.0; })({100, 200, 220, 220}),
              QRect(100, 580, 220, 220));
    // Two device pixels per point: the size doubles, the corner is converted as given.
    auto toRoot2 = [](Point p) { return QPointF(2 * p.x, 2000 - 2 * p.y); };
    EXPECT_EQ(rootPlacement(toRoot2, [] { return 2.0; })({-50, 0, 220, 220}),
              QRect(-100, 1560, 440, 440));
}
