// Outliving a KWin crash on Plasma's Wayland session. Qt 6.4 ends a Wayland
// client whose compositor went away; Plasma restarts a crashed KWin, and the
// tray program should be back with it. So the program starts itself again in
// place (same process, same arguments) and waits there for the compositor's
// socket before it connects again.
#pragma once

#include <chrono>
#include <functional>

namespace vx {

// From now on, the loss of the compositor restarts the program instead of
// ending it; `release` runs first and frees what the new start must take
// again (the single-instance lock). Call once, before the application object.
void restartWhenCompositorDies(char** argv, std::function<void()> release);

// In a start made by the above: waits until the compositor's socket accepts a
// connection again, at most `deadline`; false when it did not come back. True
// at once in any other start.
bool awaitCompositorIfRestarted(std::chrono::seconds deadline);

} // namespace vx
