// The observable state behind the radial menu: the aimed sector and the wedge
// that marks it, the hub's application and its lean toward the pointer, and
// the wedge colour derived from that application's icon.
#pragma once

#include "core/base/observable.h"
#include "core/menu/color.h"
#include "core/session/layout_sector.h"
#include "core/window/window_types.h"

#include <functional>
#include <optional>

namespace vx {

// How a view should present the changes made right now. The panel controller
// writes under `none` when a change must not be seen moving (a fresh session,
// a jump while the wedge is invisible) and under `highlight` for the shared
// 0.22 s ease-in-out slide and fade; other writes are `implicit`, and the view
// uses the motion it declares for that field.
enum class ModelAnimation { implicit, highlight, none };

class RadialMenuModel {
public:
    RadialMenuModel();
    RadialMenuModel(const RadialMenuModel&) = delete;
    RadialMenuModel& operator=(const RadialMenuModel&) = delete;

    Observable<std::optional<LayoutSector>> highlightedSector;
    // Counter-clockwise from right, y up; accumulates across turns so the wedge
    // can always take the shorter way.
    Observable<double> highlightAngleDegrees{0.0};
    Observable<bool> isHighlightVisible{false};
    Observable<Color> highlightTint;
    Observable<double> hubLookX{0.0}; // -1...1, positive: pointer to the right
    Observable<double> hubLookY{0.0}; // -1...1, positive: pointer above

    // The hub's application. Writing it recomputes the tint when the
    // application (process id and name) changes.
    const std::optional<TargetAppInfo>& targetApp() const { return targetApp_.get(); }
    void setTargetApp(std::optional<TargetAppInfo> app);
    [[nodiscard]] Subscription
    observeTargetApp(std::function<void(const std::optional<TargetAppInfo>&)> observer) {
        return targetApp_.observe(std::move(observer));
    }

    // Run by the hub when clicked; survives resets.
    void setOnCenterTap(std::function<void()> callback) { onCenterTap_ = std::move(callback); }
    bool hasCenterTap() const { return static_cast<bool>(onCenterTap_); }
    void centerTap() const;

    // The freshly opened state, for `app`.
    void prepare(std::optional<TargetAppInfo> app);
    // The state between sessions.
    void reset() { prepare(std::nullopt); }

    // Runs `writes` with `animation` as the current presentation; nests.
    template <class F> void withAnimation(ModelAnimation animation, F&& writes) {
        const auto previous = animation_;
        animation_ = animation;
        struct Restore {
            RadialMenuModel& model;
            ModelAnimation previous;
            ~Restore() { model.animation_ = previous; }
        } restore{*this, previous};
        writes();
    }
    ModelAnimation currentAnimation() const { return animation_; }

private:
    void refreshHighlightTint(const std::optional<TargetAppInfo>& previous);

    Observable<std::optional<TargetAppInfo>> targetApp_;
    std::function<void()> onCenterTap_;
    ModelAnimation animation_ = ModelAnimation::implicit;
};

} // namespace vx
