// Values the window service hands to the rest of the program.
#pragma once

#include "core/base/image.h"
#include "core/base/uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vx {

using ProcessID = std::int32_t;
// The window server's id of a window; on X11 the frame window.
using WindowID = std::uint32_t;

// The window a gesture acts on. The service keeps how to reach it; callers hold
// only this key, which stays a valid key (of nothing) after release.
struct AnchoredWindow {
    Uuid id;
    ProcessID processID = 0;
    friend bool operator==(const AnchoredWindow&, const AnchoredWindow&) = default;
};

// The application shown in the menu's hub.
struct TargetAppInfo {
    ProcessID processID = 0;
    std::string name;
    std::optional<Image> icon;

    // The icon does not take part: the same application with a re-rendered icon
    // is the same target.
    friend bool operator==(const TargetAppInfo& a, const TargetAppInfo& b) {
        return a.processID == b.processID && a.name == b.name;
    }
};

enum class WindowServiceError {
    accessibilityNotTrusted,
    windowInvalid,
    cannotSetFrame,
    // Writes were taken, yet the window stayed where it was.
    keptInPlace,
    // The window would not shrink to the target; it was kept on the display.
    cannotShrink,
};

// The user-visible message of each error, localized; `windowManager` names
// the manager that holds a window in place, where it is known.
std::string localizedDescription(WindowServiceError error,
                                 const std::optional<std::string>& windowManager = std::nullopt);

} // namespace vx
