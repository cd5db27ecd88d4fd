// The menu's and the outline's windows: top-level widgets that never take
// focus, bypass the window manager and stay above everything, behind the
// panel seam the controllers drive.
#pragma once

#include "core/menu/menu_panel_host.h"
#include "qt/menu/overlay_platform.h"
#include "qt/menu/radial_menu_view.h"
#include "qt/menu/screen_edge_highlight_widget.h"

#include <memory>

namespace vx {

// Stacking levels among the overlays: the outline stays above the menu.
inline constexpr int menuOverlayLevel = 101;
inline constexpr int outlineOverlayLevel = 1000;
// The menu's window title: window rules, xprop, the tests and KWin's script
// know it by this name.
inline constexpr const char* menuWindowTitle = "Vortaxis menu";

class QtMenuPanel final : public OverlayPanelHost {
public:
    QtMenuPanel(RadialMenuModel& model, Size size, OverlayPlatform platform,
                std::shared_ptr<OverlayStack> stack);
    ~QtMenuPanel() override;

    void setFrame(const Rect& frame) override;
    void orderFrontRegardless() override;
    void orderOut() override;

    RadialMenuView& view() { return *view_; }

private:
    OverlayPlatform platform_;
    std::shared_ptr<OverlayStack> stack_;
    std::unique_ptr<RadialMenuView> view_;
};

class QtOutlinePanel final : public OverlayPanelHost {
public:
    QtOutlinePanel(OverlayPlatform platform, std::shared_ptr<OverlayStack> stack);
    ~QtOutlinePanel() override;

    void setFrame(const Rect& frame) override;
    void orderFrontRegardless() override;
    void orderOut() override;

    ScreenEdgeHighlightWidget& widget() { return *widget_; }

private:
    OverlayPlatform platform_;
    std::shared_ptr<OverlayStack> stack_;
    std::unique_ptr<ScreenEdgeHighlightWidget> widget_;
};

// Factories for the controllers; both panels share one stacking order.
struct OverlayPanelFactories {
    MenuPanelFactory menu;
    OutlinePanelFactory outline;
};
OverlayPanelFactories makeOverlayPanelFactories(OverlayPlatform platform);

} // namespace vx
