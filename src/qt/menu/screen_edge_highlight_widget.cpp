// Drawing of the target display's outline.
#include "qt/menu/screen_edge_highlight_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace vx {

namespace {

QColor green(double opacity) {
    return QColor::fromRgbF(0.2f, 0.78f, 0.35f, static_cast<float>(opacity));
}

QPainterPath roundedFrame(const Rect& r, double radius) {
    QPainterPath path;
    const double rr = std::min({radius, r.width() / 2, r.height() / 2});
    path.addRoundedRect(QRectF(r.origin.x, r.origin.y, r.width(), r.height()), rr, rr);
    return path;
}

} // namespace

ScreenEdgeHighlightWidget::ScreenEdgeHighlightWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ScreenEdgeHighlightWidget::setComposited(bool composited) {
    if (composited == composited_)
        return;
    composited_ = composited;
    applyShape();
    update();
}

void ScreenEdgeHighlightWidget::applyShape() {
    if (composited_) {
        clearMask();
        return;
    }
    // Four straight sides (and squared corners) suffice: a mask of rounded
    // corners would leave jagged stair steps anyway.
    const Rect outer = view_.frameRect({double(width()), double(height())});
    const QRect o(
        static_cast<int>(std::floor(outer.origin.x)), static_cast<int>(std::floor(outer.origin.y)),
        static_cast<int>(std::ceil(outer.width())), static_cast<int>(std::ceil(outer.height())));
    const int w = static_cast<int>(std::ceil(view_.lineWidth));
    QRegion frame(o);
    if (o.width() > 2 * w && o.height() > 2 * w)
        frame = frame.subtracted(QRegion(o.adjusted(w, w, -w, -w)));
    setMask(frame.isEmpty() ? QRegion(0, 0, 1, 1) : frame);
}

void ScreenEdgeHighlightWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!composited_)
        applyShape();
}

void ScreenEdgeHighlightWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Size size{double(width()), double(height())};
    const Rect frame = view_.frameRect(size);
    if (frame.width() <= 0 || frame.height() <= 0)
        return;
    // The line is stroked inside the frame's edge.
    const double half = view_.lineWidth / 2;
    const Rect centreLine{frame.origin.x + half, frame.origin.y + half,
                          std::max(frame.width() - view_.lineWidth, 0.0),
                          std::max(frame.height() - view_.lineWidth, 0.0)};
    const QPainterPath line = roundedFrame(centreLine, std::max(view_.cornerRadius - half, 0.0));

    if (composited_) {
        // The glow: the same line widened in fading steps, beneath it.
        for (int i = 5; i >= 1; --i) {
            QPen glow(green(0.55 * 0.16 * (6 - i) / 5.0));
            glow.setWidthF(view_.lineWidth + 4.0 * i);
            glow.setJoinStyle(Qt::MiterJoin);
            p.strokePath(line, glow);
        }
    } else {
        p.fillRect(rect(), green(1.0).darker(115));
    }
    QPen pen(green(composited_ ? 0.95 : 1.0));
    pen.setWidthF(view_.lineWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    p.strokePath(line, pen);
}

} // namespace vx
