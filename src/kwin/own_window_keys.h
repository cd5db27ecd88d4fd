// Keys typed into the program's own windows, as key events of the session. On
// Wayland these are the only keys a client sees besides its global shortcut;
// they are what recording a trigger in the settings window needs. Observed,
// never consumed.
#pragma once

#include "core/input/key_source.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <set>

namespace vx::kwin {

class OwnWindowKeys final : public QObject {
public:
    // Watches every window of the running Qt GUI application.
    explicit OwnWindowKeys(std::function<void(const KeyEvent&)> deliver);
    ~OwnWindowKeys() override;
    // Looks at the keys before every other watcher of the application, such
    // as a recorder view that swallows them.
    void watchFirst();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ModifierFlags word() const;

    std::function<void(const KeyEvent&)> deliver_;
    // The modifier keys down, by evdev code, as our windows saw them.
    std::set<std::uint32_t> heldModifiers_;
};

} // namespace vx::kwin
