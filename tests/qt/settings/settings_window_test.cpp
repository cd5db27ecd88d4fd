// The settings window on the offscreen platform: what each card shows for the
// services' state, what each control does to them, recording through the key
// source, and the keyboard behaviour of the window itself. The services behind
// it have tests of their own; these check the window's part.
#include "fakes/fake_window_system.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/hotkey_recorder_view.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_style.h"
#include "qt/settings/settings_window.h"
#include "settings/settings_fakes.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
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

TEST_F(SettingsWindowTest, RecordingUpdatesFieldCardAndResetAndReachesTheStore) {
    // Opened, no control holds the focus: a stray Space must not start a recording.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 2000));
    EXPECT_EQ(QApplication::focusWidget(), &window);
    QTest::mouseClick(field, Qt::LeftButton);
    const ModifierFlags held = modifier::control | modifier::option;
    keys.flags(modifier::control);
    keys.flags(held);
    keys.down(space, held);
    EXPECT_EQ(defaults.text("hotkey.binding"), R"({"modifiersRaw":786432,"keyCode":49})");
    EXPECT_TRUE(view.hotkeyCard()->subtitle().startsWith("Hold Ctrl+Alt+Space"));
    QTest::mouseClick(view.recorder()->resetButton(), Qt::LeftButton);
    EXPECT_EQ(preferences.binding(), HotkeyBinding::defaultBinding());
    EXPECT_TRUE(view.recorder()->resetButton()->isHidden());

    // Hiding the window cancels a recording.
    QTest::mouseClick(field, Qt::LeftButton);
    keys.flags(modifier::shift);
    window.hide();
    keys.flags(0);
    EXPECT_EQ(preferences.binding(), HotkeyBinding::defaultBinding());
}

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

TEST_F(SettingsWindowTest, SliderStepsInFiftyMillisecondsBothWays) {
    QSlider* slider = view.delaySlider();
    slider->setValue(slider->minimum());
    EXPECT_DOUBLE_EQ(defaults.doubleValue("hotkey.holdDelay"), 0.05);
    preferences.setHoldDelay(0.6); // a change made elsewhere moves the slider
    EXPECT_EQ(slider->value(), 12);
}

TEST_F(SettingsWindowTest, EachShowingReReadsPermissionAndFeedAndOffersTheRightAction) {
    const IconBadge& badge = view.permissionsCard()->badge();
    EXPECT_TRUE(view.updateButton()->isHidden()); // no feed: the package manager updates
    window.hide();
    trust.trusted = false; // revoked meanwhile: the next showing asks again
    defaults.setString("update.feedURL", "https://updates.example.org/feed.json");
    window.showNear({});
    EXPECT_FALSE(view.updateButton()->isHidden());
    EXPECT_EQ(badge.tint(), style::color(palette::orangeAccent));
    trust.grantOnRequest = true;
    QTest::mouseClick(view.permissionButton(), Qt::LeftButton);
    EXPECT_EQ(trust.requests, 1);
    EXPECT_EQ(badge.tint(), style::color(palette::greenAccent));
    trust.trusted = false; // "Refresh status" notices a revocation without asking
    QTest::mouseClick(view.permissionButton(), Qt::LeftButton);
    EXPECT_EQ(trust.requests, 1);
    EXPECT_EQ(badge.tint(), style::color(palette::orangeAccent));
}

TEST_F(SettingsWindowTest, StartAtLoginThatCannotBeWrittenSaysWhyAndStaysOff) {
    std::ofstream(configHome.filePath("autostart").toStdString()) << "a file in the way";
    view.autostartBox()->click();
    EXPECT_FALSE(view.autostartBox()->isChecked());
    EXPECT_TRUE(view.autostartError()->text().contains("autostart"));
}
