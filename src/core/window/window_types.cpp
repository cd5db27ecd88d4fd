// The user-visible messages of the window service's errors.
#include "core/window/window_types.h"

#include "core/base/localization.h"

namespace vx {

std::string localizedDescription(WindowServiceError error,
                                 const std::optional<std::string>& windowManager) {
    switch (error) {
    case WindowServiceError::accessibilityNotTrusted:
        return localized("Window access was lost: Vortaxis cannot move windows here.");
    case WindowServiceError::windowInvalid:
        return localized("The target window is no longer available.");
    case WindowServiceError::cannotSetFrame:
        return localized("Could not move or resize the window.");
    case WindowServiceError::keptInPlace:
        if (windowManager && !windowManager->empty())
            return localized("%1 keeps this window in place.", {*windowManager});
        return localized("The window manager keeps this window in place.");
    case WindowServiceError::cannotShrink:
        return localized("The window could not shrink that far; it was kept on the screen.");
    }
    return localized("Could not move or resize the window.");
}

} // namespace vx
