// The overlay windows behind the menu and outline controllers.
#include "qt/menu/overlay_panels.h"

namespace vx {

QtMenuPanel::QtMenuPanel(RadialMenuModel& model, Size size, OverlayPlatform platform,
                         std::shared_ptr<OverlayStack> stack)
    : platform_(std::move(platform)), stack_(std::move(stack)),
      view_(std::make_unique<RadialMenuView>(model)) {
    view_->setWindowFlags(overlayWindowFlags());
    // Names for window rules, xprop and the tests; never shown by a manager,
    // since the overlays bypass it.
    view_->setWindowTitle(QString::fromLatin1(menuWindowTitle));
    view_->resize(static_cast<int>(size.width), static_cast<int>(size.height));
    stack_->add(view_.get(), menuOverlayLevel);
}

QtMenuPanel::~QtMenuPanel() = default;

void QtMenuPanel::setFrame(const Rect& frame) {
    const QRect geometry = platform_.toNative(frame);
    view_->setGeometry(geometry);
    if (platform_.place)
        platform_.place(*view_, geometry);
    view_->update();
}

void QtMenuPanel::orderFrontRegardless() {
    // A compositor may have started or stopped since the last gesture.
    view_->setComposited(platform_.hasCompositor());
    view_->show();
    if (platform_.shown)
        platform_.shown(*view_);
    // Only the hub takes clicks; the rest of the square lets them through.
    platform_.setInputRegion(*view_, view_->hubRegion());
    stack_->raiseAll();
}

void QtMenuPanel::orderOut() {
    view_->hide();
}

QtOutlinePanel::QtOutlinePanel(OverlayPlatform platform, std::shared_ptr<OverlayStack> stack)
    : platform_(std::move(platform)), stack_(std::move(stack)),
      widget_(std::make_unique<ScreenEdgeHighlightWidget>()) {
    widget_->setWindowFlags(overlayWindowFlags() | Qt::WindowTransparentForInput);
    widget_->setWindowTitle(QStringLiteral("Vortaxis outline"));
    stack_->add(widget_.get(), outlineOverlayLevel);
}

QtOutlinePanel::~QtOutlinePanel() = default;

void QtOutlinePanel::setFrame(const Rect& frame) {
    const QRect geometry = platform_.toNative(frame);
    widget_->setGeometry(geometry);
    if (platform_.place)
        platform_.place(*widget_, geometry);
    widget_->update();
}

void QtOutlinePanel::orderFrontRegardless() {
    widget_->setComposited(platform_.hasCompositor());
    widget_->show();
    if (platform_.shown)
        platform_.shown(*widget_);
    // Every click passes through, also where the line is drawn.
    platform_.setInputRegion(*widget_, QRegion());
    stack_->raiseAll();
}

void QtOutlinePanel::orderOut() {
    widget_->hide();
}

OverlayPanelFactories makeOverlayPanelFactories(OverlayPlatform platform) {
    auto stack = std::make_shared<OverlayStack>();
    return {
        [platform, stack](RadialMenuModel& model, Size size) -> std::unique_ptr<OverlayPanelHost> {
            return std::make_unique<QtMenuPanel>(model, size, platform, stack);
        },
        [platform, stack]() -> std::unique_ptr<OverlayPanelHost> {
            return std::make_unique<QtOutlinePanel>(platform, stack);
        },
    };
}

} // namespace vx
