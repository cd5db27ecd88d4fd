// Symbol names to theme icons and bundled drawings.
#include "qt/settings/symbol_icons.h"

#include <QFile>
#include <QPainter>
#include <map>

namespace vx::qt {

namespace {

struct SymbolEntry {
    const char* bundled;
    QStringList themeNames;
};

const std::map<std::string, SymbolEntry>& symbolTable() {
    static const std::map<std::string, SymbolEntry> table{
        {"keyboard", {"keyboard", {"input-keyboard-symbolic", "input-keyboard"}}},
        {"keyboard.fill", {"keyboard", {"input-keyboard-symbolic", "input-keyboard"}}},
        {"record.circle", {"record.circle", {"media-record-symbolic", "media-record"}}},
        {"timer", {"timer", {"alarm-symbolic", "chronometer"}}},
        {"checkmark.shield.fill",
         {"checkmark.shield.fill", {"security-high-symbolic", "security-high"}}},
        {"exclamationmark.shield.fill",
         {"exclamationmark.shield.fill", {"security-low-symbolic", "security-low"}}},
        {"arrow.clockwise", {"arrow.clockwise", {"view-refresh-symbolic", "view-refresh"}}},
        {"lock.open", {"lock.open", {"changes-allow-symbolic", "changes-allow"}}},
        {"arrow.triangle.2.circlepath",
         {"arrow.triangle.2.circlepath",
          {"software-update-available-symbolic", "system-software-update"}}},
        {"circle.grid.cross", {"circle.grid.cross", {"vortaxis-symbolic", "vortaxis"}}},
    };
    return table;
}

} // namespace

QStringList themeNamesForSymbol(const std::string& symbol) {
    const auto it = symbolTable().find(symbol);
    return it == symbolTable().end() ? QStringList() : it->second.themeNames;
}

QString bundledSymbolPath(const std::string& symbol) {
    const auto it = symbolTable().find(symbol);
    if (it == symbolTable().end())
        return {};
    return QStringLiteral(":/vortaxis/symbols/%1.svg").arg(QString::fromLatin1(it->second.bundled));
}

QIcon symbolIcon(const std::string& symbol) {
    for (const auto& name : themeNamesForSymbol(symbol))
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    const QString path = bundledSymbolPath(symbol);
    if (path.isEmpty() || !QFile::exists(path))
        return {};
    return QIcon(path);
}

QPixmap tintedSymbol(const std::string& symbol, const QColor& tint, int size,
                     qreal devicePixelRatio) {
    const QIcon icon = symbolIcon(symbol);
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    if (!icon.isNull()) {
        QPainter painter(&pixmap);
        icon.paint(&painter, QRect(0, 0, pixels, pixels));
        // Keep the shape, take the colour: the icon becomes a one-colour symbol.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), tint);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

} // namespace vx::qt
