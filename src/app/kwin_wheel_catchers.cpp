// The menu's own square is left out of each catcher's input, so the hub
// takes its click whichever of the two KWin stacks on top; a catcher draws
// nothing, so it never hides the menu either.
#include "app/kwin_wheel_catchers.h"

#include "kwin/kwin_bridge.h"

#include <QApplication>
#include <QRegion>

namespace vx {

KWinWheelCatchers::KWinWheelCatchers(kwin::KWinBridge& bridge, OverlayPlatform platform)
    : bridge_(bridge), platform_(std::move(platform)) {}

KWinWheelCatchers::~KWinWheelCatchers() = default;

void KWinWheelCatchers::setShown(bool shown) {
    windows_.clear();
    if (!shown)
        return;
    QRegion menu;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == QLatin1String("Vortaxis menu"))
            menu += window->geometry();
    for (const auto& output : bridge_.desktop().outputs) {
        auto window = std::make_unique<QWidget>();
        window->setWindowFlags(overlayWindowFlags());
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setWindowTitle(QStringLiteral("Vortaxis wheel %1").arg(output.name));
        window->setGeometry(output.frame);
        if (platform_.place)
            platform_.place(*window, output.frame);
        window->show();
        if (platform_.shown)
            platform_.shown(*window);
        platform_.setInputRegion(*window, QRegion(QRect(QPoint(), output.frame.size())) -
                                              menu.translated(-output.frame.topLeft()));
        windows_.push_back(std::move(window));
    }
}

} // namespace vx
