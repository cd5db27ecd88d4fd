// Loading, migration, clamping and writing of the trigger's settings.
#include "core/input/hotkey_preferences.h"

#include "core/base/system_log.h"

#include <cmath>
#include <utility>

namespace vx {
namespace {

std::optional<ModifierFlags> legacyModifier(const std::string& name) {
    if (name == "control")
        return modifier::control;
    if (name == "option")
        return modifier::option;
    if (name == "command")
        return modifier::command;
    if (name == "shift")
        return modifier::shift;
    return std::nullopt;
}

void reportWriteFailure(const char* key, const std::optional<StoreError>& error) {
    if (error)
        systemLog("[Vortaxis] HotkeyPreferences: could not save " + std::string(key) + ": " +
                  error->message);
}

Bytes toBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

} // namespace

double clampedHoldDelay(double seconds) {
    if (std::isnan(seconds) || seconds <= minimumHoldDelay)
        return minimumHoldDelay;
    if (seconds > maximumHoldDelay)
        return maximumHoldDelay;
    return seconds;
}

HotkeyPreferences::HotkeyPreferences(DefaultsStore& store) : store_(store) {
    binding_.set(loadBinding());
    holdDelay_.set(loadHoldDelay());
}

HotkeyBinding HotkeyPreferences::loadBinding() {
    if (const auto data = store_.data(defaults_key::binding)) {
        const std::string_view text(reinterpret_cast<const char*>(data->data()), data->size());
        const auto stored = decodeJSON(text);
        if (stored && stored->isUsable())
            return *stored;
        if (!stored)
            store_.noteUnreadable(defaults_key::binding);
    }
    const auto name = store_.string(defaults_key::triggerModifier);
    if (!name)
        return HotkeyBinding::defaultBinding();
    const auto bit = legacyModifier(*name);
    if (!bit)
        return HotkeyBinding::defaultBinding();
    const HotkeyBinding migrated{*bit, std::nullopt};
    reportWriteFailure(defaults_key::binding,
                       store_.setData(defaults_key::binding, toBytes(encodeJSON(migrated))));
    return migrated;
}

double HotkeyPreferences::loadHoldDelay() const {
    if (!store_.hasObject(defaults_key::holdDelay))
        return defaultHoldDelay;
    return clampedHoldDelay(store_.doubleValue(defaults_key::holdDelay));
}

void HotkeyPreferences::setBinding(HotkeyBinding binding) {
    if (binding_.set(binding))
        saveBinding(binding);
}

void HotkeyPreferences::saveBinding(const HotkeyBinding& binding) {
    reportWriteFailure(defaults_key::binding,
                       store_.setData(defaults_key::binding, toBytes(encodeJSON(binding))));
}

void HotkeyPreferences::setHoldDelay(double seconds) {
    // A NaN would never compare equal to itself: every assignment would notify
    // and write, and no bound would ever hold. It is clamped before it is stored.
    if (std::isnan(seconds))
        seconds = clampedHoldDelay(seconds);
    const double previous = holdDelay_.get();
    holdDelay_.set(seconds);
    const double clamped = clampedHoldDelay(seconds);
    if (clamped != seconds) {
        setHoldDelay(clamped);
        return;
    }
    if (seconds != previous)
        reportWriteFailure(defaults_key::holdDelay,
                           store_.setDouble(defaults_key::holdDelay, seconds));
}

} // namespace vx
