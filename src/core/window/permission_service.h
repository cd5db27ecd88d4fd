// Mirrors whether this program may read and move other windows, for the views
// and the session. The value is re-read only when asked (start-up, each gesture,
// the settings window), never polled.
#pragma once

#include "core/base/observable.h"
#include "core/session/collaborators.h"
#include "core/window/access_trust.h"

#include <utility>

namespace vx {

class PermissionService final : public Permissions {
public:
    explicit PermissionService(AccessTrust& trust) : trust_(trust) {}

    // False until the first refresh or request, whatever the platform would say.
    bool isAccessibilityTrusted() const override { return trusted_.get(); }
    // Told only when the value changes.
    [[nodiscard]] Subscription observeAccessibilityTrusted(Observable<bool>::Observer observer) {
        return trusted_.observe(std::move(observer));
    }

    void refresh() override { trusted_.set(trust_.isTrusted()); }
    void requestAccess() override { trusted_.set(trust_.requestTrust()); }
    void openAccessibilitySettings() { trust_.openSettings(); }

private:
    AccessTrust& trust_;
    Observable<bool> trusted_{false};
};

} // namespace vx
