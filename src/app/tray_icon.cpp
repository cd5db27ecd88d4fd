// The theme's icons come first, so an icon theme may dress the program like
// the rest of the panel; the bundled tile is the last resort and carries its
// own contrast on light and dark panels alike.
#include "app/tray_icon.h"

#include <QDBusConnection>
#include <QDBusInterface>

namespace vx {

bool statusNotifierHostPresent() {
    QDBusInterface watcher(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus());
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

QIcon trayIcon(bool statusNotifierHost) {
    const QIcon tile = QIcon::fromTheme(QStringLiteral("vortaxis"),
                                        QIcon(QStringLiteral(":/vortaxis/icons/vortaxis.svg")));
    // The host recolours only an icon it finds by name in the same themes we
    // search: where we cannot find the symbol, neither can it, and the tile
    // goes as pixels instead.
    const QString symbolic = QStringLiteral("vortaxis-symbolic");
    if (statusNotifierHost && QIcon::hasThemeIcon(symbolic))
        return QIcon::fromTheme(symbolic);
    return tile;
}

} // namespace vx
