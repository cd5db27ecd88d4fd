// The German translation ships inside the program and takes over every text,
// core's included, under a German locale; English comes back when the locale
// does.
#include "core/base/localization.h"
#include "fakes/fake_window_system.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/settings_window.h"
#include "qt/settings/translations.h"
#include "settings/settings_fakes.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace vx;

TEST(Translations, GermanLocaleTranslatesCoreAndWindowAndEnglishComesBack) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(qt::installTranslations());
    EXPECT_EQ(localized("Vortaxis %1 is available — you have %2.", {"2.0", "1.0"}),
              "Vortaxis 2.0 ist verfügbar – du hast 1.0.");
    // A text the translation does not know stays English rather than empty.
    EXPECT_EQ(localized("Not a text of the program"), "Not a text of the program");
    {
        test::InMemoryDefaultsStore store;
        test::FakeAccessTrust trust;
        PermissionService permissions(trust);
        HotkeyPreferences preferences(store);
        test::FakeKeySource keys;
        QtRunLoop loop;
        vx::testing::ScriptedFetcher network;
        AppUpdateService updates(loop, network, store, "0.1.0");
        qt::SettingsWindow window(permissions, preferences, updates, keys, nullptr);
        EXPECT_EQ(window.view()->quitButton()->text(), "Beenden");
    }
    QLocale::setDefault(saved);
    EXPECT_FALSE(qt::installTranslations(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    EXPECT_EQ(localized("Quit"), "Quit");
}
