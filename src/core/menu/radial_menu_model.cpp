// Change rules of the radial menu's state and the tint refresh.
#include "core/menu/radial_menu_model.h"

#include "core/menu/icon_tint.h"

namespace vx {

RadialMenuModel::RadialMenuModel() : highlightTint(defaultHighlightTint()) {}

void RadialMenuModel::setTargetApp(std::optional<TargetAppInfo> app) {
    auto previous = targetApp_.get();
    targetApp_.set(std::move(app));
    refreshHighlightTint(previous);
}

void RadialMenuModel::refreshHighlightTint(const std::optional<TargetAppInfo>& previous) {
    const auto& current = targetApp_.get();
    // The same application (or none again) keeps its tint, even with a
    // re-rendered icon.
    if (!(previous == current)) {
        std::optional<Color> dominant;
        if (current && current->icon)
            dominant = dominantIconColor(*current->icon);
        highlightTint.set(dominant ? adjustedHighlightTint(*dominant) : defaultHighlightTint());
    }
    if (!current)
        highlightTint.set(defaultHighlightTint());
}

void RadialMenuModel::centerTap() const {
    if (onCenterTap_) {
        // A copy: the handler may replace itself.
        auto callback = onCenterTap_;
        callback();
    }
}

void RadialMenuModel::prepare(std::optional<TargetAppInfo> app) {
    highlightedSector.set(std::nullopt);
    isHighlightVisible.set(false);
    highlightAngleDegrees.set(0.0);
    hubLookX.set(0.0);
    hubLookY.set(0.0);
    // Only a different application is written, so the icon of the same
    // application is kept as it was.
    if (!(targetApp_.get() == app))
        setTargetApp(std::move(app));
}

} // namespace vx
