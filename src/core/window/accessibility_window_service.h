// The window service: anchors the window a gesture acts on, tells whether it is
// still there, and places it at a frame. Accessibility writes do the work; the
// window server's direct move is the fallback for windows that resist them.
#pragma once

#include "core/session/collaborators.h"
#include "core/window/access_trust.h"
#include "core/window/screens.h"
#include "core/window/window_discovery.h"
#include "core/window/window_system.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace vx {

// The hub's description of a running application.
TargetAppInfo targetAppInfo(WindowSystem& system, const RunningApplication& application);

// Where a window of `size` that is larger than `slot` goes instead: inside
// `area` (the monitor's usable area), against the side of it the slot touches.
// Top-left coordinates.
Point keptOnScreenCorner(Size size, const Rect& slot, const Rect& area);

class AccessibilityWindowService final : public WindowService {
public:
    AccessibilityWindowService(WindowSystem& system, AccessTrust& trust, const Screens& screens);

    std::optional<AnchoredWindow> anchorFrontmostWindow() override;
    bool isAnchorValid(const AnchoredWindow& window) override;
    Status<WindowServiceError> setFrame(const Rect& frame, const AnchoredWindow& window) override;
    void releaseAnchor(const AnchoredWindow& window) override;
    std::optional<std::string> windowManagerName() override { return system_.windowManagerName(); }

    std::optional<TargetAppInfo> targetAppInfo(ProcessID pid) override;
    std::optional<TargetAppInfo> frontmostAppInfo() override;
    ProcessID ownProcessID() override;

    // For tests: whether the anchor table's lock is held right now. Seam fakes
    // ask it on every call to prove that no seam call happens under the lock.
    bool isAnchorLockHeld() const { return lockHeld_.load(); }

private:
    struct AnchorRecord {
        std::optional<ElementRef> element;
        std::optional<WindowID> windowID;
        ProcessID processID = 0;
    };

    // The anchor table; each takes the lock around the map operation only.
    std::optional<AnchorRecord> record(const Uuid& id) const;
    void insertRecord(const Uuid& id, const AnchorRecord& record);
    void rewriteRecord(const Uuid& id, const AnchorRecord& record);
    void rewriteWindowID(const Uuid& id, WindowID windowID);
    template <class F> auto withAnchors(F&& body) const;

    // `target` in top-left coordinates. Whether any write was taken, and
    // where the window is after the writes (and the correction they needed).
    struct AXPass {
        bool accepted = false;
        std::optional<Rect> placed;
    };
    AXPass applyFrameAX(ElementRef element, const Rect& target);
    bool moveWindowServer(WindowID windowID, const Rect& target);
    // Where the window is now, by its element or else by the window server.
    std::optional<Rect> placedRect(ElementRef element, std::optional<WindowID> windowID);
    // The usable area (top-left) of the display a desktop-coordinate frame lies on.
    std::optional<Rect> usableAreaHolding(const Rect& frame) const;
    // A window that would not shrink to `target`: moved inside `usable`, and
    // the honest outcome of that.
    // `before`: where it was before the placement, if known.
    Status<WindowServiceError> keepOnScreen(ElementRef element, const Rect& placed,
                                            const std::optional<Rect>& before, const Rect& target,
                                            const std::optional<Rect>& usable);

    WindowSystem& system_;
    AccessTrust& trust_;
    const Screens& screens_;

    mutable std::mutex lock_;
    mutable std::atomic<bool> lockHeld_{false};
    std::unordered_map<Uuid, AnchorRecord> anchors_;
};

} // namespace vx
