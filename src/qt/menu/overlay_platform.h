// What the overlay panels need from the display server beyond Qt: where a
// desktop rectangle lies in Qt's global coordinates, whether a compositor
// blends translucent windows, and the region of a window that takes clicks.
#pragma once

#include "core/base/geometry.h"

#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace vx {

struct OverlayPlatform {
    // Desktop (y-up) points to the Qt geometry of a top-level window.
    std::function<QRect(const Rect&)> toNative;
    // Whether translucent windows are blended with what lies beneath.
    std::function<bool()> hasCompositor;
    // Restricts where `window` takes pointer input (widget coordinates); an
    // empty region makes it click-through.
    std::function<void(QWidget& window, const QRegion& region)> setInputRegion;
    // Where a window cannot place itself (Wayland), asks the compositor to put
    // it at the Qt geometry `toNative` gave; empty where setGeometry is enough.
    std::function<void(QWidget& window, const QRect& geometry)> place;
    // Told right after `window` is shown, before it is first drawn: where the
    // compositor must learn what kind of window it is (empty where nothing
    // needs saying).
    std::function<void(QWidget& window)> shown = {};
};

// The X11 answers, through the connection Qt already holds; on any other
// platform (offscreen tests) there is no compositor and input regions are
// left as they are.
OverlayPlatform x11OverlayPlatform(std::function<QRect(const Rect&)> toNative);

// Placement from a conversion of desktop points to root-window pixels and the
// device pixels per point; Qt's own scaling is taken off at the end.
std::function<QRect(const Rect&)> rootPlacement(std::function<QPointF(Point)> desktopToRoot,
                                                std::function<double()> pixelsPerPoint);

// Whether the X server of Qt's connection has a compositing manager for the
// default screen; false when Qt does not run on X11.
bool x11HasCompositor();

// Overlays of this program kept in a fixed order above everything else: when
// any of them comes to the front, all shown ones are raised in their order,
// so the outline stays above the menu whichever was shown last.
class OverlayStack {
public:
    // Higher levels end up above lower ones.
    void add(QWidget* window, int level);
    void raiseAll();

private:
    struct Entry {
        QPointer<QWidget> window;
        int level;
    };
    std::vector<Entry> entries_;
};

// Window flags for an overlay that never takes focus and that the window
// manager leaves alone.
Qt::WindowFlags overlayWindowFlags();

} // namespace vx
