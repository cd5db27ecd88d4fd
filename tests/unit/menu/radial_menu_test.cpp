// The radial menu's state and the panels' controllers: which writes notify and
// how, how the tint follows the application, how the wedge and the hub move
// with the aim, and that one panel is reused and placed where it belongs.
#include "core/menu/icon_tint.h"
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "core/menu/spring.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace vx;

namespace {

using S = LayoutSector;

Image solidIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Image img{24, 24, {}};
    for (int i = 0; i < 24 * 24; ++i)
        img.rgba.insert(img.rgba.end(), {r, g, b, 255});
    return img;
}
TargetAppInfo app(ProcessID pid, std::string name, std::optional<Image> icon = std::nullopt) {
    return {pid, std::move(name), std::move(icon)};
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

// Every write a view would see, each followed by how it is presented:
// '!' without animation, '~' as the highlight moves, '.' implicitly (the
// order of ModelAnimation).
struct ChangeLog {
    std::string text;
    std::array<Subscription, 7> subs;
    explicit ChangeLog(RadialMenuModel& m) {
        auto record = [this, &m](std::string name) {
            return [this, &m, name](const auto&) {
                text += name + ".~!"[static_cast<std::size_t>(m.currentAnimation())] + " ";
            };
        };
        subs = {m.highlightedSector.observe(record("sector")),
                m.highlightAngleDegrees.observe(record("angle")),
                m.isHighlightVisible.observe(record("visible")),
                m.highlightTint.observe(record("tint")),
                m.hubLookX.observe(record("x")),
                m.hubLookY.observe(record("y")),
                m.observeTargetApp(record("app"))};
    }
    std::string take() { return std::exchange(text, {}); }
};

class MenuController : public ::testing::Test {
protected:
    PanelLog log;
    RadialMenuPanelController menu{[this](RadialMenuModel&, Size size) {
        EXPECT_EQ(size, (Size{220, 220}));
        return log.make();
    }};
    RadialMenuModel& model = menu.model();
    void aim(std::initializer_list<std::optional<LayoutSector>> sectors) {
        for (auto s : sectors)
            menu.setHighlightedSector(s);
    }
};

} // namespace

TEST(RadialMenuModel, TintFollowsTheApplicationNotItsIcon) {
    RadialMenuModel model;
    const Color blue = defaultHighlightTint();
    model.setTargetApp(app(1, "Red", solidIcon(200, 20, 20)));
    const Color red = model.highlightTint;

    // Same process and name with another icon: the tint stays, nothing is told.
    ChangeLog changes(model);
    model.setTargetApp(app(1, "Red", solidIcon(20, 200, 20)));
    EXPECT_EQ(model.highlightTint.get(), red);
    EXPECT_EQ(changes.text, "");

    model.setTargetApp(app(1, "Renamed", solidIcon(20, 200, 20))); // a new name is a new app
    EXPECT_GT(model.highlightTint.get().green, 0.7);
    for (const std::optional<Image>& unusable :
         {std::optional<Image>{}, std::optional(solidIcon(120, 128, 132)),
          std::optional(Image{24, 24, {1, 2, 3}})}) {
        model.setTargetApp(app(9, "Red", solidIcon(200, 20, 20)));
        model.setTargetApp(app(10, "Other", unusable));
        EXPECT_EQ(model.highlightTint.get(), blue);
    }
    // None puts back the default even over a tint written by hand.
    model.highlightTint.set({1, 0, 0, 1});
    model.setTargetApp(std::nullopt);
    EXPECT_EQ(model.highlightTint.get(), blue);
}

TEST_F(MenuController, ShowsCentredUnclampedAndReusesOnePanel) {
    menu.show({1390, 400}, std::nullopt); // may hang past the display's edge
    EXPECT_EQ(log.frames.back(), (Rect{1280, 290, 220, 220}));
    aim({S::left});
    menu.updateHubLook({1400, 400});
    ChangeLog changes(model);
    // A second show while visible recentres and clears the aim unseen.
    menu.show({10, 20}, app(1, "A"));
    EXPECT_EQ(changes.take(), "sector! visible! angle! x! app! ");
    menu.show({10, 20}, app(1, "A")); // the same state again: nothing is told
    EXPECT_EQ(changes.text, "");

    int taps = 0;
    menu.setOnCenterTap([&] { ++taps; });
    menu.hide();
    model.centerTap(); // the tap installed on the controller reaches the model
    EXPECT_EQ(taps, 1);
    // Hidden, aim and look are ignored.
    changes.take();
    aim({S::left});
    menu.updateHubLook({100, 100});
    EXPECT_EQ(changes.text, "");
    menu.show({0, 0}, std::nullopt);
    EXPECT_EQ(log.created, 1);
}

TEST_F(MenuController, WedgeTakesTheShorterArcWithoutWrapping) {
    const std::pair<std::vector<std::optional<LayoutSector>>, double> cases[] = {
        {{S::right, S::bottomRight, S::right}, 0}, // 0 → −45 → 0, never via 315
        {{S::bottomRight, S::right}, 360},
        {{S::top, S::bottom}, 270}, // exact half turn: counter-clockwise
        {{S::bottom, S::top}, 450},
        {{S::right, S::bottomRight, S::bottom, S::bottomLeft, S::left}, -180},
    };
    for (const auto& [path, angle] : cases) {
        menu.show({0, 0}, std::nullopt);
        for (auto s : path)
            menu.setHighlightedSector(s);
        EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), angle);
        EXPECT_EQ(model.highlightedSector.get(), path.back());
    }
    EXPECT_DOUBLE_EQ(shorterArcDelta(-720 + 90, 270), 180);
    EXPECT_DOUBLE_EQ(shorterArcDelta(1080 + 270, 90), 180);
}

TEST_F(MenuController, FadesOutInPlaceAndJumpsUnseenBeforeFadingIn) {
    menu.show({0, 0}, std::nullopt);
    ChangeLog changes(model);
    aim({S::top});
    EXPECT_EQ(changes.take(), "angle! visible~ sector~ ");
    aim({S::top, S::topLeft});
    EXPECT_EQ(changes.take(), "angle~ sector~ ");
    aim({std::nullopt, std::nullopt});
    EXPECT_EQ(changes.take(), "visible~ sector~ ");
    EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), 135); // kept where it was
    aim({S::topLeft}); // the same sector again fades in without sliding
    EXPECT_EQ(changes.take(), "visible~ sector~ ");
    aim({std::nullopt, S::bottomRight}); // another one jumps there unseen
    EXPECT_EQ(changes.take(), "visible~ sector~ angle! visible~ sector~ ");
    EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), 315);
}

TEST_F(MenuController, HubLookIsClampedAndWrittenOnlyOnChange) {
    menu.show({500, 500}, std::nullopt);
    ChangeLog changes(model);
    // 250 right and 30 below; far down-left; clamped the same (nothing told); inside.
    const std::tuple<Point, double, double> cases[] = {{{750, 470}, 1.0, -0.3},
                                                       {{350, 650}, -1.0, 1.0},
                                                       {{400, 600}, -1.0, 1.0},
                                                       {{550, 475}, 0.5, -0.25}};
    for (const auto& [pointer, x, y] : cases) {
        menu.updateHubLook(pointer);
        EXPECT_DOUBLE_EQ(model.hubLookX.get(), x);
        EXPECT_DOUBLE_EQ(model.hubLookY.get(), y);
    }
    EXPECT_EQ(changes.text, "x. y. x. y. x. y. ");
}

TEST(ScreenEdgeHighlight, CoversTheWholeDisplayAndMovesWithoutANewPanel) {
    PanelLog log;
    ScreenEdgeHighlightController outline([&] { return log.make(); });
    outline.hide(); // nothing shown yet: nothing to order out
    const Screen left{7, {0, 0, 1440, 900}, {0, 0, 1440, 875}};
    outline.show(left);
    outline.show(Screen{std::nullopt, {1440, -100, 1920, 1080}, {1440, -100, 1920, 1050}});
    EXPECT_EQ(outline.activeDisplayID(), 0u); // a display without a number reads as 0
    outline.hide();
    outline.show(left);
    EXPECT_EQ(log.frames.back(), left.frame); // not the visible frame
    EXPECT_EQ(log.calls, (std::vector<std::string>{"frame", "front", "frame", "front", "out",
                                                   "frame", "front"}));
    EXPECT_EQ(ScreenEdgeHighlightView().frameRect({5, 100}), (Rect{2.5, 3, 0, 94}));
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
    EXPECT_EQ(spring.value(), 100);
}
