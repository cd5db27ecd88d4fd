// Trust on KWin is not granted by the user: it follows the script's reports.
#include "kwin/kwin_access_trust.h"

#include "core/base/localization.h"
#include "core/base/system_log.h"

namespace vx::kwin {

std::string KWinAccessTrust::missing() {
    if (bridge_.isReporting())
        return {};
    if (!bridge_.problem().isEmpty())
        return bridge_.problem().toStdString();
    return localized("Vortaxis's KWin script has not reported yet.");
}

bool KWinAccessTrust::requestTrust() {
    const std::string why = missing();
    if (why.empty())
        return true;
    systemLog(why);
    return false;
}

} // namespace vx::kwin
