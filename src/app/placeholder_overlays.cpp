// The stand-in panels draw just enough to read in a screenshot: a ring with
// the aimed wedge filled, and a thin frame around the target display. The
// outline lets every click through (an empty input shape), so it never gets in
// the way of the window it surrounds.
#include "placeholder_overlays.h"

#include "core/window/screen_geometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <cmath>

namespace vx {

namespace {

constexpr Qt::WindowFlags overlayFlags = Qt::Tool | Qt::FramelessWindowHint |
                                         Qt::WindowDoesNotAcceptFocus |
                                         Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint;

void prepareOverlay(QWidget& widget) {
    widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.setFocusPolicy(Qt::NoFocus);
}

// Root pixels to the toolkit's logical pixels, which differ only when Qt scales.
QPoint toLogical(const QWidget& widget, QPointF rootPixels) {
    const double ratio = widget.devicePixelRatioF();
    return {static_cast<int>(std::lround(rootPixels.x() / ratio)),
            static_cast<int>(std::lround(rootPixels.y() / ratio))};
}

int logicalLength(const QWidget& widget, double points, double scale) {
    return static_cast<int>(std::lround(points * scale / widget.devicePixelRatioF()));
}

} // namespace

class PlaceholderRadialMenu::Panel final : public QWidget {
public:
    explicit Panel(PlaceholderRadialMenu& owner) : QWidget(nullptr, overlayFlags), owner_(owner) {
        prepareOverlay(*this);
        setObjectName(QStringLiteral("vortaxis-radial-menu"));
        setWindowTitle(QStringLiteral("Vortaxis menu"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(30, 30, 34));
        const QPointF c = QRectF(rect()).center();
        const double outer = width() * 0.48;
        const double hub = outer * hubRadius / (PlaceholderRadialMenu::size / 2);
        p.setPen(QPen(QColor(220, 220, 225), 2));
        p.drawEllipse(c, outer, outer);
        p.drawEllipse(c, hub, hub);
        if (owner_.highlighted_) {
            // Sectors count counter-clockwise from "right"; Qt's angles do too.
            const double start = static_cast<int>(*owner_.highlighted_) * 45.0 - 22.5;
            QPainterPath wedge;
            const QRectF box(c.x() - outer, c.y() - outer, 2 * outer, 2 * outer);
            wedge.arcMoveTo(box, start);
            wedge.arcTo(box, start, 45);
            wedge.arcTo(QRectF(c.x() - hub, c.y() - hub, 2 * hub, 2 * hub), start + 45, -45);
            wedge.closeSubpath();
            p.fillPath(wedge, QColor(80, 140, 255));
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPointF d = event->position() - QRectF(rect()).center();
        const double hub = width() * 0.48 * hubRadius / (PlaceholderRadialMenu::size / 2);
        if (std::hypot(d.x(), d.y()) <= hub && owner_.onCenterTap_) {
            auto tap = owner_.onCenterTap_;
            tap();
        }
    }

private:
    PlaceholderRadialMenu& owner_;
};

PlaceholderRadialMenu::PlaceholderRadialMenu(DesktopToRoot toRoot, ScaleFactor scale)
    : toRoot_(std::move(toRoot)), scale_(std::move(scale)) {}

PlaceholderRadialMenu::~PlaceholderRadialMenu() = default;

bool PlaceholderRadialMenu::isVisible() const {
    return panel_ && panel_->isVisible();
}

void PlaceholderRadialMenu::show(Point at, const std::optional<TargetAppInfo>&) {
    if (!panel_)
        panel_ = std::make_unique<Panel>(*this);
    center_ = at;
    highlighted_.reset();
    const int side = logicalLength(*panel_, size, scale_());
    panel_->resize(side, side);
    panel_->move(toLogical(*panel_, toRoot_(at)) - QPoint(side / 2, side / 2));
    panel_->show();
    panel_->raise();
    panel_->update();
}

void PlaceholderRadialMenu::setHighlightedSector(std::optional<LayoutSector> sector) {
    if (sector == highlighted_)
        return;
    highlighted_ = sector;
    if (panel_)
        panel_->update();
}

void PlaceholderRadialMenu::hide() {
    if (panel_)
        panel_->hide();
    highlighted_.reset();
}

void PlaceholderRadialMenu::setOnCenterTap(std::function<void()> callback) {
    onCenterTap_ = std::move(callback);
}

QWidget* PlaceholderRadialMenu::widget() const {
    return panel_.get();
}

class PlaceholderScreenHighlight::Outline final : public QWidget {
public:
    Outline() : QWidget(nullptr, overlayFlags | Qt::WindowTransparentForInput) {
        prepareOverlay(*this);
        setObjectName(QStringLiteral("vortaxis-screen-outline"));
        setWindowTitle(QStringLiteral("Vortaxis outline"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(80, 140, 255));
    }
};

PlaceholderScreenHighlight::PlaceholderScreenHighlight(DesktopToRoot toRoot, ScaleFactor scale)
    : toRoot_(std::move(toRoot)), scale_(std::move(scale)) {}

PlaceholderScreenHighlight::~PlaceholderScreenHighlight() = default;

void PlaceholderScreenHighlight::show(const Screen& screen) {
    if (!outline_)
        outline_ = std::make_unique<Outline>();
    // The desktop rect's top-left corner is its origin plus its height (y up).
    const QPoint topLeft =
        toLogical(*outline_, toRoot_({screen.frame.minX(), screen.frame.maxY()}));
    const QPoint bottomRight =
        toLogical(*outline_, toRoot_({screen.frame.maxX(), screen.frame.minY()}));
    outline_->setGeometry(QRect(topLeft, bottomRight - QPoint(1, 1)));
    // Only a frame of the display is painted; the inside shows what is beneath.
    const int border = std::max(2, logicalLength(*outline_, 4, scale_()));
    QRegion frame(outline_->rect());
    frame -= QRegion(outline_->rect().adjusted(border, border, -border, -border));
    outline_->setMask(frame);
    outline_->show();
    outline_->raise();
    active_ = displayID(screen);
}

void PlaceholderScreenHighlight::hide() {
    if (outline_)
        outline_->hide();
    active_.reset();
}

QWidget* PlaceholderScreenHighlight::widget() const {
    return outline_.get();
}

} // namespace vx
