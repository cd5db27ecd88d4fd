// The settings window on the offscreen platform: the keyboard while a trigger is
// recorded and after, what it offers for the update feed, and a start at login
// that cannot be written. The services behind it have tests of their own, and
// recording a trigger is played end to end against real window systems.
#include "fakes/fake_window_system.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/hotkey_recorder_view.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_window.h"
#include "settings/settings_fakes.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::qt;
using namespace vx::testing;

namespace {

constexpr KeyCode space = 49, escape = 53;

struct SettingsWindowTest : ::testing::Test {
    test::FakeAccessTrust trust;
    PermissionService service{trust};
    PermissionServiceSettings permissions{service};
    test::InMemoryDefaultsStore defaults;
    HotkeyPreferences preferences{defaults};
    HotkeyPreferencesSettings hotkeys{preferences};
    FakeKeySource keys;
    QtRunLoop loop;
    ScriptedFetcher network;
    AppUpdateService updates{loop, network, defaults, "0.1.0", ""};
    QTemporaryDir configHome;
    int quits = 0;
    SettingsWindow window{SettingsDependencies{
        permissions, hotkeys, updates, keys, nullptr,
        AutostartEntry(configHome.path().toStdString(), "/usr/bin/vortaxis"), [this] { ++quits; }}};
    StatusMenuView& view = *window.view();
    RecorderField* field = view.recorder()->field();

    void SetUp() override { window.showNear({}); }
};

} // namespace

TEST_F(SettingsWindowTest, TheApplicationsOwnCopyOfTheRecordedKeyIsSwallowed) {
    field->setFocus();
    QTest::mouseClick(field, Qt::LeftButton);
    // The system-wide event commits first; Qt's own Space for the focused field
    // arrives after it and must not start a new recording.
    keys.down(space, 0);
    ASSERT_EQ(preferences.binding(), (HotkeyBinding{0, space}));
    QTest::keyClick(field, Qt::Key_Space);
    EXPECT_FALSE(view.recorder()->control().isRecording().get());
    keys.up(space, 0);

    // Escape cancels the recording but leaves the window open, whichever copy comes first.
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyPress(&window, Qt::Key_Escape);
    keys.down(escape, 0);
    keys.up(escape, 0);
    QTest::keyRelease(&window, Qt::Key_Escape);
    EXPECT_FALSE(view.recorder()->control().isRecording().get());
    EXPECT_TRUE(window.isVisible());

    // Quit's shortcut does not fire while a recording takes the keys.
    QApplication::setActiveWindow(&window);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 0);
    view.recorder()->control().stopRecording();
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);
    QTest::keyClick(&window, Qt::Key_Escape); // now Escape closes the window
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SettingsWindowTest, EachShowingOffersAnUpdateCheckOnlyWithAFeed) {
    EXPECT_TRUE(view.updateButton()->isHidden()); // no feed: the package manager updates
    window.hide();
    defaults.setString("update.feedURL", "https://updates.example.org/feed.json");
    window.showNear({});
    EXPECT_FALSE(view.updateButton()->isHidden());
}

TEST_F(SettingsWindowTest, StartAtLoginThatCannotBeWrittenSaysWhyAndStaysOff) {
    std::ofstream(configHome.filePath("autostart").toStdString()) << "a file in the way";
    view.autostartBox()->click();
    EXPECT_FALSE(view.autostartBox()->isChecked());
    EXPECT_TRUE(view.autostartError()->text().contains("autostart"));
}
