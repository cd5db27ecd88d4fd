// The German translation ships inside the program and takes over the texts
// under a German locale; English comes back when the locale does.
#include "core/base/localization.h"
#include "qt/settings/translations.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(Translations, GermanLocaleTranslatesAndEnglishComesBack) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(qt::installTranslations());
    EXPECT_EQ(localized("Quit"), "Beenden");
    EXPECT_EQ(localized("Vortaxis %1 is available — you have %2.", {"2.0", "1.0"}),
              "Vortaxis 2.0 ist verfügbar – du hast 1.0.");
    // A text the translation does not know stays English rather than empty.
    EXPECT_EQ(localized("Not a text of the program"), "Not a text of the program");
    QLocale::setDefault(saved);
    EXPECT_FALSE(qt::installTranslations(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    EXPECT_EQ(localized("Quit"), "Quit");
}
