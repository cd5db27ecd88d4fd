// The two settings of the trigger, the binding and the hold delay, kept in the
// defaults store and written the moment they change.
#pragma once

#include "core/base/defaults_store.h"
#include "core/base/observable.h"
#include "core/input/hotkey_binding.h"
#include "core/session/collaborators.h"

namespace vx {

inline constexpr double defaultHoldDelay = 0.2;
inline constexpr double minimumHoldDelay = 0.05;
inline constexpr double maximumHoldDelay = 1.0;

namespace defaults_key {
inline constexpr const char* binding = "hotkey.binding";
inline constexpr const char* holdDelay = "hotkey.holdDelay";
// Written by earlier versions: one modifier's name. Read for migration, never written.
inline constexpr const char* triggerModifier = "hotkey.triggerModifier";
} // namespace defaults_key

// 0.05 to 1.0; a value that is not a number counts as unreadable, like a stored
// text that is no number, and becomes the minimum.
double clampedHoldDelay(double seconds);

class HotkeyPreferences final : public HotkeySettings {
public:
    // Reads both settings; writes nothing except a migrated earlier setting.
    explicit HotkeyPreferences(DefaultsStore& store);

    HotkeyBinding binding() const override { return binding_.get(); }
    double holdDelay() const override { return holdDelay_.get(); }

    // Stores and, when it changed, notifies and writes. The value stays in force
    // for the run even when the store cannot keep it; that failure is logged.
    void setBinding(HotkeyBinding binding);
    // The same, clamped into range: observers may see an out-of-range value,
    // followed at once by the clamped one, which is what gets written.
    void setHoldDelay(double seconds);

    [[nodiscard]] Subscription observeBinding(Observable<HotkeyBinding>::Observer observer) {
        return binding_.observe(std::move(observer));
    }
    [[nodiscard]] Subscription observeHoldDelay(Observable<double>::Observer observer) {
        return holdDelay_.observe(std::move(observer));
    }

private:
    HotkeyBinding loadBinding();
    double loadHoldDelay() const;
    void saveBinding(const HotkeyBinding& binding);

    DefaultsStore& store_;
    Observable<HotkeyBinding> binding_;
    Observable<double> holdDelay_;
};

} // namespace vx
