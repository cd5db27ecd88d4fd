// The user-visible messages of the window service's errors.
#include "core/window/window_types.h"

#include "core/base/localization.h"

namespace vx {

std::string localizedDescription(WindowServiceError error) {
    switch (error) {
    case WindowServiceError::accessibilityNotTrusted:
        return localized("Window access was lost: Vortaxis cannot move windows here.");
    case WindowServiceError::windowInvalid:
        return localized("The target window is no longer available.");
    case WindowServiceError::cannotSetFrame:
        return localized("Could not move or resize the window.");
    }
    return localized("Could not move or resize the window.");
}

} // namespace vx
