// The window behind the tray icon: the settings content in an ordinary
// application window, decorated and moved by the window manager, opened next
// to the icon on the icon's monitor (or the pointer's). A click on the icon
// raises it, or hides it when it already has the focus; Escape and the
// window's close button close it. Update check outcomes open their own small
// window.
#pragma once

#include "core/settings/settings_adapters.h"
#include "qt/settings/status_menu_view.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace vx::qt {

class UpdateWindow;

class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(SettingsDependencies dependencies, QWidget* parent = nullptr);
    // The program's window over the real services; the autostart option
    // points at the running executable.
    SettingsWindow(PermissionService& permissions, HotkeyPreferences& hotkeys,
                   AppUpdateService& updates, KeySource& keys, const KeyboardLayout* layout,
                   QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window next to `anchor` (the tray icon's screen rectangle, in
    // Qt's global coordinates; empty for "near the pointer"); brings it to the
    // front when it is open behind others; hides it when it has the focus.
    void toggle(const QRect& anchor = {});
    void showNear(const QRect& anchor);

    StatusMenuView* view() const { return view_; }
    UpdateWindow* updateWindow() const { return updateWindow_; }

    // Where the window goes for an anchor on a screen with `available` space.
    static QPoint placement(const QSize& window, const QRect& anchor, const QRect& available,
                            const QPoint& pointer);

signals:
    void visibilityChanged(bool visible);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    SettingsWindow(std::unique_ptr<PermissionServiceSettings> permissions,
                   std::unique_ptr<HotkeyPreferencesSettings> hotkeys, AppUpdateService& updates,
                   KeySource& keys, const KeyboardLayout* layout, QWidget* parent);

    // Declared first: the view below holds references to them.
    std::unique_ptr<PermissionServiceSettings> permissionsAdapter_;
    std::unique_ptr<HotkeyPreferencesSettings> hotkeysAdapter_;
    AppUpdateService& updates_;
    StatusMenuView* view_;
    UpdateWindow* updateWindow_ = nullptr;
};

} // namespace vx::qt
