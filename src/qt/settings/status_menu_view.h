// The settings window's content: the Hotkey, Trigger delay and Permissions
// cards, then the "start at login" option and the footer with the version,
// the update button and Quit. Everything shown is derived from the services
// and redrawn when one of them changes.
#pragma once

#include "core/input/keyboard_layout.h"
#include "core/settings/app_update_service.h"
#include "core/settings/autostart.h"
#include "core/settings/settings_seams.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace vx::qt {

class HotkeyRecorderView;
class SettingsModule;

struct SettingsDependencies {
    SettingsPermissions& permissions;
    SettingsHotkeys& hotkeys;
    AppUpdateService& updates;
    KeySource& keys;
    const KeyboardLayout* layout = nullptr;
    // The user's autostart entry for this program; absent hides the option.
    std::optional<AutostartEntry> autostart;
    // Ends the program; the application quits when none is given.
    std::function<void()> onQuit;
};

// The autostart entry of the running program in the user's config folder.
AutostartEntry defaultAutostartEntry();

class StatusMenuView final : public QWidget {
    Q_OBJECT
public:
    StatusMenuView(SettingsDependencies dependencies, QWidget* parent = nullptr);
    ~StatusMenuView() override;

    SettingsModule* hotkeyCard() const { return hotkeyCard_; }
    SettingsModule* delayCard() const { return delayCard_; }
    SettingsModule* permissionsCard() const { return permissionsCard_; }
    HotkeyRecorderView* recorder() const { return recorder_; }
    QLabel* hintLabel() const { return hint_; }
    QLabel* delayValueLabel() const { return delayValue_; }
    QSlider* delaySlider() const { return slider_; }
    QPushButton* permissionButton() const { return permissionButton_; }
    QCheckBox* autostartBox() const { return autostartBox_; }
    QLabel* autostartError() const { return autostartError_; }
    QLabel* versionLabel() const { return version_; }
    QToolButton* updateButton() const { return updateButton_; }
    QPushButton* quitButton() const { return quit_; }

protected:
    // Each showing re-reads the permission, so a grant made meanwhile shows.
    void showEvent(QShowEvent* event) override;

private:
    void showBinding();
    void showHoldDelay();
    void showTrust();
    void permissionButtonClicked();
    void autostartToggled(bool enabled);

    SettingsDependencies deps_;
    SettingsModule* hotkeyCard_;
    SettingsModule* delayCard_;
    SettingsModule* permissionsCard_;
    HotkeyRecorderView* recorder_;
    QLabel* hint_;
    QLabel* delayValue_;
    QSlider* slider_;
    QPushButton* permissionButton_;
    QCheckBox* autostartBox_;
    QLabel* autostartError_;
    QLabel* version_;
    QToolButton* updateButton_;
    QPushButton* quit_;
    Subscription bindingSubscription_;
    Subscription delaySubscription_;
    Subscription trustSubscription_;
    Subscription canCheckSubscription_;
};

} // namespace vx::qt
