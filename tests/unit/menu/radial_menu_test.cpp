// The radial menu's state and its controller: which writes notify, how the tint
// follows the application, and how the wedge and the hub move with the aim.
#include "core/menu/icon_tint.h"
#include "core/menu/radial_menu_panel_controller.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace vx;

namespace {

Image solidIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b, int side = 24) {
    Image img{side, side, {}};
    for (int i = 0; i < side * side; ++i)
        img.rgba.insert(img.rgba.end(), {r, g, b, 255});
    return img;
}

TargetAppInfo app(ProcessID pid, std::string name, std::optional<Image> icon = std::nullopt) {
    return {pid, std::move(name), std::move(icon)};
}

struct PanelLog {
    int created = 0;
    std::vector<std::string> calls;
    std::vector<Rect> frames;
};

class RecordingPanel : public OverlayPanelHost {
public:
    explicit RecordingPanel(PanelLog& log) : log_(log) {}
    void setFrame(const Rect& frame) override {
        log_.calls.push_back("frame");
        log_.frames.push_back(frame);
    }
    void orderFrontRegardless() override { log_.calls.push_back("front"); }
    void orderOut() override { log_.calls.push_back("out"); }

private:
    PanelLog& log_;
};

// Every write a view would see, with the presentation it was made under.
struct ChangeLog {
    std::vector<std::pair<std::string, ModelAnimation>> changes;
    std::vector<Subscription> subs;

    explicit ChangeLog(RadialMenuModel& m) {
        auto record = [this, &m](std::string name) {
            return
                [this, &m, name](const auto&) { changes.emplace_back(name, m.currentAnimation()); };
        };
        subs.push_back(m.highlightedSector.observe(record("sector")));
        subs.push_back(m.highlightAngleDegrees.observe(record("angle")));
        subs.push_back(m.isHighlightVisible.observe(record("visible")));
        subs.push_back(m.highlightTint.observe(record("tint")));
        subs.push_back(m.hubLookX.observe(record("lookX")));
        subs.push_back(m.hubLookY.observe(record("lookY")));
        subs.push_back(m.observeTargetApp(record("app")));
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& c : changes)
            out.push_back(c.first);
        return out;
    }
};

class MenuController : public ::testing::Test {
protected:
    PanelLog log;
    RadialMenuPanelController menu{[this](RadialMenuModel&, Size size) {
        ++log.created;
        EXPECT_EQ(size, (Size{220, 220}));
        return std::make_unique<RecordingPanel>(log);
    }};
    RadialMenuModel& model = menu.model();

    void aim(std::initializer_list<std::optional<LayoutSector>> sectors) {
        for (auto s : sectors)
            menu.setHighlightedSector(s);
    }
};

} // namespace

TEST(RadialMenuModelTint, FollowsTheApplicationNotItsIcon) {
    RadialMenuModel model;
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());

    model.setTargetApp(app(1, "Red", solidIcon(200, 20, 20)));
    const Color red = model.highlightTint;
    EXPECT_GT(red.red, 0.7);
    EXPECT_LT(red.blue, 0.2);

    // Same process and name with another icon: the tint stays, but the new icon is stored.
    ChangeLog changes(model);
    model.setTargetApp(app(1, "Red", solidIcon(20, 200, 20)));
    EXPECT_EQ(model.highlightTint.get(), red);
    EXPECT_TRUE(changes.changes.empty());
    EXPECT_EQ(model.targetApp()->icon->rgba[1], 200);

    // A to B and back recomputes each time.
    model.setTargetApp(app(2, "Green", solidIcon(20, 200, 20)));
    EXPECT_GT(model.highlightTint.get().green, 0.7);
    model.setTargetApp(app(1, "Red", solidIcon(200, 20, 20)));
    EXPECT_EQ(model.highlightTint.get(), red);

    // Same process, new name counts as another application.
    model.setTargetApp(app(1, "Renamed"));
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());

    model.setTargetApp(app(3, "Blue-ish", solidIcon(200, 20, 20)));
    model.setTargetApp(std::nullopt);
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());

    // None again puts back the default even over a tint written by hand.
    model.highlightTint.set({1, 0, 0, 1});
    model.setTargetApp(std::nullopt);
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());
}

TEST(RadialMenuModelTint, UnusableIconsGiveTheDefaultBlue) {
    struct Case {
        const char* what;
        std::optional<Image> icon;
    };
    Image transparent{24, 24, std::vector<std::uint8_t>(24 * 24 * 4, 0)};
    const std::vector<Case> cases = {
        {"no icon", std::nullopt},
        {"fully transparent", transparent},
        {"near white", solidIcon(250, 245, 240)},
        {"grey", solidIcon(120, 128, 132)},
        {"too dark", solidIcon(27, 0, 10)},
        {"broken image", Image{24, 24, {1, 2, 3}}},
    };
    for (const auto& c : cases) {
        RadialMenuModel model;
        model.setTargetApp(app(9, "Red", solidIcon(200, 20, 20)));
        model.setTargetApp(app(10, c.what, c.icon));
        EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint()) << c.what;
    }
}

TEST(RadialMenuModel, PrepareAndResetClearEverythingButTheCenterTap) {
    RadialMenuModel model;
    int taps = 0;
    model.setOnCenterTap([&] { ++taps; });
    model.highlightedSector.set(LayoutSector::left);
    model.highlightAngleDegrees.set(540);
    model.isHighlightVisible.set(true);
    model.hubLookX.set(0.5);
    model.hubLookY.set(-1);

    model.prepare(app(4, "Red", solidIcon(200, 20, 20)));
    EXPECT_EQ(model.highlightedSector.get(), std::nullopt);
    EXPECT_EQ(model.highlightAngleDegrees.get(), 0);
    EXPECT_FALSE(model.isHighlightVisible.get());
    EXPECT_EQ(model.hubLookX.get(), 0);
    EXPECT_EQ(model.hubLookY.get(), 0);
    EXPECT_EQ(model.targetApp()->name, "Red");
    EXPECT_NE(model.highlightTint.get(), defaultHighlightTint());

    // A fresh state written again notifies nothing.
    ChangeLog changes(model);
    model.prepare(app(4, "Red", solidIcon(200, 20, 20)));
    EXPECT_TRUE(changes.changes.empty());

    model.reset();
    EXPECT_EQ(model.targetApp(), std::nullopt);
    EXPECT_EQ(model.highlightTint.get(), defaultHighlightTint());
    EXPECT_EQ(changes.names(), (std::vector<std::string>{"app", "tint"}));

    model.centerTap();
    EXPECT_EQ(taps, 1);
    model.setOnCenterTap(nullptr);
    model.centerTap(); // nothing set: nothing happens
    EXPECT_EQ(taps, 1);
}

TEST_F(MenuController, ShowsCentredUnclampedAndReusesOnePanel) {
    // Pointer 50 points from the right edge of a 1440-wide display: the panel
    // hangs 60 points beyond it.
    menu.show({1390, 400}, std::nullopt);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(log.frames.back(), (Rect{1280, 290, 220, 220}));
    EXPECT_EQ(log.frames.back().maxX() - 1440, 60);

    aim({LayoutSector::left});
    menu.updateHubLook({1400, 400});
    ChangeLog changes(model);
    // A second show while visible recentres and clears the highlight unseen.
    menu.show({10, 20}, app(1, "A"));
    EXPECT_EQ(log.frames.back(), (Rect{-100, -90, 220, 220}));
    EXPECT_EQ(model.highlightedSector.get(), std::nullopt);
    EXPECT_EQ(model.hubLookX.get(), 0);
    for (const auto& [name, animation] : changes.changes)
        EXPECT_EQ(animation, ModelAnimation::none) << name;

    menu.hide();
    menu.show({0, 0}, std::nullopt);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"frame", "front", "frame", "front", "out",
                                                   "frame", "front"}));
}

TEST_F(MenuController, IgnoresAimWhileHiddenAndResetsOnHide) {
    aim({LayoutSector::top});
    menu.updateHubLook({500, 500});
    menu.hide(); // before any show: no panel to order out
    EXPECT_EQ(log.created, 0);
    EXPECT_EQ(model.highlightedSector.get(), std::nullopt);
    EXPECT_EQ(model.hubLookX.get(), 0);

    menu.show({0, 0}, app(1, "A"));
    aim({LayoutSector::top});
    menu.hide();
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(model.targetApp(), std::nullopt);
    EXPECT_EQ(model.highlightAngleDegrees.get(), 0);
    aim({LayoutSector::left});
    menu.updateHubLook({100, 100});
    EXPECT_EQ(model.highlightedSector.get(), std::nullopt);
    EXPECT_EQ(model.hubLookY.get(), 0);
}

TEST_F(MenuController, WedgeTakesTheShorterArcWithoutWrapping) {
    struct Case {
        std::vector<std::optional<LayoutSector>> path;
        double angle;
    };
    using S = LayoutSector;
    const std::vector<Case> cases = {
        {{S::right, S::bottomRight, S::right}, 0}, // 0 → −45 → 0, never via 315
        {{S::bottomRight, S::right}, 360},         // 315 → 360
        {{S::top, S::bottom}, 270},                // exact half turn: counter-clockwise
        {{S::bottom, S::top}, 450},                // 270 → 450, also +180
        {{S::right, S::left}, 180},
        {{S::left, S::right}, 360},
        {{S::topLeft, S::bottomRight}, 315},
        {{S::right, S::bottomRight, S::bottom, S::bottomLeft, S::left}, -180},
        {{S::left, S::bottomLeft, S::bottom, S::bottomRight, S::right, S::topRight}, 405},
    };
    for (const auto& c : cases) {
        menu.show({0, 0}, std::nullopt);
        for (auto s : c.path)
            menu.setHighlightedSector(s);
        EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), c.angle);
        EXPECT_EQ(model.highlightedSector.get(), c.path.back());
    }
    EXPECT_DOUBLE_EQ(shorterArcDelta(-720 + 90, 270), 180);
    EXPECT_DOUBLE_EQ(shorterArcDelta(1080 + 270, 90), 180);
    EXPECT_DOUBLE_EQ(shorterArcDelta(-10, 0), 10);
}

TEST_F(MenuController, FadesOutInPlaceAndJumpsUnseenBeforeFadingIn) {
    menu.show({0, 0}, std::nullopt);
    ChangeLog changes(model);
    aim({LayoutSector::top});
    // Invisible wedge: the angle jumps without animation, then it fades in.
    ASSERT_EQ(changes.changes.size(), 3u);
    EXPECT_EQ(changes.changes[0], std::make_pair(std::string("angle"), ModelAnimation::none));
    EXPECT_EQ(changes.changes[1],
              std::make_pair(std::string("visible"), ModelAnimation::highlight));
    EXPECT_EQ(changes.changes[2], std::make_pair(std::string("sector"), ModelAnimation::highlight));

    changes.changes.clear();
    aim({LayoutSector::top, LayoutSector::topLeft});
    EXPECT_EQ(changes.changes, (decltype(changes.changes){{"angle", ModelAnimation::highlight},
                                                          {"sector", ModelAnimation::highlight}}));

    changes.changes.clear();
    aim({std::nullopt, std::nullopt});
    EXPECT_EQ(changes.changes, (decltype(changes.changes){{"visible", ModelAnimation::highlight},
                                                          {"sector", ModelAnimation::highlight}}));
    EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), 135); // kept where it was

    // Re-entering the same sector fades in without sliding.
    changes.changes.clear();
    aim({LayoutSector::topLeft});
    EXPECT_EQ(changes.names(), (std::vector<std::string>{"visible", "sector"}));

    // Another sector after a fade-out jumps there (here the long way, unseen).
    aim({std::nullopt, LayoutSector::bottomRight});
    EXPECT_DOUBLE_EQ(model.highlightAngleDegrees.get(), 315);
    EXPECT_TRUE(model.isHighlightVisible.get());
    EXPECT_EQ(model.currentAnimation(), ModelAnimation::implicit);
}

TEST_F(MenuController, HubLookIsClampedAndWrittenOnlyOnChange) {
    menu.show({500, 500}, std::nullopt);
    ChangeLog changes(model);
    struct Case {
        Point pointer;
        double x, y;
    };
    const std::vector<Case> cases = {
        {{750, 470}, 1.0, -0.3}, // 250 right, 30 below
        {{500, 500}, 0, 0},      {{350, 650}, -1.0, 1.0},
        {{400, 600}, -1.0, 1.0}, {{550, 475}, 0.5, -0.25},
    };
    for (const auto& c : cases) {
        menu.updateHubLook(c.pointer);
        EXPECT_DOUBLE_EQ(model.hubLookX.get(), c.x);
        EXPECT_DOUBLE_EQ(model.hubLookY.get(), c.y);
    }
    // The fourth pointer changed nothing, so nothing was told.
    EXPECT_EQ(changes.changes.size(), 8u);
    for (const auto& change : changes.changes)
        EXPECT_EQ(change.second, ModelAnimation::implicit);
}

TEST_F(MenuController, CenterTapIsInstalledOnTheModel) {
    int taps = 0;
    menu.setOnCenterTap([&] { ++taps; });
    menu.show({0, 0}, std::nullopt);
    menu.hide();
    model.centerTap();
    EXPECT_EQ(taps, 1);
}
