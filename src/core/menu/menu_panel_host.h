// What the menu and outline controllers need of a floating overlay window: put
// it at a frame, bring it to the front without taking focus, take it away.
// The Qt side implements these with override-redirect top-level widgets.
#pragma once

#include "core/base/geometry.h"

#include <functional>
#include <memory>

namespace vx {

class RadialMenuModel;

class OverlayPanelHost {
public:
    virtual ~OverlayPanelHost() = default;
    // `frame` in desktop (y-up) points; the panel redraws at once.
    virtual void setFrame(const Rect& frame) = 0;
    // Above ordinary windows, without activating this program or taking focus.
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
};

// Makes the menu's panel, drawing `model`, of `size` points; called once, on first show.
using MenuPanelFactory =
    std::function<std::unique_ptr<OverlayPanelHost>(RadialMenuModel& model, Size size)>;
// Makes the outline's click-through panel; called once, on first show.
using OutlinePanelFactory = std::function<std::unique_ptr<OverlayPanelHost>()>;

} // namespace vx
