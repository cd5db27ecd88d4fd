// The hold-detection state machine: Idle, Armed, Holding and Latched.
#include "core/input/hotkey_monitor.h"

#include <cmath>

namespace vx {
namespace {
HotkeyBinding defaultBindingProvider() {
    return HotkeyBinding::defaultBinding();
}
double defaultHoldDelayProvider() {
    return 0.2;
}
} // namespace

HotkeyMonitor::HotkeyMonitor(KeySource& keys, RunLoop& runLoop)
    : keys_(keys), runLoop_(runLoop), bindingProvider_(defaultBindingProvider),
      holdDelayProvider_(defaultHoldDelayProvider) {}

HotkeyMonitor::~HotkeyMonitor() = default;

void HotkeyMonitor::setBindingProvider(std::function<HotkeyBinding()> provider) {
    bindingProvider_ = provider ? std::move(provider) : defaultBindingProvider;
}

void HotkeyMonitor::setHoldDelayProvider(std::function<double()> provider) {
    holdDelayProvider_ = provider ? std::move(provider) : defaultHoldDelayProvider;
}

void HotkeyMonitor::setOnHoldBegan(std::function<void()> callback) {
    onHoldBegan_ = std::move(callback);
}

void HotkeyMonitor::setOnHoldEnded(std::function<void()> callback) {
    onHoldEnded_ = std::move(callback);
}

void HotkeyMonitor::start() {
    stop();
    keySubscription_ =
        keys_.subscribe(lifetime_.guard([this](const KeyEvent& event) { handleEvent(event); }));
}

void HotkeyMonitor::stop() {
    keySubscription_.reset();
    dropHoldTimer();
    isHoldSession_ = false;
    isTriggerDown_ = false;
    isSpoiled_ = false;
}

void HotkeyMonitor::cancelHoldSession() {
    dropHoldTimer();
    isHoldSession_ = false;
}

void HotkeyMonitor::handleEvent(const KeyEvent& event) {
    const HotkeyBinding binding = bindingProvider_();
    if (binding.keyCode)
        handleCombo(event, binding);
    else
        handleLoneModifier(event, binding);
}

void HotkeyMonitor::handleLoneModifier(const KeyEvent& event, const HotkeyBinding& binding) {
    if (event.type == KeyEvent::Type::keyDown || event.type == KeyEvent::Type::pointerPress) {
        // A key or a click while the delay runs: the modifiers were a
        // shortcut's (Ctrl+C, Ctrl+click, Ctrl+wheel), not the trigger. Once the
        // menu is open, keys and clicks belong to the gesture.
        if (isArmed()) {
            dropHoldTimer();
            isSpoiled_ = true;
        }
        return;
    }
    if (event.type != KeyEvent::Type::flagsChanged)
        return;
    const ModifierFlags mask = binding.maskedModifiers();
    const ModifierFlags held = event.modifiers & bindingModifierMask;
    if (mask != 0 && held == mask) {
        triggerPressed();
    } else if ((held & mask) == 0) {
        triggerReleased();
    } else if (isTriggerDown_ && !isHoldSession_) {
        // The set changed while some of it is still held: a pending hold is off,
        // but a running hold lasts while any of the binding's modifiers is down.
        cancelPendingHold();
    }
}

void HotkeyMonitor::handleCombo(const KeyEvent& event, const HotkeyBinding& binding) {
    const ModifierFlags mask = binding.maskedModifiers();
    switch (event.type) {
    case KeyEvent::Type::flagsChanged:
        if (!isTriggerDown_ && !isHoldSession_)
            return;
        // A bare key is released only by its key; extra modifiers do not matter.
        if (mask == 0 || (event.modifiers & mask) == mask)
            return;
        triggerReleased();
        return;
    case KeyEvent::Type::keyUp:
        if (event.keyCode == *binding.keyCode)
            triggerReleased();
        return;
    case KeyEvent::Type::keyDown:
        if (event.isRepeat || event.keyCode != *binding.keyCode ||
            (event.modifiers & bindingModifierMask) != mask)
            return;
        triggerPressed();
        return;
    case KeyEvent::Type::pointerPress:
        return;
    }
}

void HotkeyMonitor::triggerPressed() {
    // A spoiled press stays spoiled until its modifiers are all let go, however
    // the set changes meanwhile.
    if (isTriggerDown_ || isHoldSession_ || isSpoiled_)
        return;
    isTriggerDown_ = true;
    dropHoldTimer();
    double delay = holdDelayProvider_();
    if (std::isnan(delay) || delay < minimumHoldTimerInterval)
        delay = minimumHoldTimerInterval;
    const std::uint64_t arming = ++arming_;
    // Firing only posts the handling, so a release already queued is handled first.
    holdTimer_ = runLoop_.scheduleOnce(Seconds(delay), lifetime_.guard([this, arming] {
        runLoop_.post(lifetime_.guard([this, arming] { holdTimerFired(arming); }));
    }));
}

void HotkeyMonitor::holdTimerFired(std::uint64_t arming) {
    // A task left over from an earlier arming (released and pressed again before
    // it ran) would begin the new hold early and drop its timer.
    if (arming != arming_)
        return;
    holdTimer_.reset();
    if (isTriggerDown_ && !isHoldSession_) {
        isHoldSession_ = true;
        if (onHoldBegan_)
            onHoldBegan_();
    }
}

void HotkeyMonitor::triggerReleased() {
    const bool wasHolding = isHoldSession_;
    dropHoldTimer();
    isHoldSession_ = false;
    isTriggerDown_ = false;
    isSpoiled_ = false;
    if (wasHolding && onHoldEnded_)
        onHoldEnded_();
}

void HotkeyMonitor::cancelPendingHold() {
    dropHoldTimer();
    isTriggerDown_ = false;
}

void HotkeyMonitor::dropHoldTimer() {
    if (holdTimer_) {
        holdTimer_->invalidate();
        holdTimer_.reset();
    }
    // Whatever was posted for the dropped timer is now stale.
    ++arming_;
}

} // namespace vx
