// The menu's own square is left out of each catcher's input, so the hub
// takes its click whichever of the two KWin stacks on top; a catcher draws
// nothing, so it never hides the menu either.
#include "app/kwin_wheel_catchers.h"

#include "kwin/kwin_bridge.h"
#include "qt/menu/overlay_panels.h"

#include <QApplication>
#include <QRegion>

namespace vx {

KWinWheelCatchers::KWinWheelCatchers(kwin::KWinBridge& bridge, OverlayPlatform platform)
    : bridge_(bridge), platform_(std::move(platform)) {}

KWinWheelCatchers::~KWinWheelCatchers() = default;

void KWinWheelCatchers::setShown(bool shown) {
    if (!shown) {
        for (auto& window : windows_)
            window->hide();
        return;
    }
    // Made once per set of outputs, not at every gesture's start, where
    // the menu is being drawn.
    const auto& outputs = bridge_.desktop().outputs;
    while (windows_.size() > outputs.size())
        windows_.pop_back();
    while (windows_.size() < outputs.size()) {
        auto& window = windows_.emplace_back(std::make_unique<QWidget>());
        window->setWindowFlags(overlayWindowFlags());
        window->setAttribute(Qt::WA_TranslucentBackground);
        // Distinct: KWin's script places our windows by their titles.
        window->setWindowTitle(QStringLiteral("Vortaxis wheel %1").arg(windows_.size()));
    }
    QRegion menu;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == QLatin1String(menuWindowTitle))
            menu += window->geometry();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        QWidget& window = *windows_[i];
        const QRect& frame = outputs[i].frame;
        window.setGeometry(frame);
        if (platform_.place)
            platform_.place(window, frame);
        window.show();
        if (platform_.shown)
            platform_.shown(window);
        platform_.setInputRegion(window, QRegion(QRect(QPoint(), frame.size())) -
                                             menu.translated(-frame.topLeft()));
    }
}

} // namespace vx
