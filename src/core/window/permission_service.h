// Mirrors whether this program may read and move other windows, for the views
// and the session. The value is re-read only when asked (start-up, each gesture,
// the settings window), never polled.
#pragma once

#include "core/base/observable.h"
#include "core/session/collaborators.h"
#include "core/window/access_trust.h"

#include <string>
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

    std::string refusalReason() const override { return reason_; }

    void refresh() override { store(trust_.isTrusted()); }
    void requestAccess() override { store(trust_.requestTrust()); }
    void openAccessibilitySettings() { trust_.openSettings(); }

private:
    void store(bool trusted) {
        // The reason is read before the flag is told, so observers see both.
        reason_ = trusted ? std::string() : trust_.missing();
        trusted_.set(trusted);
    }

    AccessTrust& trust_;
    std::string reason_;
    Observable<bool> trusted_{false};
};

} // namespace vx
