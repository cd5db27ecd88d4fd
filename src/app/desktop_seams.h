// What a desktop platform (X11, KWin) hands core: one reference per seam, so
// start-up wires whichever platform runs the same way.
#pragma once

#include "core/input/key_source.h"
#include "core/input/keyboard_layout.h"
#include "core/input/scroll_source.h"
#include "core/session/collaborators.h"
#include "core/window/access_trust.h"
#include "core/window/screens.h"
#include "core/window/window_system.h"

namespace vx {

struct DesktopSeams {
    const Screens& screens;
    WindowSystem& windowSystem;
    AccessTrust& trust;
    KeySource& keys;
    const KeyboardLayout& layout;
    ScrollSource& scroll;
    DesktopAccess& desktopAccess;
};

} // namespace vx
