// Placing, showing and closing the settings window.
#include "qt/settings/settings_window.h"

#include "core/settings/settings_texts.h"
#include "qt/settings/update_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace vx::qt {

namespace {
constexpr int gap = 6;
} // namespace

// A window of its own rather than a popup: XEmbed trays and StatusNotifier
// hosts do not all say where the icon is, and a window the manager decorates
// can be moved out of the way while the user tries a new trigger.
SettingsWindow::SettingsWindow(SettingsDependencies dependencies, QWidget* parent)
    : QWidget(parent, Qt::Window), updates_(dependencies.updates) {
    setWindowTitle(QString::fromStdString(settings_text::windowTitle()));
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    // The window itself takes the focus when shown, so Qt does not hand it to
    // the first control: a focused recorder field would start recording at a
    // stray Space, and would wear a focus ring as if it were in use.
    setFocusPolicy(Qt::StrongFocus);
    updates_.setOnOutcome([this](const UpdateCheckOutcome& outcome) {
        if (!updateWindow_)
            updateWindow_ = new UpdateWindow({}, nullptr);
        updateWindow_->showOutcome(outcome);
    });
    view_ = new StatusMenuView(std::move(dependencies), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(view_);

    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, view_->quitButton(), &QAbstractButton::click);
}

namespace {
SettingsDependencies realDependencies(PermissionServiceSettings& permissions,
                                      HotkeyPreferencesSettings& hotkeys, AppUpdateService& updates,
                                      KeySource& keys, const KeyboardLayout* layout) {
    return {permissions, hotkeys, updates, keys, layout, defaultAutostartEntry(), {}};
}
} // namespace

SettingsWindow::SettingsWindow(PermissionService& permissions, HotkeyPreferences& hotkeys,
                               AppUpdateService& updates, KeySource& keys,
                               const KeyboardLayout* layout, QWidget* parent)
    : SettingsWindow(std::make_unique<PermissionServiceSettings>(permissions),
                     std::make_unique<HotkeyPreferencesSettings>(hotkeys), updates, keys, layout,
                     parent) {}

SettingsWindow::SettingsWindow(std::unique_ptr<PermissionServiceSettings> permissions,
                               std::unique_ptr<HotkeyPreferencesSettings> hotkeys,
                               AppUpdateService& updates, KeySource& keys,
                               const KeyboardLayout* layout, QWidget* parent)
    : SettingsWindow(realDependencies(*permissions, *hotkeys, updates, keys, layout), parent) {
    permissionsAdapter_ = std::move(permissions);
    hotkeysAdapter_ = std::move(hotkeys);
}

SettingsWindow::~SettingsWindow() {
    updates_.setOnOutcome({});
    delete updateWindow_;
}

void SettingsWindow::toggle(const QRect& anchor) {
    if (isVisible() && isActiveWindow()) {
        hide();
        return;
    }
    showNear(anchor);
}

QPoint SettingsWindow::placement(const QSize& window, const QRect& anchor, const QRect& available,
                                 const QPoint& pointer) {
    const QRect target = anchor.isEmpty() ? QRect(pointer, QSize(1, 1)) : anchor;
    int x = target.center().x() - window.width() / 2;
    // Below an icon in the top half of the screen, above one in the bottom half.
    int y = target.center().y() < available.center().y() ? target.bottom() + 1 + gap
                                                         : target.top() - gap - window.height();
    // A tray docked at the left or right edge: beside the icon instead.
    if (!anchor.isEmpty() &&
        (anchor.right() < available.left() || anchor.left() > available.right())) {
        x = anchor.left() > available.right() ? anchor.left() - gap - window.width()
                                              : anchor.right() + 1 + gap;
        y = target.center().y() - window.height() / 2;
    }
    x = std::clamp(x, available.left(),
                   std::max(available.left(), available.right() + 1 - window.width()));
    y = std::clamp(y, available.top(),
                   std::max(available.top(), available.bottom() + 1 - window.height()));
    return {x, y};
}

void SettingsWindow::showNear(const QRect& anchor) {
    if (isVisible()) {
        // Where the user put it, it stays; it only comes to the front.
        raise();
        activateWindow();
        return;
    }
    adjustSize();
    const QPoint pointer = QCursor::pos();
    QScreen* screen = anchor.isEmpty() ? QGuiApplication::screenAt(pointer)
                                       : QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // The frame counts once the manager has decorated the window.
    move(placement(frameGeometry().size(), anchor, available, pointer));
    setFocus(Qt::ActiveWindowFocusReason);
    show();
    raise();
    activateWindow();
}

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit visibilityChanged(true);
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
}

} // namespace vx::qt
