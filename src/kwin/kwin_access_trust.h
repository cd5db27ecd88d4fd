// The AccessTrust seam on KWin: windows can be read and moved while the
// script is loaded and reporting; otherwise the bridge says why.
#pragma once

#include "core/window/access_trust.h"
#include "kwin/kwin_bridge.h"

namespace vx::kwin {

class KWinAccessTrust final : public AccessTrust {
public:
    explicit KWinAccessTrust(const KWinBridge& bridge) : bridge_(bridge) {}
    bool isTrusted() override { return bridge_.isReporting(); }
    // Logs the reason once per refusal: KWin offers no page to grant access.
    bool requestTrust() override;
    void openSettings() override {}

    // Why windows cannot be moved right now; empty while they can.
    std::string missing() override;

private:
    const KWinBridge& bridge_;
};

} // namespace vx::kwin
