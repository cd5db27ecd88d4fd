// Showing and hiding the menu, and the wedge's and hub's motion rules.
#include "core/menu/radial_menu_panel_controller.h"

#include <algorithm>
#include <cmath>

namespace vx {

double shorterArcDelta(double current, double target) {
    double delta = std::fmod(target - current, 360.0);
    if (delta > 180)
        delta -= 360;
    if (delta <= -180)
        delta += 360;
    return delta;
}

RadialMenuPanelController::RadialMenuPanelController(MenuPanelFactory makePanel)
    : makePanel_(std::move(makePanel)) {}

OverlayPanelHost& RadialMenuPanelController::makePanelIfNeeded(Size size) {
    if (!panel_)
        panel_ = makePanel_(model_, size);
    return *panel_;
}

void RadialMenuPanelController::show(Point at, const std::optional<TargetAppInfo>& targetApp) {
    menuCenter_ = at;
    // Nothing of the last session may be seen animating away.
    model_.withAnimation(ModelAnimation::none, [&] { model_.prepare(targetApp); });
    auto& panel = makePanelIfNeeded({panelSize, panelSize});
    // Not clamped to the screen: the menu stays centred on the pointer even when
    // part of it lies beyond the edge.
    panel.setFrame({at.x - panelSize / 2, at.y - panelSize / 2, panelSize, panelSize});
    panel.orderFrontRegardless();
    isVisible_ = true;
}

void RadialMenuPanelController::hide() {
    if (panel_)
        panel_->orderOut();
    isVisible_ = false;
    model_.withAnimation(ModelAnimation::none, [&] { model_.reset(); });
}

void RadialMenuPanelController::setHighlightedSector(std::optional<LayoutSector> sector) {
    if (!isVisible_)
        return;
    const auto old = model_.highlightedSector.get();
    if (old && !sector) {
        // Fades out in place; the angle stays for a later fade-in.
        model_.withAnimation(ModelAnimation::highlight, [&] {
            model_.isHighlightVisible.set(false);
            model_.highlightedSector.set(std::nullopt);
        });
        return;
    }
    if (old == sector || !sector)
        return;
    const double target = centerAngleDegrees(*sector);
    if (!model_.isHighlightVisible.get()) {
        model_.withAnimation(ModelAnimation::none,
                             [&] { model_.highlightAngleDegrees.set(target); });
        model_.withAnimation(ModelAnimation::highlight, [&] {
            model_.isHighlightVisible.set(true);
            model_.highlightedSector.set(sector);
        });
        return;
    }
    const double delta = shorterArcDelta(model_.highlightAngleDegrees.get(), target);
    model_.withAnimation(ModelAnimation::highlight, [&] {
        model_.highlightAngleDegrees.set(model_.highlightAngleDegrees.get() + delta);
        model_.highlightedSector.set(sector);
    });
}

void RadialMenuPanelController::updateHubLook(Point pointer) {
    if (!isVisible_)
        return;
    model_.hubLookX.set(std::clamp((pointer.x - menuCenter_.x) / lookReach, -1.0, 1.0));
    model_.hubLookY.set(std::clamp((pointer.y - menuCenter_.y) / lookReach, -1.0, 1.0));
}

} // namespace vx
