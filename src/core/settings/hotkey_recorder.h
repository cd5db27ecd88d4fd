// Records a new trigger by watching the keyboard: the next key pressed with its
// modifiers, or a set of modifiers pressed and released on their own. The view
// in src/qt only draws this state and forwards clicks.
#pragma once

#include "core/base/observable.h"
#include "core/input/hotkey_binding.h"
#include "core/input/key_source.h"

#include <functional>
#include <optional>

namespace vx {

// Where a recorded binding goes (the hotkey preferences in the program).
class BindingTarget {
public:
    virtual ~BindingTarget() = default;
    virtual HotkeyBinding binding() const = 0;
    virtual void setBinding(const HotkeyBinding& binding) = 0;
};

class HotkeyRecorderControl {
public:
    enum class Disposition { pass, consume };

    HotkeyRecorderControl(KeySource& keys, BindingTarget& target);
    ~HotkeyRecorderControl();
    HotkeyRecorderControl(const HotkeyRecorderControl&) = delete;
    HotkeyRecorderControl& operator=(const HotkeyRecorderControl&) = delete;

    // A click on the field: starts recording, or cancels a running one.
    void toggleRecording();
    void startRecording();
    // Ends recording without touching the binding; also run when the view hides.
    void stopRecording();
    // The "Reset" button: stops recording and restores the default trigger.
    void reset();

    const Observable<bool>& isRecording() const { return isRecording_; }
    ModifierFlags peakModifiers() const { return peakModifiers_; }

    // Whether the application should swallow a key press it receives itself.
    // The system-wide source and the application's own key events race each
    // other, so the key that ended a recording stays swallowed until it is
    // released: otherwise a Space that committed could still press the focused
    // field again, and an Escape that cancelled could still close the window.
    bool isSwallowingKeys() const { return isRecording_.get() || swallowedKey_.has_value(); }

    // The event handlers, public so that both the system-wide source and tests
    // can drive them.
    void onFlagsChanged(const KeyEvent& event);
    Disposition onKeyDown(const KeyEvent& event);

private:
    void commit(ModifierFlags modifiers, std::optional<KeyCode> keyCode);
    void handle(const KeyEvent& event);

    KeySource& keys_;
    BindingTarget& target_;
    Observable<bool> isRecording_{false};
    ModifierFlags peakModifiers_ = 0;
    std::optional<KeyCode> swallowedKey_;
    // One subscription for the recorder's whole life, idle outside recording:
    // ending a subscription from inside its own delivery is not something
    // every key source can take.
    Subscription subscription_;
};

} // namespace vx
