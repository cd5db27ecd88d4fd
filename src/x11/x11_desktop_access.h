// Whether the desktop is the user's to arrange, asked of the X server without
// anything the user could see: the screen saver's state, and whether another
// client holds the keyboard or the pointer (a locker, a popup menu, a drag).
#pragma once

#include "core/session/collaborators.h"
#include "x11/connection.h"

namespace vx::x11 {

class X11DesktopAccess final : public DesktopAccess {
public:
    explicit X11DesktopAccess(Connection& connection);
    X11DesktopAccess(const X11DesktopAccess&) = delete;
    X11DesktopAccess& operator=(const X11DesktopAccess&) = delete;

    Blocker blocker(bool withPointer) override;

private:
    Connection& connection_;
    // Never mapped: a grab on it cannot succeed, so asking takes nothing.
    OwnedWindow probe_;
    bool hasScreenSaver_ = false;
};

} // namespace vx::x11
