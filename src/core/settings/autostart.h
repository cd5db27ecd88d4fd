// Starting Vortaxis at login: a desktop entry in the user's autostart folder
// (XDG autostart), written or removed from the settings window.
#pragma once

#include "core/base/result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vx {

struct AutostartError {
    std::string message; // user-visible, already translated
};

class AutostartEntry {
public:
    // `configHome` is $XDG_CONFIG_HOME, or ~/.config when that is unset or not absolute.
    static std::filesystem::path configHome(const std::optional<std::string>& xdgConfigHome,
                                            const std::optional<std::string>& home);

    // `program` is the absolute path of the executable to start.
    AutostartEntry(std::filesystem::path configHome, std::filesystem::path program);

    std::filesystem::path path() const { return configHome_ / "autostart" / "vortaxis.desktop"; }

    // Whether an entry exists that the desktop will honour (not one the user
    // switched off with Hidden=true).
    bool isEnabled() const;

    // Writes (atomically) or removes the entry.
    Status<AutostartError> setEnabled(bool enabled) const;

    // The entry's text, with the program quoted as the desktop-entry rules ask.
    std::string contents() const;

    // Quotes one argument for an Exec line.
    static std::string quoteExecArgument(const std::string& argument);

private:
    std::filesystem::path configHome_;
    std::filesystem::path program_;
};

} // namespace vx
