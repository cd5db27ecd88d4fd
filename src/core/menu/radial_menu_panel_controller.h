// Puts the radial menu on screen centred on the pointer and turns the session's
// aim into model changes: the sliding wedge and the hub's lean.
#pragma once

#include "core/menu/menu_panel_host.h"
#include "core/menu/radial_menu_model.h"
#include "core/session/collaborators.h"

#include <memory>

namespace vx {

class RadialMenuPanelController final : public RadialMenu {
public:
    static constexpr double panelSize = 220;
    // Pointer distance, in points, at which the hub leans fully.
    static constexpr double lookReach = 100;

    explicit RadialMenuPanelController(MenuPanelFactory makePanel);

    bool isVisible() const override { return isVisible_; }
    Point menuCenter() const override { return menuCenter_; }
    void show(Point at, const std::optional<TargetAppInfo>& targetApp) override;
    void hide() override;
    void setHighlightedSector(std::optional<LayoutSector> sector) override;
    void updateHubLook(Point pointer) override;
    std::optional<LayoutSector> highlightedSector() const override {
        return model_.highlightedSector.get();
    }
    void setOnCenterTap(std::function<void()> callback) override {
        model_.setOnCenterTap(std::move(callback));
    }

    RadialMenuModel& model() { return model_; }
    const RadialMenuModel& model() const { return model_; }

private:
    OverlayPanelHost& makePanelIfNeeded(Size size);

    MenuPanelFactory makePanel_;
    std::unique_ptr<OverlayPanelHost> panel_;
    RadialMenuModel model_;
    bool isVisible_ = false;
    Point menuCenter_;
};

// The signed turn, in degrees, that takes the wedge from `current` (any number
// of turns) to `target` (0...360) the shorter way; a half turn is +180.
double shorterArcDelta(double current, double target);

} // namespace vx
