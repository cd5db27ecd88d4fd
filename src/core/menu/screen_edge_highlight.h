// The green frame around the display that will receive the window: its
// controller (one click-through panel over a whole display, moved between
// displays, never faded) and the geometry of the line it draws.
#pragma once

#include "core/menu/menu_panel_host.h"
#include "core/session/collaborators.h"

#include <memory>
#include <optional>

namespace vx {

// The frame as drawn in a panel of a given size (view coordinates, y down).
struct ScreenEdgeHighlightView {
    double lineWidth = 5;
    double inset = 3;
    double cornerRadius = 10;

    // The rounded rectangle whose inside border is stroked: `inset` points inside
    // each edge, collapsing to nothing on a panel too small to hold it.
    Rect frameRect(Size panel) const;
};

class ScreenEdgeHighlightController final : public ScreenHighlight {
public:
    explicit ScreenEdgeHighlightController(OutlinePanelFactory makePanel);

    void show(const Screen& screen) override;
    void hide() override;
    std::optional<DisplayID> activeDisplayID() const override { return activeDisplayID_; }

private:
    OverlayPanelHost& makePanelIfNeeded();

    OutlinePanelFactory makePanel_;
    std::unique_ptr<OverlayPanelHost> panel_;
    std::optional<DisplayID> activeDisplayID_;
};

} // namespace vx
