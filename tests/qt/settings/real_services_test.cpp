// The settings window over the program's real permission service and hotkey
// preferences: what the window changes reaches the defaults store, and what the
// system says about trust reaches the window.
#include "fakes/fake_window_system.h"
#include "fakes/in_memory_defaults_store.h"
#include "qt/settings/hotkey_recorder_view.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_window.h"
#include "settings_qt_fakes.h"

#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::qt;

TEST(SettingsWindowOverRealServices, RecordingAndTheSliderAreStoredAndTrustIsShown) {
    test::InMemoryDefaultsStore store;
    test::FakeAccessTrust trust;
    trust.trusted = false;
    trust.grantOnRequest = true;
    PermissionService permissions(trust);
    HotkeyPreferences preferences(store);
    vx::testing::FakeKeySource keys;
    vx::testing::TestQtRunLoop loop;
    vx::testing::ScriptedFetcher network;
    AppUpdateService updates(loop, network, store, "0.1.0");
    SettingsWindow window(permissions, preferences, updates, keys, nullptr);
    window.showNear({});

    QTest::mouseClick(window.view()->recorder()->field(), Qt::LeftButton);
    keys.flags(modifier::option);
    keys.flags(modifier::option | modifier::shift);
    keys.flags(modifier::option);
    keys.flags(0);
    EXPECT_EQ(preferences.binding(),
              (HotkeyBinding{modifier::option | modifier::shift, std::nullopt}));
    EXPECT_EQ(store.text("hotkey.binding"), R"({"modifiersRaw":655360})");

    window.view()->delaySlider()->setValue(10);
    EXPECT_DOUBLE_EQ(store.doubleValue("hotkey.holdDelay"), 0.5);

    EXPECT_EQ(window.view()->permissionsCard()->badge().symbol(), "exclamationmark.shield.fill");
    QTest::mouseClick(window.view()->permissionButton(), Qt::LeftButton);
    EXPECT_EQ(trust.requests, 1);
    EXPECT_EQ(trust.settingsOpened, 1);
    EXPECT_EQ(window.view()->permissionsCard()->badge().symbol(), "checkmark.shield.fill");
}
