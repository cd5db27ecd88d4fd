// Loading the translation and handing core its translator.
#include "qt/settings/translations.h"

#include "core/base/localization.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>
#include <memory>

namespace vx::qt {

QString installedTranslationsDirectory() {
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/vortaxis/translations"));
}

bool installTranslations(const QLocale& locale) {
    static std::unique_ptr<QTranslator> current;
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    auto translator = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("vortaxis");
    const QString separator = QStringLiteral("_");
    const bool found =
        translator->load(locale, name, separator, installedTranslationsDirectory()) ||
        translator->load(locale, name, separator, QStringLiteral(":/vortaxis/i18n"));
    if (found) {
        QCoreApplication::installTranslator(translator.get());
        current = std::move(translator);
    }
    vx::installTranslator([](std::string_view english) -> std::string {
        const std::string key(english);
        return QCoreApplication::translate(translationContext, key.c_str()).toStdString();
    });
    return found;
}

} // namespace vx::qt
