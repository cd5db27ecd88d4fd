// Hold detection: turns the trigger, held for the hold delay, into "hold began"
// and its release into "hold ended". Short presses report nothing, and so does
// a lone-modifier trigger that a key or a click joined before the delay ran
// out. Input is only observed; every application still receives it.
#pragma once

#include "core/base/lifetime.h"
#include "core/base/run_loop.h"
#include "core/input/key_source.h"
#include "core/session/collaborators.h"

#include <cstdint>
#include <memory>

namespace vx {

// The shortest hold the monitor will time, whatever the delay provider says.
inline constexpr double minimumHoldTimerInterval = 0.01;

class HotkeyMonitor final : public HoldDetector {
public:
    HotkeyMonitor(KeySource& keys, RunLoop& runLoop);
    ~HotkeyMonitor() override;

    // An empty provider restores the default (Control and Alt; 0.2 s).
    void setBindingProvider(std::function<HotkeyBinding()> provider) override;
    void setHoldDelayProvider(std::function<double()> provider) override;
    void setOnHoldBegan(std::function<void()> callback) override;
    void setOnHoldEnded(std::function<void()> callback) override;

    void start() override;
    // Stops listening and forgets any hold, without a report.
    void stop();
    void cancelHoldSession() override;

    bool isTriggerDown() const { return isTriggerDown_; }
    bool isHoldSession() const { return isHoldSession_; }
    bool isArmed() const { return holdTimer_ != nullptr; }

private:
    void handleEvent(const KeyEvent& event);
    void handleLoneModifier(const KeyEvent& event, const HotkeyBinding& binding);
    void handleCombo(const KeyEvent& event, const HotkeyBinding& binding);
    void triggerPressed();
    void triggerReleased();
    void holdTimerFired(std::uint64_t arming);
    void cancelPendingHold();
    void dropHoldTimer();

    KeySource& keys_;
    RunLoop& runLoop_;
    std::function<HotkeyBinding()> bindingProvider_;
    std::function<double()> holdDelayProvider_;
    std::function<void()> onHoldBegan_;
    std::function<void()> onHoldEnded_;
    Subscription keySubscription_;
    bool isHoldSession_ = false;
    bool isTriggerDown_ = false;
    // A key or click joined the lone modifiers during the delay: no arming
    // until they are all released.
    bool isSpoiled_ = false;
    std::unique_ptr<Timer> holdTimer_;
    // Which arming the current timer belongs to: a posted task of an earlier
    // arming must not act on a later one.
    std::uint64_t arming_ = 0;
    Lifetime lifetime_;
};

} // namespace vx
