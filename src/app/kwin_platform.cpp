// The trigger's press starts the script's pointer reports, so the pointer is
// fresh when the hold begins; its release stops them again, and an idle
// session costs KWin and us nothing but the script's keep-alive.
#include "app/kwin_platform.h"

#include "kwin/global_shortcut_key_source.h"
#include "kwin/kwin_access_trust.h"
#include "kwin/kwin_bridge.h"
#include "kwin/kwin_screens.h"
#include "kwin/kwin_window_system.h"
#include "qt/overlay_wheel_scroll_source.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

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

} // namespace

SessionPlatform sessionPlatform(const std::string& sessionType, bool kwinOnBus,
                                const std::string& asked) {
    if (asked == "kwin")
        return SessionPlatform::kwinWayland;
    if (asked == "x11" || sessionType != "wayland")
        return SessionPlatform::x11;
    return kwinOnBus ? SessionPlatform::kwinWayland : SessionPlatform::otherWayland;
}

bool kwinOnSessionBus() {
    auto bus = QDBusConnection::sessionBus();
    return bus.isConnected() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.KWin")).value();
}

struct KWinPlatform::Parts {
    std::unique_ptr<kwin::KWinBridge> bridge;
    std::unique_ptr<kwin::KWinScreens> screens;
    std::unique_ptr<kwin::KWinWindowSystem> windowSystem;
    std::unique_ptr<kwin::KWinAccessTrust> trust;
    std::unique_ptr<kwin::GlobalShortcutKeySource> keys;
    NoLayout layout;
    // No client may grab the pointer: the wheel counts over the overlays.
    OverlayWheelScrollSource scroll;
    std::unique_ptr<LockOnlyAccess> access;
};

std::unique_ptr<KWinPlatform> KWinPlatform::open(std::function<void(const std::string&)> onStatus,
                                                 std::string* error) {
    auto parts = std::make_unique<Parts>();
    QString why;
    const auto bus = QDBusConnection::sessionBus();
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

std::optional<std::string> KWinPlatform::setBinding(const HotkeyBinding& binding) {
    if (auto why = parts_->keys->setBinding(binding))
        return why->toStdString();
    return std::nullopt;
}

} // namespace vx
