// A wheel notch is 120 eighths of a degree; a touchpad sends pixel deltas.
#include "qt/overlay_wheel_scroll_source.h"

#include <QCoreApplication>
#include <QWheelEvent>

namespace vx {

OverlayWheelScrollSource::~OverlayWheelScrollSource() {
    stop();
}

std::optional<std::string> OverlayWheelScrollSource::start(Handlers handlers) {
    handlers_ = std::move(handlers);
    if (!started_) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(this);
        if (onActive_)
            onActive_(true);
    }
    started_ = true;
    return std::nullopt;
}

void OverlayWheelScrollSource::stop() {
    if (started_) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
        if (onActive_)
            onActive_(false);
    }
    started_ = false;
    handlers_ = {};
}

bool OverlayWheelScrollSource::eventFilter(QObject* watched, QEvent* event) {
    // Only the window's own event: the same wheel also reaches each widget.
    if (event->type() != QEvent::Wheel || !watched->isWindowType() || !handlers_.onScroll)
        return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    ScrollEvent scroll;
    scroll.isContinuous = !wheel->pixelDelta().isNull();
    scroll.pointDelta = wheel->pixelDelta().y();
    scroll.lineDelta = wheel->angleDelta().y() / 120.0;
    return handlers_.onScroll(scroll) == ScrollDisposition::swallow;
}

} // namespace vx
