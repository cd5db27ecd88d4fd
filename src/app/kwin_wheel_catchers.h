// The wheel anywhere on Plasma's Wayland session while a gesture runs. No
// client may grab the pointer there, and the wheel goes to the window under
// it; so for the gesture's length a transparent window lies over each output
// and takes the wheel (and the clicks) that would reach the windows below.
#pragma once

#include "qt/menu/overlay_platform.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace vx {

namespace kwin {
class KWinBridge;
}

class KWinWheelCatchers {
public:
    KWinWheelCatchers(kwin::KWinBridge& bridge, OverlayPlatform platform);
    ~KWinWheelCatchers();

    // Over every output KWin last reported, or none.
    void setShown(bool shown);

private:
    kwin::KWinBridge& bridge_;
    OverlayPlatform platform_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};

} // namespace vx
