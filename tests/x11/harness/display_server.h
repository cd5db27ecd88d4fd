// The X server under a test desktop: Xvfb by default, or Xorg with the dummy
// driver where a window manager needs every monitor to be a real RandR output.
#pragma once

#include "harness/process.h"

namespace vx::test {

struct MonitorSpec;

struct DisplayServer {
    Process process;
    std::string display, kind; // kind: "xvfb" or "xorg"
};

// VORTAXIS_TEST_SERVER chooses the kind; otherwise Xorg only for the managers
// that keep windows off monitors without an output, the faster Xvfb elsewhere.
// The screen spans the monitors; files and logs go into `dir`.
std::optional<DisplayServer> startDisplayServer(const std::string& windowManager,
                                                const std::string& dir,
                                                const std::vector<MonitorSpec>& monitors,
                                                std::string* error);

// The RandR output monitor i takes over: Xvfb's only one for the first, none
// for the rest; Xorg's own output each.
std::string outputName(const std::string& kind, std::size_t i);

} // namespace vx::test
