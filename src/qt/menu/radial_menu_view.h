// The radial menu as the user sees it: a translucent ring, the tinted wedge
// that slides to the aimed sector, and the hub with the target application's
// icon leaning toward the pointer. It only repaints while something moves.
#pragma once

#include "core/base/image.h"
#include "core/base/observable.h"
#include "core/menu/radial_menu_layout.h"
#include "core/menu/radial_menu_model.h"
#include "core/menu/spring.h"

#include <QAbstractAnimation>
#include <QEasingCurve>
#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <QVariantAnimation>
#include <QWidget>
#include <optional>
#include <vector>

namespace vx {

// The path of a shape in Qt's terms.
QPainterPath toPainterPath(const Path& path);

// The shared 0.22 s ease-in-out of the wedge's slide and fade.
QEasingCurve highlightEasing();
inline constexpr int highlightDurationMs = 220;

// Drives the hub's two springs from Qt's animation clock; stops once both rest.
class SpringAnimation final : public QAbstractAnimation {
    Q_OBJECT
public:
    SpringAnimation(Spring& x, Spring& y, QObject* parent);
    int duration() const override { return -1; }

signals:
    void stepped();

protected:
    void updateCurrentTime(int currentTime) override;
    void updateState(QAbstractAnimation::State newState,
                     QAbstractAnimation::State oldState) override;

private:
    Spring& x_;
    Spring& y_;
    int last_ = 0;
};

class RadialMenuView final : public QWidget {
    Q_OBJECT
public:
    enum class Look {
        layered, // tinted fill with its two gradients
        plain,   // flat tinted fill and stroke
    };

    RadialMenuView(RadialMenuModel& model, QWidget* parent = nullptr);
    ~RadialMenuView() override;

    const RadialMenuLayout& layout() const { return layout_; }

    // Without a compositor translucency cannot be shown: the window is cut to
    // the ring and the hub and painted opaque.
    void setComposited(bool composited);
    bool isComposited() const { return composited_; }
    void setLook(Look look);

    // The ring and hub as the window's shape, and the hub alone, in widget coordinates.
    QRegion shapeRegion() const;
    QRegion hubRegion() const;

    // Observing the drawing from tests and the panel.
    bool isAnimating() const;
    double shownAngleDegrees() const { return shownAngle_; }
    double shownWedgeOpacity() const { return shownOpacity_; }
    double shownLookX() const { return springX_.value(); }
    double shownLookY() const { return springY_.value(); }
    int repaintRequests() const { return repaintRequests_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void requestRepaint();
    void animate(QVariantAnimation& animation, double& shown, double target);
    void onLookChanged();
    void rebuildIcon();
    struct HubIcon {
        QImage group;  // the hub's icon group, rounded, at four times its size
        QImage shadow; // its blurred silhouette
    };
    HubIcon renderIcon(const Image* source) const;
    void applyShape();
    QPointF toLayout(QPointF widgetPoint) const;

    void paintRing(QPainter& p) const;
    void paintWedge(QPainter& p) const;
    void paintHub(QPainter& p) const;

    RadialMenuModel& model_;
    RadialMenuLayout layout_;
    bool composited_ = true;
    Look look_ = Look::layered;

    double shownAngle_ = 0;
    double shownOpacity_ = 0;
    QVariantAnimation angleAnimation_;
    QVariantAnimation opacityAnimation_;
    Spring springX_{0.2, 0.78};
    Spring springY_{0.2, 0.78};
    SpringAnimation springAnimation_;

    HubIcon icon_;
    // The blur costs milliseconds at every hold otherwise, and the target is
    // mostly the same application again: the last icon and the fallback
    // symbol are kept rendered.
    std::optional<Image> lastSource_;
    HubIcon lastIcon_;
    std::optional<HubIcon> fallbackIcon_;
    bool pressedInHub_ = false;
    int repaintRequests_ = 0;
    std::vector<Subscription> subscriptions_;
};

} // namespace vx
