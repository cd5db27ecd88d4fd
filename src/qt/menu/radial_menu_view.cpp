// Drawing and motion of the radial menu.
#include "qt/menu/radial_menu_view.h"

#include "core/base/localization.h"

#include <QHelpEvent>
#include <QLineF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace vx {

namespace {

constexpr double radToDeg = 180 / std::numbers::pi;
// The icon group is prepared at this multiple of its size on screen, so that
// it stays sharp when tilted and on scaled displays.
constexpr double iconOversampling = 4;

QColor withAlpha(const Color& c, double alpha) {
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue), static_cast<float>(c.alpha * alpha));
}

// Fills that stand in for the platform's translucent materials. Without a
// compositor they are painted opaque, as they would look over a light desktop.
// A light body alone vanishes over a white window, so every edge (the ring's
// two and the hub's) is drawn darker, and with a compositor a soft shadow
// falls around the disc; over black the light body itself stands out.
struct Palette {
    QColor ring;
    QColor hub;
    QColor outerEdge;
    QColor innerEdge;
    QColor shadow; // transparent: no shadow
};

Palette paletteFor(bool composited) {
    if (composited)
        return {QColor(236, 236, 241, 214), QColor(244, 244, 248, 214), QColor(0, 0, 0, 84),
                QColor(0, 0, 0, 64), QColor(0, 0, 0, 72)};
    return {QColor(232, 232, 237), QColor(244, 244, 247), QColor(150, 150, 158),
            QColor(192, 192, 198), Qt::transparent};
}

constexpr double shadowReach = 9; // points beyond the disc, inside the view's margin

// The icon's tilt: about the horizontal axis by `aboutX`, then about the
// vertical one by `aboutY` (degrees), seen in perspective from `distance`. The
// edge toward the pointer comes toward the viewer, which its shadow follows.
QTransform tilt(double aboutXDegrees, double aboutYDegrees, double distance) {
    const double phi = -aboutXDegrees / radToDeg;  // positive: top edge toward the viewer
    const double theta = aboutYDegrees / radToDeg; // positive: right edge toward the viewer
    return QTransform(std::cos(theta), 0, -std::sin(theta) / distance,
                      std::sin(phi) * std::sin(theta), std::cos(phi),
                      std::sin(phi) * std::cos(theta) / distance, 0, 0, 1);
}

// Three box blurs approximate a Gaussian of about `radius` pixels.
QImage blurredSilhouette(const QImage& source, int radius, int pad, double opacity) {
    const int w = source.width() + 2 * pad, h = source.height() + 2 * pad;
    std::vector<double> a(static_cast<std::size_t>(w * h), 0.0), tmp(a.size());
    for (int y = 0; y < source.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            a[static_cast<std::size_t>((y + pad) * w + x + pad)] = qAlpha(line[x]) / 255.0;
    }
    const int box = std::max(1, radius / 2);
    auto pass = [&](bool horizontal) {
        const int len = horizontal ? w : h, lines = horizontal ? h : w;
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> std::size_t {
                return static_cast<std::size_t>(horizontal ? l * w + i : i * w + l);
            };
            double sum = 0;
            for (int i = -box; i <= box; ++i)
                sum += (i >= 0 && i < len) ? a[at(i)] : 0;
            for (int i = 0; i < len; ++i) {
                tmp[at(i)] = sum / (2 * box + 1);
                const int out = i - box, in = i + box + 1;
                sum -= (out >= 0) ? a[at(out)] : 0;
                sum += (in < len) ? a[at(in)] : 0;
            }
        }
        std::swap(a, tmp);
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int alpha = static_cast<int>(std::lround(
                std::clamp(a[static_cast<std::size_t>(y * w + x)] * opacity, 0.0, 1.0) * 255));
            line[x] = qRgba(0, 0, 0, alpha);
        }
    }
    return out;
}

// Two arrows pointing out to opposite corners: "maximize" without an icon.
void paintFallbackSymbol(QPainter& p, double side) {
    const double glyph = 0.45 * side; // the symbol's point size
    const double c = side / 2;
    const double reach = glyph * 0.55; // centre to arrow tip
    const double gapFromCentre = glyph * 0.12;
    const double head = glyph * 0.3;
    QPen pen(QColor(60, 60, 67, 153)); // secondary label colour
    pen.setWidthF(glyph * 0.1);        // semibold strokes
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (const double dir : {-1.0, 1.0}) {
        const QPointF tip(c + dir * reach, c + dir * reach);
        const QPointF tail(c + dir * gapFromCentre, c + dir * gapFromCentre);
        p.drawLine(tail, tip);
        QPainterPath h;
        h.moveTo(tip.x() - dir * head, tip.y());
        h.lineTo(tip);
        h.lineTo(tip.x(), tip.y() - dir * head);
        p.drawPath(h);
    }
}

} // namespace

QPainterPath toPainterPath(const Path& path) {
    // Where an arc starts or the outline closes a hair away from the current
    // point, the end of the previous piece is moved onto it: a stroke would
    // otherwise join at a segment of no real direction and throw a miter spike.
    constexpr double snap = 0.02;
    auto snapCurrentTo = [](QPainterPath& out, QPointF target) {
        const int last = out.elementCount() - 1;
        if (last < 0)
            return;
        const QPointF current = out.currentPosition();
        if (current != target && QLineF(current, target).length() < snap)
            out.setElementPositionAt(last, target.x(), target.y());
    };
    QPainterPath out;
    QPointF subpathStart;
    for (const auto& element : path) {
        if (const auto* m = std::get_if<MoveTo>(&element)) {
            out.moveTo(m->to.x, m->to.y);
            subpathStart = out.currentPosition();
        } else if (const auto* l = std::get_if<LineTo>(&element)) {
            out.lineTo(l->to.x, l->to.y);
        } else if (const auto* a = std::get_if<ArcTo>(&element)) {
            const Point start = arcStart(*a);
            snapCurrentTo(out, QPointF(start.x, start.y));
            // Qt measures arcs counter-clockwise on screen; view angles grow clockwise.
            const QRectF box(a->center.x - a->radius, a->center.y - a->radius, 2 * a->radius,
                             2 * a->radius);
            out.arcTo(box, -a->startAngle * radToDeg, -sweep(*a) * radToDeg);
        } else {
            snapCurrentTo(out, subpathStart);
            out.closeSubpath();
        }
    }
    return out;
}

QEasingCurve highlightEasing() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

SpringAnimation::SpringAnimation(Spring& x, Spring& y, QObject* parent)
    : QAbstractAnimation(parent), x_(x), y_(y) {}

void SpringAnimation::updateCurrentTime(int currentTime) {
    const double dt = (currentTime - last_) / 1000.0;
    last_ = currentTime;
    x_.step(dt);
    y_.step(dt);
    emit stepped();
    if (x_.isSettled() && y_.isSettled())
        stop();
}

void SpringAnimation::updateState(QAbstractAnimation::State newState, QAbstractAnimation::State) {
    if (newState == QAbstractAnimation::Running)
        last_ = currentTime();
}

RadialMenuView::RadialMenuView(RadialMenuModel& model, QWidget* parent)
    : QWidget(parent), model_(model), springAnimation_(springX_, springY_, this) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(static_cast<int>(layout_.size), static_cast<int>(layout_.size));

    for (auto* animation : {&angleAnimation_, &opacityAnimation_}) {
        animation->setDuration(highlightDurationMs);
        animation->setEasingCurve(highlightEasing());
    }
    connect(&angleAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        shownAngle_ = v.toDouble();
        requestRepaint();
    });
    connect(&opacityAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        shownOpacity_ = v.toDouble();
        requestRepaint();
    });
    connect(&springAnimation_, &SpringAnimation::stepped, this, [this] { requestRepaint(); });

    shownAngle_ = model_.highlightAngleDegrees;
    shownOpacity_ = model_.isHighlightVisible ? 1 : 0;
    springX_.reset(model_.hubLookX);
    springY_.reset(model_.hubLookY);
    rebuildIcon();

    subscriptions_.push_back(model_.highlightAngleDegrees.observe(
        [this](double angle) { animate(angleAnimation_, shownAngle_, angle); }));
    subscriptions_.push_back(model_.isHighlightVisible.observe(
        [this](bool visible) { animate(opacityAnimation_, shownOpacity_, visible ? 1 : 0); }));
    subscriptions_.push_back(
        model_.highlightTint.observe([this](const Color&) { requestRepaint(); }));
    subscriptions_.push_back(model_.hubLookX.observe([this](double) { onLookChanged(); }));
    subscriptions_.push_back(model_.hubLookY.observe([this](double) { onLookChanged(); }));
    subscriptions_.push_back(model_.observeTargetApp([this](const auto&) {
        rebuildIcon();
        requestRepaint();
    }));
}

RadialMenuView::~RadialMenuView() = default;

void RadialMenuView::setComposited(bool composited) {
    if (composited == composited_)
        return;
    composited_ = composited;
    applyShape();
    requestRepaint();
}

void RadialMenuView::setLook(Look look) {
    if (look == look_)
        return;
    look_ = look;
    requestRepaint();
}

bool RadialMenuView::isAnimating() const {
    return angleAnimation_.state() == QAbstractAnimation::Running ||
           opacityAnimation_.state() == QAbstractAnimation::Running ||
           springAnimation_.state() == QAbstractAnimation::Running;
}

void RadialMenuView::requestRepaint() {
    ++repaintRequests_;
    update();
}

void RadialMenuView::animate(QVariantAnimation& animation, double& shown, double target) {
    animation.stop();
    if (model_.currentAnimation() == ModelAnimation::none) {
        shown = target;
        requestRepaint();
        return;
    }
    // From wherever the wedge is now, so a change mid-slide does not jump.
    animation.setStartValue(shown);
    animation.setEndValue(target);
    animation.start();
}

void RadialMenuView::onLookChanged() {
    const double x = model_.hubLookX, y = model_.hubLookY;
    if (model_.currentAnimation() == ModelAnimation::none) {
        springAnimation_.stop();
        springX_.reset(x);
        springY_.reset(y);
        requestRepaint();
        return;
    }
    springX_.setTarget(x);
    springY_.setTarget(y);
    if (springAnimation_.state() != QAbstractAnimation::Running)
        springAnimation_.start();
}

void RadialMenuView::rebuildIcon() {
    const auto& app = model_.targetApp();
    const Image* source = app && app->icon && app->icon->isValid() ? &*app->icon : nullptr;
    if (!source) {
        if (!fallbackIcon_)
            fallbackIcon_ = renderIcon(nullptr);
        icon_ = *fallbackIcon_;
        return;
    }
    if (lastSource_ != *source) {
        lastIcon_ = renderIcon(source);
        lastSource_ = *source;
    }
    icon_ = lastIcon_;
}

RadialMenuView::HubIcon RadialMenuView::renderIcon(const Image* source) const {
    const double s = layout_.iconSize();
    const int n = static_cast<int>(std::ceil(s * iconOversampling));
    QImage group(n, n, QImage::Format_ARGB32_Premultiplied);
    group.fill(Qt::transparent);
    QPainter p(&group);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (source) {
        const QImage image(source->rgba.data(), source->width, source->height, source->width * 4,
                           QImage::Format_RGBA8888);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(0, 0, n, n), 0.44 * n, 0.44 * n);
        p.setClipPath(clip);
        // Scaled to fit, centred.
        const QSizeF fitted =
            QSizeF(source->width, source->height).scaled(n, n, Qt::KeepAspectRatio);
        const QRectF target((n - fitted.width()) / 2, (n - fitted.height()) / 2, fitted.width(),
                            fitted.height());
        p.drawImage(target, image);
    } else {
        paintFallbackSymbol(p, n);
    }
    p.end();
    const int blur = static_cast<int>(std::lround(1.6 * iconOversampling));
    return {group, blurredSilhouette(group, blur, 2 * blur, 0.16)};
}

QRegion RadialMenuView::shapeRegion() const {
    const double k = width() / layout_.size;
    const auto c = layout_.center();
    auto disc = [&](double r) {
        return QRegion(QRect(static_cast<int>(std::floor((c.x - r) * k)),
                             static_cast<int>(std::floor((c.y - r) * k)),
                             static_cast<int>(std::ceil(2 * r * k)),
                             static_cast<int>(std::ceil(2 * r * k))),
                       QRegion::Ellipse);
    };
    return disc(layout_.outer)
        .subtracted(disc(layout_.inner))
        .united(disc(layout_.hubDiameter() / 2));
}

QRegion RadialMenuView::hubRegion() const {
    const double k = width() / layout_.size;
    const auto c = layout_.center();
    const double r = layout_.hubDiameter() / 2;
    return QRegion(QRect(static_cast<int>(std::floor((c.x - r) * k)),
                         static_cast<int>(std::floor((c.y - r) * k)),
                         static_cast<int>(std::ceil(2 * r * k)),
                         static_cast<int>(std::ceil(2 * r * k))),
                   QRegion::Ellipse);
}

void RadialMenuView::applyShape() {
    if (composited_)
        clearMask();
    else
        setMask(shapeRegion());
}

void RadialMenuView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!composited_)
        applyShape();
}

QPointF RadialMenuView::toLayout(QPointF widgetPoint) const {
    const double k = width() / layout_.size;
    return widgetPoint / k;
}

void RadialMenuView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const double k = width() / layout_.size;
    p.scale(k, k);
    paintRing(p);
    paintWedge(p);
    paintHub(p);
}

void RadialMenuView::paintRing(QPainter& p) const {
    const auto palette = paletteFor(composited_);
    const QPointF c(layout_.center().x, layout_.center().y);
    const double outer = layout_.outer, inner = layout_.inner;
    if (palette.shadow.alpha() > 0) {
        // Fades from the disc's edge to nothing; the disc covers its inside.
        QRadialGradient falloff(c, outer + shadowReach);
        const double edge = outer / (outer + shadowReach);
        falloff.setColorAt(edge - 0.01, palette.shadow);
        falloff.setColorAt(edge, palette.shadow);
        QColor clear = palette.shadow;
        clear.setAlpha(0);
        falloff.setColorAt(1, clear);
        QPainterPath halo;
        halo.setFillRule(Qt::OddEvenFill);
        halo.addEllipse(c, outer + shadowReach, outer + shadowReach);
        halo.addEllipse(c, outer, outer);
        p.fillPath(halo, falloff);
    }
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addEllipse(c, outer, outer);
    ring.addEllipse(c, inner, inner);
    p.fillPath(ring, palette.ring);

    // Both edges, drawn inside the ring so that the window's shape keeps them.
    p.save();
    p.setClipPath(ring);
    p.setBrush(Qt::NoBrush);
    for (const auto& [radius, width, colour] : {std::tuple{outer - 0.75, 1.5, palette.outerEdge},
                                                std::tuple{inner + 0.5, 1.0, palette.innerEdge}}) {
        QPen pen(colour);
        pen.setWidthF(width);
        p.setPen(pen);
        p.drawEllipse(c, radius, radius);
    }
    p.restore();
}

void RadialMenuView::paintWedge(QPainter& p) const {
    if (shownOpacity_ <= 0)
        return;
    const Color tint = model_.highlightTint;
    const QPainterPath wedge = toPainterPath(layout_.wedge(shownAngle_).path(layout_.bounds()));
    const QRectF frame(0, 0, layout_.size, layout_.size);
    p.save();
    p.setOpacity(shownOpacity_);
    if (look_ == Look::layered) {
        p.fillPath(wedge, withAlpha(tint, 0.85));
        QLinearGradient diagonal(frame.topLeft(), frame.bottomRight());
        diagonal.setColorAt(0, withAlpha(tint, 0.55));
        diagonal.setColorAt(0.5, withAlpha(tint, 0.38));
        diagonal.setColorAt(1, withAlpha(tint, 0.48));
        p.fillPath(wedge, diagonal);
        QLinearGradient sheen(frame.topLeft(), frame.bottomLeft());
        sheen.setColorAt(0, QColor(255, 255, 255, 71));
        sheen.setColorAt(0.5, QColor(255, 255, 255, 13));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        p.fillPath(wedge, sheen);
    } else {
        p.fillPath(wedge, withAlpha(tint, 0.52));
        QPen pen(withAlpha(tint, 0.9));
        pen.setWidthF(1.75);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(10);
        p.strokePath(wedge, pen);
    }
    p.restore();
}

void RadialMenuView::paintHub(QPainter& p) const {
    const auto palette = paletteFor(composited_);
    const QPointF c(layout_.center().x, layout_.center().y);
    const double d = layout_.hubDiameter();
    QPen edge(palette.innerEdge);
    edge.setWidthF(1.0);
    p.setPen(edge);
    p.setBrush(palette.hub);
    p.drawEllipse(c, d / 2 - 0.5, d / 2 - 0.5);

    const double s = layout_.iconSize();
    const auto lean = RadialMenuLayout::lean(springX_.value(), springY_.value());
    const QTransform tilted = tilt(lean.aboutXDegrees, lean.aboutYDegrees, s / 0.95);
    const QTransform base = p.worldTransform();
    const double n = icon_.group.width();
    const double scale = s / n;

    p.save();
    const double pad = (icon_.shadow.width() - n) / 2;
    p.setWorldTransform(
        QTransform::fromTranslate(-n / 2 - pad, -n / 2 - pad) *
        QTransform::fromScale(scale, scale) * tilted *
        QTransform::fromTranslate(c.x() + lean.shadowOffset.x, c.y() + lean.shadowOffset.y) * base);
    p.drawImage(QPointF(0, 0), icon_.shadow);
    p.setWorldTransform(QTransform::fromTranslate(-n / 2, -n / 2) *
                        QTransform::fromScale(scale, scale) * tilted *
                        QTransform::fromTranslate(c.x(), c.y()) * base);
    p.drawImage(QPointF(0, 0), icon_.group);
    p.restore();
}

void RadialMenuView::mousePressEvent(QMouseEvent* event) {
    const auto pos = toLayout(event->position());
    pressedInHub_ = event->button() == Qt::LeftButton && layout_.isInHub({pos.x(), pos.y()});
    if (pressedInHub_)
        event->accept();
    else
        event->ignore(); // the ring and the wedge do nothing
}

void RadialMenuView::mouseReleaseEvent(QMouseEvent* event) {
    const auto pos = toLayout(event->position());
    const bool wasPressed = std::exchange(pressedInHub_, false);
    if (wasPressed && event->button() == Qt::LeftButton && layout_.isInHub({pos.x(), pos.y()})) {
        event->accept();
        model_.centerTap();
        return;
    }
    event->ignore();
}

bool RadialMenuView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto pos = toLayout(help->pos());
        if (layout_.isInHub({pos.x(), pos.y()})) {
            QToolTip::showText(
                help->globalPos(),
                QString::fromStdString(localized("Click to maximize on the target screen")), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

} // namespace vx
