// TEMPORARY stand-ins for the radial menu and the screen outline, until the
// drawn panels exist: plain top-level windows of the right size and place that
// never take the focus, so the gesture can be seen and tested end to end.
#pragma once

#include "core/session/collaborators.h"

#include <QPoint>
#include <functional>
#include <memory>

class QWidget;

namespace vx {

// Desktop coordinates (points, y up) to root-window pixels, the way the
// platform's screens convert them.
using DesktopToRoot = std::function<QPointF(Point)>;
// Points per device pixel on the platform's one scale factor.
using ScaleFactor = std::function<double()>;

class PlaceholderRadialMenu final : public RadialMenu {
public:
    static constexpr double size = 220; // points
    static constexpr double hubRadius = 38;

    PlaceholderRadialMenu(DesktopToRoot toRoot, ScaleFactor scale);
    ~PlaceholderRadialMenu() override;

    bool isVisible() const override;
    Point menuCenter() const override { return center_; }
    void show(Point at, const std::optional<TargetAppInfo>& targetApp) override;
    void updateHubLook(Point) override {}
    void setHighlightedSector(std::optional<LayoutSector> sector) override;
    void hide() override;
    std::optional<LayoutSector> highlightedSector() const override { return highlighted_; }
    void setOnCenterTap(std::function<void()> callback) override;

    // The panel itself, for tests that look at where it went.
    QWidget* widget() const;

private:
    class Panel;
    DesktopToRoot toRoot_;
    ScaleFactor scale_;
    std::unique_ptr<Panel> panel_; // created on first use, then reused
    Point center_;
    std::optional<LayoutSector> highlighted_;
    std::function<void()> onCenterTap_;
};

class PlaceholderScreenHighlight final : public ScreenHighlight {
public:
    PlaceholderScreenHighlight(DesktopToRoot toRoot, ScaleFactor scale);
    ~PlaceholderScreenHighlight() override;

    void show(const Screen& screen) override;
    void hide() override;
    std::optional<DisplayID> activeDisplayID() const override { return active_; }

    QWidget* widget() const;

private:
    class Outline;
    DesktopToRoot toRoot_;
    ScaleFactor scale_;
    std::unique_ptr<Outline> outline_;
    std::optional<DisplayID> active_;
};

} // namespace vx
