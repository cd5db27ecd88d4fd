// The trigger's press starts the script's pointer reports, so the pointer is
// fresh when the hold begins; its release stops them again, and an idle
// session costs KWin and us nothing but the script's keep-alive.
#include "app/kwin_platform.h"

#include "app/kwin_wheel_catchers.h"
#include "kwin/global_shortcut_key_source.h"
#include "kwin/kwin_access_trust.h"
#include "kwin/kwin_bridge.h"
#include "kwin/kwin_screens.h"
#include "kwin/kwin_window_system.h"
#include "qt/overlay_wheel_scroll_source.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace vx {

namespace {

// Names come from the fixed table: no client reads the compositor's keymap
// for another's keys.
class NoLayout final : public KeyboardLayout {
public:
    std::optional<std::string> keyText(KeyCode) const override { return std::nullopt; }
};

// Only the lock screen can be known here: no client sees another's grabs.
class LockOnlyAccess final : public DesktopAccess {
public:
    explicit LockOnlyAccess(const kwin::GlobalShortcutKeySource& keys) : keys_(keys) {}
    Blocker blocker(bool) override {
        return keys_.isLocked() ? Blocker::screenLocked : Blocker::none;
    }

private:
    const kwin::GlobalShortcutKeySource& keys_;
};

// KWin's Wayland socket comes up before its bus name, and a start right
// after KWin's (at login, or again after a crash) must not take the gap for
// a session without KWin.
void awaitKWin(const QDBusConnection& bus, std::chrono::seconds deadline) {
    const QString kwin = QStringLiteral("org.kde.KWin");
    if (!bus.isConnected() || bus.interface()->isServiceRegistered(kwin).value())
        return;
    QEventLoop wait;
    QDBusServiceWatcher watcher(kwin, bus, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &wait, &QEventLoop::quit);
    QTimer::singleShot(deadline, &wait, &QEventLoop::quit);
    // Registered between the question and the watch: the watch never fires.
    if (!bus.interface()->isServiceRegistered(kwin).value())
        wait.exec();
}

} // namespace

SessionPlatform sessionPlatform(const std::string& sessionType, const std::string& currentDesktop,
                                const std::string& asked) {
    if (asked == "kwin")
        return SessionPlatform::kwinWayland;
    if (asked == "x11" || sessionType != "wayland")
        return SessionPlatform::x11;
    // XDG_CURRENT_DESKTOP is a colon-separated list, "KDE" for Plasma.
    const std::string padded = ":" + currentDesktop + ":";
    return padded.find(":KDE:") != std::string::npos ? SessionPlatform::kwinWayland
                                                     : SessionPlatform::otherWayland;
}

struct KWinPlatform::Parts {
    std::unique_ptr<kwin::KWinBridge> bridge;
    std::unique_ptr<kwin::KWinScreens> screens;
    std::unique_ptr<kwin::KWinWindowSystem> windowSystem;
    std::unique_ptr<kwin::KWinAccessTrust> trust;
    std::unique_ptr<kwin::GlobalShortcutKeySource> keys;
    NoLayout layout;
    std::unique_ptr<KWinWheelCatchers> catchers;
    // No client may grab the pointer: the wheel counts over the overlays.
    OverlayWheelScrollSource scroll{[this](bool on) {
        if (catchers)
            catchers->setShown(on);
    }};
    std::unique_ptr<LockOnlyAccess> access;
};

std::unique_ptr<KWinPlatform> KWinPlatform::open(std::function<void(const std::string&)> onStatus,
                                                 std::string* error) {
    auto parts = std::make_unique<Parts>();
    QString why;
    const auto bus = QDBusConnection::sessionBus();
    awaitKWin(bus, std::chrono::seconds(10));
    parts->bridge = kwin::KWinBridge::start(bus, &why);
    if (!parts->bridge) {
        *error = why.toStdString();
        return nullptr;
    }
    parts->screens = std::make_unique<kwin::KWinScreens>(*parts->bridge);
    parts->windowSystem = std::make_unique<kwin::KWinWindowSystem>(*parts->bridge);
    parts->trust = std::make_unique<kwin::KWinAccessTrust>(*parts->bridge);
    parts->keys = std::make_unique<kwin::GlobalShortcutKeySource>(bus);
    parts->access = std::make_unique<LockOnlyAccess>(*parts->keys);
    auto* bridge = parts->bridge.get();
    parts->keys->setOnPress([bridge](bool pressed) { bridge->setTracking(pressed); });
    auto* trust = parts->trust.get();
    bridge->setOnStateChanged(
        [trust, onStatus = std::move(onStatus)] { onStatus(trust->missing()); });
    return std::unique_ptr<KWinPlatform>(new KWinPlatform(std::move(parts)));
}

KWinPlatform::KWinPlatform(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
KWinPlatform::~KWinPlatform() = default;

DesktopSeams KWinPlatform::seams() {
    return {*parts_->screens, *parts_->windowSystem, *parts_->trust, *parts_->keys,
            parts_->layout,   parts_->scroll,        *parts_->access};
}
kwin::KWinBridge& KWinPlatform::bridge() {
    return *parts_->bridge;
}

void KWinPlatform::catchWheelWith(OverlayPlatform overlays) {
    parts_->catchers = std::make_unique<KWinWheelCatchers>(*parts_->bridge, std::move(overlays));
}

std::optional<std::string> KWinPlatform::setBinding(const HotkeyBinding& binding) {
    if (auto why = parts_->keys->setBinding(binding))
        return why->toStdString();
    return std::nullopt;
}

} // namespace vx
