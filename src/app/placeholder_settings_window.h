// TEMPORARY settings window until the real one exists: shows the status line,
// the trigger, the hold delay, whether windows may be moved, the version, and
// offers Quit. Enough for the tray icon and a second start to open something.
#pragma once

#include "app/app_model.h"

#include <QIcon>
#include <QWidget>

class QLabel;

namespace vx {

class PlaceholderSettingsWindow final : public QWidget {
public:
    PlaceholderSettingsWindow(AppModel& model, const KeyboardLayout& layout);

    // Shows the window in front, refreshed.
    void present();

private:
    void refresh();

    AppModel& model_;
    const KeyboardLayout& layout_;
    QLabel* status_;
    QLabel* trigger_;
    QLabel* holdDelay_;
    QLabel* permission_;
    Subscription statusSubscription_;
    Subscription trustSubscription_;
};

// The tray icon's picture: a circle over a cross of dots.
QIcon vortaxisIcon();

} // namespace vx
