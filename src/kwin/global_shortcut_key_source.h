// The KeySource seam on Plasma's Wayland session, where no client sees other
// clients' keys: the user's trigger is registered with KGlobalAccel as
// Vortaxis's own shortcut, and its press and release are handed on as the key
// events the trigger would have made. KGlobalAccel reports a lone modifier as
// released as soon as another key joins it, which is what cancels a hold.
// Nothing is reported while the screen is locked. Keys typed into the
// program's own windows are reported as well, so a trigger can be recorded.
#pragma once

#include "core/input/hotkey_binding.h"
#include "core/input/key_source.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace vx::kwin {

class OwnWindowKeys;

// KGlobalAccel's names for our one action.
inline constexpr const char* shortcutComponent = "vortaxis";
inline constexpr const char* shortcutAction = "hold-trigger";

// The Qt key codes (key | modifiers) KGlobalAccel holds for a binding, the
// form its settings show first; empty for keys it cannot express.
std::vector<int> qtShortcuts(const HotkeyBinding& binding);

class GlobalShortcutKeySource final : public QObject, public KeySource {
    Q_OBJECT

public:
    explicit GlobalShortcutKeySource(const QDBusConnection& bus);
    // Takes the shortcut out of KGlobalAccel's configuration again.
    ~GlobalShortcutKeySource() override;

    // Registers `binding` as the shortcut; the reason when KGlobalAccel refused.
    std::optional<QString> setBinding(const HotkeyBinding& binding);
    // Told just before a press is handed on (the platform starts pointer reports).
    void setOnPress(std::function<void(bool pressed)> callback) { onPress_ = std::move(callback); }

    bool isLocked() const { return locked_; }

    Subscription subscribe(std::function<void(const KeyEvent&)> handler) override;
    // KWin keeps a global shortcut's keys from the focused window: while a
    // trigger is recorded the shortcut is taken out, and put back afterwards.
    void setRecording(bool recording) override;

private Q_SLOTS:
    void pressed(const QString& component, const QString& action, qlonglong timestamp);
    void released(const QString& component, const QString& action, qlonglong timestamp);
    void lockChanged(bool locked);

private:
    void deliver(const KeyEvent& event);
    void unregister();

    QDBusConnection bus_;
    HotkeyBinding binding_ = HotkeyBinding::defaultBinding();
    bool down_ = false;
    bool recording_ = false;
    bool registered_ = false;
    bool locked_ = false;
    std::function<void(bool)> onPress_;
    std::map<int, std::function<void(const KeyEvent&)>> handlers_;
    int nextHandler_ = 0;
    std::unique_ptr<OwnWindowKeys> ownKeys_;
};

} // namespace vx::kwin
