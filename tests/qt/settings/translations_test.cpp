// The German translation ships inside the program and takes over every text,
// core's included, under a German locale; English needs no file and comes back
// when the locale does.
#include "core/base/localization.h"
#include "core/settings/settings_texts.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_window.h"
#include "qt/settings/translations.h"
#include "settings_qt_fakes.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::qt;
using namespace vx::testing;

namespace {

struct GermanLocale : ::testing::Test {
    QLocale saved;
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override {
        QLocale::setDefault(saved);
        installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    }
};

TEST_F(GermanLocale, CoreAndWindowTextsComeOutInGerman) {
    ASSERT_TRUE(installTranslations());
    EXPECT_EQ(localized("Quit"), "Beenden");
    EXPECT_EQ(settings_text::hotkeySubtitle("\u2303"),
              "Halte \u2303 für das Menü · Klick auf die Mitte maximiert");
    EXPECT_EQ(localized("Vortaxis %1 is available — you have %2.", {"2.0", "1.0"}),
              "Vortaxis 2.0 ist verfügbar – du hast 1.0.");
    // A text the translation does not know stays English rather than empty.
    EXPECT_EQ(localized("Not a text of the program"), "Not a text of the program");

    FakePermissions permissions;
    FakeHotkeys hotkeys;
    FakeKeySource keys;
    TestQtRunLoop loop;
    ScriptedFetcher network;
    test::InMemoryDefaultsStore defaults;
    AppUpdateService updates{loop, network, defaults, "0.1.0"};
    SettingsWindow window(
        SettingsDependencies{permissions, hotkeys, updates, keys, nullptr, std::nullopt, [] {}});
    window.showNear({});
    EXPECT_EQ(window.view()->hotkeyCard()->sectionTitle(), QString::fromUtf8("TASTENKÜRZEL"));
    EXPECT_EQ(window.view()->delayCard()->title(), "Haltedauer");
    EXPECT_EQ(window.view()->permissionButton()->text(),
              QString::fromUtf8("Bedienungshilfen erlauben…"));
    EXPECT_EQ(window.view()->quitButton()->text(), "Beenden");
    EXPECT_EQ(window.view()->delayValueLabel()->text(), "200 ms");
}

TEST_F(GermanLocale, EnglishComesBackWithAnEnglishLocale) {
    ASSERT_TRUE(installTranslations());
    EXPECT_FALSE(installTranslations(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    EXPECT_EQ(localized("Quit"), "Quit");
    EXPECT_EQ(settings_text::holdDurationTitle(), "Hold duration");
}

} // namespace
