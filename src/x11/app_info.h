// What Linux tells about an application besides its windows: its desktop
// entry (name, icon name), its process (/proc) and where it is installed.
#pragma once

#include "core/window/window_types.h"

#include <optional>
#include <string>

namespace vx::x11 {

struct DesktopEntry {
    std::string id; // file name without ".desktop"
    std::string name;
    std::string icon;
};

// The entry whose file is named after the window class (as given, lower-cased,
// or the instance name), searched in $XDG_DATA_HOME and $XDG_DATA_DIRS. Only
// direct file lookups: no scan of every entry on each call.
std::optional<DesktopEntry> findDesktopEntry(const std::string& instance, const std::string& klass);

bool processExists(ProcessID pid);
std::optional<std::string> processCommand(ProcessID pid); // /proc/pid/comm
std::optional<std::string> processExecutable(ProcessID pid);

// Where an executable is installed, such that "one path is a prefix of the
// other" means "the same application": the program's own directory when it
// lives in one of its own (/opt/app/bin/app -> /opt/app, /usr/lib/app/x ->
// /usr/lib/app), and the executable itself when it sits in a shared bin
// directory (/usr/bin/xterm), where its directory would unite unrelated programs.
std::string installPrefix(const std::string& executable);

} // namespace vx::x11
