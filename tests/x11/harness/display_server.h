// The X server under a test desktop: Xvfb by default, or Xorg with the dummy
// driver where a window manager needs every monitor to be a real RandR output.
#pragma once

#include "harness/process.h"

namespace vx::test {

struct MonitorSpec;

struct DisplayServer {
    Process process;
    std::string display;
};

// "xvfb" or "xorg". VORTAXIS_TEST_SERVER overrides; otherwise Xorg only for
// the managers that keep windows off monitors without an output, and the
// faster, long-proven Xvfb everywhere else.
std::string chooseDisplayServer(const std::string& windowManager);

// Xvfb gives one output whatever the monitors; Xorg gives output i (named by
// outputName) the geometry of monitors[i]. Files and logs go into `dir`.
std::optional<DisplayServer> startDisplayServer(const std::string& kind, const std::string& dir,
                                                int width, int height,
                                                const std::vector<MonitorSpec>& monitors,
                                                std::string* error);

// The RandR output monitor i takes over: Xvfb's only one for the first, none
// for the rest; Xorg's own output each.
std::string outputName(const std::string& kind, std::size_t i);

} // namespace vx::test
