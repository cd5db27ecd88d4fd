// The AccessTrust seam: may this process read and move other applications'
// windows? On X11 that holds when there is a display with an EWMH window
// manager; tests use a flag.
#pragma once

#include <string>

namespace vx {

class AccessTrust {
public:
    virtual ~AccessTrust() = default;
    // Asks without showing anything.
    virtual bool isTrusted() = 0;
    // Why not, in words the user can act on; empty when trusted.
    virtual std::string missing() = 0;
    // Asks and, when not trusted, tells the user what is missing; returns the answer.
    virtual bool requestTrust() = 0;
    // Opens the place where the user can make it trusted.
    virtual void openSettings() = 0;
};

} // namespace vx
