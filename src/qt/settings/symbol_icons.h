// The program names its icons by system symbol ("keyboard", "lock.open" ...).
// Here each name maps to the freedesktop icon theme, with a bundled drawing
// when the theme has none, and icons are tinted to a single colour so that any
// theme's icon reads as the symbol the window expects.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringList>
#include <string>

namespace vx::qt {

// Theme names to try, most specific first; empty for an unknown symbol.
QStringList themeNamesForSymbol(const std::string& symbol);

// The theme's icon, else the bundled one; a null icon for an unknown symbol.
QIcon symbolIcon(const std::string& symbol);

// The symbol drawn in one colour at `size` device-independent pixels.
QPixmap tintedSymbol(const std::string& symbol, const QColor& tint, int size,
                     qreal devicePixelRatio = 1.0);

// The bundled drawing only (resource path), for tests and for the fallback.
QString bundledSymbolPath(const std::string& symbol);

} // namespace vx::qt
