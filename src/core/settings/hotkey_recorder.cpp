// The recorder's state machine: peak modifiers, Escape, bare keys and repeats.
#include "core/settings/hotkey_recorder.h"

namespace vx {

namespace {
constexpr KeyCode escapeKeyCode = 53;
// X11 reports Caps Lock as a key of its own; it is a lock, never a trigger key,
// and pressing it while recording must leave the recording running.
constexpr KeyCode capsLockKeyCode = 57;
} // namespace

HotkeyRecorderControl::HotkeyRecorderControl(KeySource& keys, BindingTarget& target)
    : keys_(keys), target_(target) {
    subscription_ = keys.subscribe([this](const KeyEvent& event) { handle(event); });
}

HotkeyRecorderControl::~HotkeyRecorderControl() {
    stopRecording();
}

void HotkeyRecorderControl::toggleRecording() {
    if (isRecording_.get())
        stopRecording();
    else
        startRecording();
}

void HotkeyRecorderControl::startRecording() {
    stopRecording();
    peakModifiers_ = 0;
    isRecording_.set(true);
    // Told after the views: a source reading the program's own windows must
    // come before a view that swallows their keys while recording.
    keys_.setRecording(true);
}

void HotkeyRecorderControl::stopRecording() {
    peakModifiers_ = 0;
    if (isRecording_.get())
        keys_.setRecording(false);
    isRecording_.set(false);
}

void HotkeyRecorderControl::reset() {
    stopRecording();
    target_.setBinding(HotkeyBinding::defaultBinding());
}

void HotkeyRecorderControl::handle(const KeyEvent& event) {
    switch (event.type) {
    case KeyEvent::Type::flagsChanged:
        onFlagsChanged(event);
        break;
    case KeyEvent::Type::keyDown:
        onKeyDown(event);
        break;
    case KeyEvent::Type::keyUp:
        if (swallowedKey_ == event.keyCode)
            swallowedKey_.reset();
        break;
    case KeyEvent::Type::pointerPress:
        break;
    }
}

void HotkeyRecorderControl::onFlagsChanged(const KeyEvent& event) {
    if (!isRecording_.get() || event.type != KeyEvent::Type::flagsChanged)
        return;
    const ModifierFlags current = event.modifiers & bindingModifierMask;
    if (current != 0) {
        peakModifiers_ |= current;
        return;
    }
    if (peakModifiers_ != 0)
        commit(peakModifiers_, std::nullopt);
}

HotkeyRecorderControl::Disposition HotkeyRecorderControl::onKeyDown(const KeyEvent& event) {
    if (!isRecording_.get() || event.type != KeyEvent::Type::keyDown || event.isRepeat)
        return Disposition::pass;
    if (event.keyCode == escapeKeyCode) {
        stopRecording();
        swallowedKey_ = event.keyCode;
        return Disposition::consume;
    }
    if (modifierKeyCodes().contains(event.keyCode) || event.keyCode == capsLockKeyCode)
        return Disposition::pass;
    swallowedKey_ = event.keyCode;
    commit(event.modifiers & bindingModifierMask, event.keyCode);
    return Disposition::consume;
}

void HotkeyRecorderControl::commit(ModifierFlags modifiers, std::optional<KeyCode> keyCode) {
    if (keyCode || modifiers != 0)
        target_.setBinding(HotkeyBinding{modifiers, keyCode});
    stopRecording();
}

} // namespace vx
