// A Wayland keymap numbers keys as evdev code + 8, the same number X11 uses,
// so Qt's native scan code goes through the one evdev table. The modifier word
// comes from the modifier keys seen down, never from Qt's modifier state, which
// also counts latched and locked modifiers.
#include "kwin/own_window_keys.h"

#include "core/input/evdev_key_codes.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <utility>

namespace vx::kwin {

namespace {

// The usual keymaps' modifier keys (linux/input-event-codes.h); Caps Lock's
// lock is not part of the word.
ModifierFlags modifierOfKey(std::uint32_t evdev) {
    switch (evdev) {
    case 29: // LEFTCTRL
    case 97: // RIGHTCTRL
        return modifier::control;
    case 42: // LEFTSHIFT
    case 54: // RIGHTSHIFT
        return modifier::shift;
    case 56:  // LEFTALT
    case 100: // RIGHTALT
        return modifier::option;
    case 125: // LEFTMETA
    case 126: // RIGHTMETA
        return modifier::command;
    default:
        return 0;
    }
}

} // namespace

OwnWindowKeys::OwnWindowKeys(std::function<void(const KeyEvent&)> deliver)
    : deliver_(std::move(deliver)) {
    QCoreApplication::instance()->installEventFilter(this);
}

OwnWindowKeys::~OwnWindowKeys() {
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void OwnWindowKeys::watchFirst() {
    // The last filter installed is asked first.
    QCoreApplication::instance()->removeEventFilter(this);
    QCoreApplication::instance()->installEventFilter(this);
}

ModifierFlags OwnWindowKeys::word() const {
    ModifierFlags flags = 0;
    for (auto evdev : heldModifiers_)
        flags |= modifierOfKey(evdev);
    return flags;
}

bool OwnWindowKeys::eventFilter(QObject* watched, QEvent* event) {
    // A key reaches the window first and is then passed to its widget: the
    // window's copy is the one counted.
    if (!watched->isWindowType())
        return false;
    if (event->type() == QEvent::WindowDeactivate && !heldModifiers_.empty()) {
        // Keys let go elsewhere are never reported here.
        heldModifiers_.clear();
        deliver_({KeyEvent::Type::flagsChanged, 0, 0, false});
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool down = event->type() == QEvent::KeyPress;
    if (key->nativeScanCode() < 8)
        return false; // not from a keyboard (an input method's text, a synthetic event)
    const std::uint32_t evdev = key->nativeScanCode() - 8;
    if (isModifierKey(evdev)) {
        if (key->isAutoRepeat())
            return false;
        const ModifierFlags before = word();
        if (down)
            heldModifiers_.insert(evdev);
        else
            heldModifiers_.erase(evdev);
        if (word() != before)
            deliver_({KeyEvent::Type::flagsChanged, 0, word(), false});
        return false;
    }
    deliver_({down ? KeyEvent::Type::keyDown : KeyEvent::Type::keyUp, virtualKeyCode(evdev), word(),
              down && key->isAutoRepeat()});
    return false;
}

} // namespace vx::kwin
