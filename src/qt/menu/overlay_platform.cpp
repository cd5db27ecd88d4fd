// X11 details of the overlay panels, reached through Qt's own connection.
#include "qt/menu/overlay_platform.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace vx {

namespace {

xcb_connection_t* qtConnection() {
    auto* app = qGuiApp;
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The screen number of $DISPLAY (":0.1" → 1), which Qt's connection uses.
int defaultScreenNumber() {
    const char* display = std::getenv("DISPLAY");
    if (!display)
        return 0;
    const std::string d(display);
    const auto colon = d.rfind(':');
    const auto dot = d.find('.', colon == std::string::npos ? 0 : colon);
    if (dot == std::string::npos)
        return 0;
    return std::atoi(d.c_str() + dot + 1);
}

void setInputShape(QWidget& window, const QRegion& region) {
    auto* connection = qtConnection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const qreal ratio = window.devicePixelRatioF();
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : region) {
        const QRect px(
            QPoint(qFloor(r.left() * ratio), qFloor(r.top() * ratio)),
            QPoint(qCeil((r.right() + 1) * ratio) - 1, qCeil((r.bottom() + 1) * ratio) - 1));
        rects.push_back({static_cast<int16_t>(px.x()), static_cast<int16_t>(px.y()),
                         static_cast<uint16_t>(px.width()), static_cast<uint16_t>(px.height())});
    }
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                         XCB_CLIP_ORDERING_UNSORTED, id, 0, 0, static_cast<uint32_t>(rects.size()),
                         rects.data());
    xcb_flush(connection);
}

} // namespace

bool x11HasCompositor() {
    auto* connection = qtConnection();
    if (!connection)
        return false;
    // Asked at every hold: the atom is interned once, for Qt's one connection.
    static const xcb_atom_t atom = [connection] {
        const std::string name = "_NET_WM_CM_S" + std::to_string(defaultScreenNumber());
        auto reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
            nullptr);
        const xcb_atom_t interned = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return interned;
    }();
    if (atom == XCB_ATOM_NONE)
        return false;
    auto ownerReply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom), nullptr);
    if (!ownerReply)
        return false;
    const bool owned = ownerReply->owner != XCB_NONE;
    std::free(ownerReply);
    return owned;
}

std::function<QRect(const Rect&)> rootPlacement(std::function<QPointF(Point)> desktopToRoot,
                                                std::function<double()> pixelsPerPoint) {
    return [toRoot = std::move(desktopToRoot), scale = std::move(pixelsPerPoint)](const Rect& r) {
        // The top-left corner in desktop terms is the one with the largest y.
        const QPointF root = toRoot({r.minX(), r.maxY()});
        const double ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        const double k = scale() / ratio;
        return QRect(static_cast<int>(std::lround(root.x() / ratio)),
                     static_cast<int>(std::lround(root.y() / ratio)),
                     static_cast<int>(std::lround(r.width() * k)),
                     static_cast<int>(std::lround(r.height() * k)));
    };
}

OverlayPlatform x11OverlayPlatform(std::function<QRect(const Rect&)> toNative) {
    return {std::move(toNative), &x11HasCompositor, &setInputShape, {}};
}

void OverlayStack::add(QWidget* window, int level) {
    entries_.push_back({window, level});
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.level < b.level; });
}

void OverlayStack::raiseAll() {
    for (auto& entry : entries_)
        if (entry.window && entry.window->isVisible())
            entry.window->raise();
}

Qt::WindowFlags overlayWindowFlags() {
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
           Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint;
}

} // namespace vx
