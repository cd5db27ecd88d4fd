// Every user-visible text is looked up in Qt's translations with its English
// text as the key, in one context. Installing this at start-up routes core's
// vx::localized through QCoreApplication::translate.
#pragma once

#include <QLocale>
#include <QString>

namespace vx::qt {

// The one translation context of the program.
inline constexpr const char* translationContext = "vortaxis";

// Loads the translation for `locale` (the installed file next to the program
// first, the built-in one otherwise), installs it in the application and hands
// core its translator. Returns whether a translation for the locale was found;
// English needs none. Call again to switch languages.
bool installTranslations(const QLocale& locale = QLocale());

// Where installed translation files live, relative to the program.
QString installedTranslationsDirectory();

} // namespace vx::qt
