// The settings window on the offscreen platform: what each card shows for the
// services' state, what each control does to them, recording through the key
// source, and the keyboard behaviour of the window itself.
#include "qt/settings/hotkey_recorder_view.h"
#include "qt/settings/settings_module.h"
#include "qt/settings/settings_style.h"
#include "qt/settings/settings_window.h"
#include "qt/settings/symbol_icons.h"
#include "qt/settings/update_window.h"
#include "qt_wait.h"
#include "settings_qt_fakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::qt;
using namespace vx::testing;

namespace {

constexpr KeyCode space = 49, escape = 53;

struct SettingsWindowTest : ::testing::Test {
    FakePermissions permissions;
    FakeHotkeys hotkeys;
    FakeKeySource keys;
    TestQtRunLoop loop;
    ScriptedFetcher network;
    test::InMemoryDefaultsStore defaults;
    AppUpdateService updates{loop, network, defaults, "0.1.0"};
    std::filesystem::path configHome =
        std::filesystem::temp_directory_path() /
        ("vortaxis-settings-" + std::to_string(QCoreApplication::applicationPid()));
    int quits = 0;
    std::unique_ptr<SettingsWindow> window;

    void SetUp() override {
        window = std::make_unique<SettingsWindow>(SettingsDependencies{
            permissions, hotkeys, updates, keys, nullptr,
            AutostartEntry(configHome, "/usr/bin/vortaxis"), [this] { ++quits; }});
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(configHome);
    }
    StatusMenuView& view() { return *window->view(); }
    QString subtitleOf(SettingsModule* card) { return card->subtitle(); }
};

TEST_F(SettingsWindowTest, DefaultsReadAsTheCardsDescribe) {
    window->showNear({});
    EXPECT_EQ(view().width(), 312);
    EXPECT_EQ(window->width(), 312);
    EXPECT_EQ(view().hotkeyCard()->sectionTitle(), "HOTKEY");
    EXPECT_EQ(view().hotkeyCard()->title(), "Shortcut");
    EXPECT_EQ(view().hotkeyCard()->subtitle(),
              QString::fromUtf8("Hold \u2303 for the menu \u00b7 click center icon to maximize"));
    EXPECT_EQ(view().hintLabel()->text(),
              "Single modifier: click the field, press the key, then release with no other key "
              "to record. Esc cancels.");
    EXPECT_EQ(view().delayCard()->sectionTitle(), "TRIGGER DELAY");
    EXPECT_EQ(view().delayCard()->title(), "Hold duration");
    EXPECT_EQ(view().delayCard()->subtitle(), "How long to hold before the menu opens.");
    EXPECT_EQ(view().delayValueLabel()->text(), "200 ms");
    EXPECT_EQ(view().permissionsCard()->sectionTitle(), "PERMISSIONS");
    EXPECT_EQ(view().permissionsCard()->title(), "Accessibility");
    EXPECT_EQ(view().versionLabel()->text(), "v" VORTAXIS_VERSION);
    EXPECT_EQ(view().updateButton()->toolTip(), "Check for Updates");
    EXPECT_EQ(view().quitButton()->text(), "Quit");
    EXPECT_EQ(view().recorder()->field()->text(), QString::fromUtf8("\u2303"));
    EXPECT_EQ(view().recorder()->field()->toolTip(), "Click to record a new shortcut");
    EXPECT_TRUE(view().recorder()->resetButton()->isHidden());
}

TEST_F(SettingsWindowTest, RecordingControlOptionSpaceUpdatesFieldSubtitleHintAndReset) {
    window->showNear({});
    RecorderField* field = view().recorder()->field();
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_EQ(field->text(), QString::fromUtf8("Recording\u2026 (Esc cancel)"));
    EXPECT_EQ(field->toolTip(), "Press a key combo, or press/release modifiers only");
    EXPECT_TRUE(field->look().usesAccent);

    const ModifierFlags held = modifier::control | modifier::option;
    keys.flags(modifier::control);
    keys.flags(held);
    keys.down(space, held);
    EXPECT_EQ(hotkeys.binding(), (HotkeyBinding{held, space}));
    EXPECT_EQ(field->text(), QString::fromUtf8("\u2303\u2325Space"));
    EXPECT_EQ(view().hotkeyCard()->subtitle(),
              QString::fromUtf8(
                  "Hold \u2303\u2325Space for the menu \u00b7 click center icon to maximize"));
    EXPECT_EQ(view().hintLabel()->text(),
              "Combo recorded. Click the field again to re-record a new shortcut.");
    EXPECT_FALSE(view().recorder()->resetButton()->isHidden());

    QTest::mouseClick(field, Qt::LeftButton);
    QTest::mouseClick(view().recorder()->resetButton(), Qt::LeftButton);
    EXPECT_FALSE(view().recorder()->control().isRecording().get());
    EXPECT_EQ(hotkeys.binding(), HotkeyBinding::defaultBinding());
    EXPECT_TRUE(view().recorder()->resetButton()->isHidden());
}

TEST_F(SettingsWindowTest, TheApplicationsOwnCopyOfTheRecordedKeyIsSwallowed) {
    window->showNear({});
    RecorderField* field = view().recorder()->field();
    field->setFocus();
    QTest::mouseClick(field, Qt::LeftButton);
    // The system-wide event commits first; Qt's own Space for the focused field
    // arrives after it and must not start a new recording.
    keys.down(space, 0);
    ASSERT_EQ(hotkeys.binding(), (HotkeyBinding{0, space}));
    QTest::keyClick(field, Qt::Key_Space);
    EXPECT_FALSE(view().recorder()->control().isRecording().get());
    keys.up(space, 0);

    // Escape cancels the recording but leaves the window open, whichever copy comes first.
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyPress(window.get(), Qt::Key_Escape);
    keys.down(escape, 0);
    keys.up(escape, 0);
    QTest::keyRelease(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(view().recorder()->control().isRecording().get());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(hotkeys.binding(), (HotkeyBinding{0, space}));

    // Quit's shortcut does not fire while a recording takes the keys.
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(window->isActiveWindow());
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 0);
    view().recorder()->control().stopRecording();
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);
}

TEST_F(SettingsWindowTest, EscapeClosesTheWindowAndTogglingOpensAndClosesIt) {
    window->toggle({});
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    window->toggle({});
    EXPECT_TRUE(window->isVisible());
    window->toggle({});
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SettingsWindowTest, HidingTheWindowCancelsARecording) {
    window->showNear({});
    QTest::mouseClick(view().recorder()->field(), Qt::LeftButton);
    keys.flags(modifier::shift);
    window->hide();
    keys.flags(0);
    EXPECT_EQ(hotkeys.binding(), HotkeyBinding::defaultBinding());
}

TEST_F(SettingsWindowTest, SliderStepsInFiftyMillisecondsToBothEnds) {
    window->showNear({});
    QSlider* slider = view().delaySlider();
    slider->setValue(slider->minimum());
    EXPECT_DOUBLE_EQ(hotkeys.holdDelay(), 0.05);
    EXPECT_EQ(view().delayValueLabel()->text(), "50 ms");
    slider->setValue(slider->maximum());
    EXPECT_DOUBLE_EQ(hotkeys.holdDelay(), 1.0);
    EXPECT_EQ(view().delayValueLabel()->text(), "1.00 s");
    slider->setValue(7);
    EXPECT_EQ(view().delayValueLabel()->text(), "350 ms");
    // A change made elsewhere moves the slider.
    hotkeys.setHoldDelay(0.6);
    EXPECT_EQ(slider->value(), 12);
    EXPECT_EQ(view().delayValueLabel()->text(), "600 ms");
}

TEST_F(SettingsWindowTest, PermissionCardReReadsOnEachShowingAndOffersTheRightAction) {
    window->showNear({});
    EXPECT_EQ(permissions.calls, std::vector<std::string>{"refresh"});
    const IconBadge& badge = view().permissionsCard()->badge();
    EXPECT_EQ(badge.symbol(), "exclamationmark.shield.fill");
    EXPECT_EQ(badge.tint(), style::color(palette::orangeAccent));
    EXPECT_EQ(view().permissionsCard()->subtitle(),
              "Required to read and arrange the frontmost window.");
    EXPECT_EQ(view().permissionButton()->text(), QString::fromUtf8("Enable Accessibility\u2026"));

    permissions.calls.clear();
    QTest::mouseClick(view().permissionButton(), Qt::LeftButton);
    EXPECT_EQ(permissions.calls,
              (std::vector<std::string>{"requestAccess", "openAccessibilitySettings"}));

    // Granted meanwhile: the next showing shows it.
    window->hide();
    permissions.systemAnswer = true;
    permissions.calls.clear();
    window->showNear({});
    EXPECT_EQ(permissions.calls, std::vector<std::string>{"refresh"});
    EXPECT_EQ(badge.symbol(), "checkmark.shield.fill");
    EXPECT_EQ(badge.tint(), style::color(palette::greenAccent));
    EXPECT_EQ(view().permissionsCard()->subtitle(),
              QString::fromUtf8("Granted \u2014 Vortaxis can move windows."));
    EXPECT_EQ(view().permissionButton()->text(), "Refresh status");
    EXPECT_EQ(view().permissionsCard()->strokeTint(),
              style::color(palette::greenAccent, palette::tintedStrokeOpacity));

    permissions.calls.clear();
    permissions.systemAnswer = false; // revoked: "Refresh status" notices
    QTest::mouseClick(view().permissionButton(), Qt::LeftButton);
    EXPECT_EQ(permissions.calls, std::vector<std::string>{"refresh"});
    EXPECT_EQ(view().permissionButton()->text(), QString::fromUtf8("Enable Accessibility\u2026"));
}

TEST_F(SettingsWindowTest, UpdateButtonIsDisabledUntilSettledAndWhileChecking) {
    EXPECT_FALSE(view().updateButton()->isEnabled());
    ASSERT_TRUE(vx::test::runEventsUntil([&] { return view().updateButton()->isEnabled(); }));
    window->showNear({});
    QTest::mouseClick(view().updateButton(), Qt::LeftButton);
    EXPECT_EQ(network.requests.size(), 1u);
    EXPECT_FALSE(view().updateButton()->isEnabled());
    network.answer(std::string(R"({"version":"0.1.0","downloadURL":"https://e.org"})"));
    EXPECT_TRUE(view().updateButton()->isEnabled());
    ASSERT_NE(window->updateWindow(), nullptr);
    EXPECT_TRUE(window->updateWindow()->isVisible());
}

TEST_F(SettingsWindowTest, StartAtLoginWritesAndRemovesTheEntryAndReportsFailure) {
    window->showNear({});
    QCheckBox* box = view().autostartBox();
    const auto entry = configHome / "autostart" / "vortaxis.desktop";
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(std::filesystem::exists(entry));
    box->click();
    EXPECT_FALSE(std::filesystem::exists(entry));

    // The folder cannot be made: the box stays off and says why.
    std::filesystem::remove_all(configHome / "autostart");
    { std::ofstream(configHome / "autostart") << "a file in the way"; }
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(view().autostartError()->isHidden());
    EXPECT_TRUE(view().autostartError()->text().contains("autostart"));
}

TEST_F(SettingsWindowTest, PlacementKeepsTheWindowOnScreenNextToTheIcon) {
    const QSize size(312, 400);
    const QRect screen(0, 0, 1280, 800);
    // Icon in a top panel: below it, centred, inside the screen.
    EXPECT_EQ(SettingsWindow::placement(size, QRect(1250, 2, 20, 20), screen, {}), QPoint(968, 28));
    // Icon in a bottom panel: above it.
    EXPECT_EQ(SettingsWindow::placement(size, QRect(600, 776, 22, 22), screen, {}),
              QPoint(454, 370));
    // No icon geometry: near the pointer, still on screen.
    EXPECT_EQ(SettingsWindow::placement(size, {}, screen, QPoint(5, 5)), QPoint(0, 12));
}

TEST(SymbolIcons, EverySymbolTheWindowUsesHasADrawingThatShowsInItsTint) {
    for (const char* symbol :
         {"keyboard", "keyboard.fill", "record.circle", "timer", "checkmark.shield.fill",
          "exclamationmark.shield.fill", "arrow.clockwise", "lock.open",
          "arrow.triangle.2.circlepath", "circle.grid.cross"}) {
        EXPECT_FALSE(themeNamesForSymbol(symbol).isEmpty()) << symbol;
        const QImage image = tintedSymbol(symbol, Qt::red, 24).toImage();
        int inked = 0;
        bool onlyTint = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 128) {
                    ++inked;
                    onlyTint = onlyTint && c.red() > 200 && c.green() < 60 && c.blue() < 60;
                }
            }
        EXPECT_GT(inked, 24) << symbol;
        EXPECT_TRUE(onlyTint) << symbol;
    }
    EXPECT_TRUE(symbolIcon("no.such.symbol").isNull());
}

} // namespace

namespace {

// The fraction of the badge's pixels that are close to `tint`.
double tintShare(const QImage& image, const QRect& area, const QColor& tint) {
    int close = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - tint.red()) < 40 && std::abs(c.green() - tint.green()) < 40 &&
                std::abs(c.blue() - tint.blue()) < 40)
                ++close;
        }
    return double(close) / (area.width() * area.height());
}

TEST_F(SettingsWindowTest, DrawnWindowShowsThePermissionStateInItsBadge) {
    // Set VORTAXIS_SCREENSHOT_DIR to keep the pictures (docs/screenshots/).
    const QString keep = qEnvironmentVariable("VORTAXIS_SCREENSHOT_DIR");
    for (const bool trusted : {false, true}) {
        window->hide();
        permissions.systemAnswer = trusted;
        window->showNear({});
        const QImage image = window->grab().toImage();
        if (!keep.isEmpty())
            image.save(keep + (trusted ? "/settings-granted.png" : "/settings-missing.png"));
        const IconBadge& badge = view().permissionsCard()->badge();
        const QRect area(badge.mapTo(window.get(), QPoint(0, 0)), badge.size());
        const QColor expected =
            style::color(trusted ? palette::greenAccent : palette::orangeAccent);
        const QColor other = style::color(trusted ? palette::orangeAccent : palette::greenAccent);
        EXPECT_GT(tintShare(image, area, expected), 0.05) << trusted;
        EXPECT_LT(tintShare(image, area, other), 0.01) << trusted;
        EXPECT_EQ(image.width(), 312 * image.devicePixelRatio());
    }
}

} // namespace
