// TEMPORARY stand-in for the software update service until it exists: it can
// never start a check, so the settings window shows the check as unavailable.
#pragma once

#include "core/base/observable.h"

namespace vx {

class PlaceholderUpdateService {
public:
    const Observable<bool>& canCheckForUpdates() const { return canCheckForUpdates_; }
    void checkForUpdates() {}

private:
    Observable<bool> canCheckForUpdates_{false};
};

} // namespace vx
