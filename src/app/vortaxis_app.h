// The tray program: one instance per display, the model built at start-up, a
// tray icon that opens the settings window (and a program that still works
// where no tray is shown), --verbose status lines, and a clean end when the X
// server goes away.
#pragma once

#include "app/command_line.h"

namespace vx {

// Runs until Quit or the loss of the X server; answers the exit status.
int runVortaxis(const CommandLine& line, int& argc, char** argv);

} // namespace vx
