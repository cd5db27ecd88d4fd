// The outline's controller and frame geometry.
#include "core/menu/screen_edge_highlight.h"

#include <algorithm>

namespace vx {

Rect ScreenEdgeHighlightView::frameRect(Size panel) const {
    const double w = std::max(panel.width - 2 * inset, 0.0);
    const double h = std::max(panel.height - 2 * inset, 0.0);
    return {panel.width / 2 - w / 2, panel.height / 2 - h / 2, w, h};
}

ScreenEdgeHighlightController::ScreenEdgeHighlightController(OutlinePanelFactory makePanel)
    : makePanel_(std::move(makePanel)) {}

OverlayPanelHost& ScreenEdgeHighlightController::makePanelIfNeeded() {
    if (!panel_)
        panel_ = makePanel_();
    return *panel_;
}

void ScreenEdgeHighlightController::show(const Screen& screen) {
    activeDisplayID_ = screen.number.value_or(0);
    auto& panel = makePanelIfNeeded();
    // The whole display, not its visible part: the line runs around panels and docks too.
    panel.setFrame(screen.frame);
    panel.orderFrontRegardless();
}

void ScreenEdgeHighlightController::hide() {
    if (panel_)
        panel_->orderOut();
    activeDisplayID_.reset();
}

} // namespace vx
