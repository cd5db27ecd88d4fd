// Anchoring, validity and placement of the target window; see the header.
#include "core/window/accessibility_window_service.h"

#include "core/base/localization.h"
#include "core/window/screen_geometry.h"

#include <cmath>

namespace vx {
namespace {

// An accessibility write may be accepted while the application keeps a minimum
// size or snaps to size increments (terminals): near enough counts.
constexpr double accessibilityTolerance = 24.0;
// The server moves exactly, so its check is tight; it cannot resize.
constexpr double serverTolerance = 8.0;

bool within(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.origin.x - b.origin.x) <= tolerance &&
           std::abs(a.origin.y - b.origin.y) <= tolerance &&
           std::abs(a.size.width - b.size.width) <= tolerance &&
           std::abs(a.size.height - b.size.height) <= tolerance;
}

} // namespace

TargetAppInfo targetAppInfo(WindowSystem& system, const RunningApplication& application) {
    TargetAppInfo info;
    info.processID = application.processID;
    if (application.localizedName)
        info.name = *application.localizedName;
    else if (application.bundleIdentifier)
        info.name = *application.bundleIdentifier;
    else
        info.name = localized("App");
    info.icon = system.applicationIcon(application.processID);
    return info;
}

AccessibilityWindowService::AccessibilityWindowService(WindowSystem& system, AccessTrust& trust,
                                                       const Screens& screens)
    : system_(system), trust_(trust), screens_(screens) {}

template <class F> auto AccessibilityWindowService::withAnchors(F&& body) const {
    std::lock_guard guard(lock_);
    lockHeld_.store(true);
    struct Clear {
        std::atomic<bool>& flag;
        ~Clear() { flag.store(false); }
    } clear{lockHeld_};
    return body();
}

std::optional<AccessibilityWindowService::AnchorRecord>
AccessibilityWindowService::record(const Uuid& id) const {
    return withAnchors([&]() -> std::optional<AnchorRecord> {
        const auto it = anchors_.find(id);
        if (it == anchors_.end())
            return std::nullopt;
        return it->second;
    });
}

void AccessibilityWindowService::insertRecord(const Uuid& id, const AnchorRecord& record) {
    withAnchors([&] { anchors_.insert_or_assign(id, record); });
}

// Rewrites only a record that is still there: a release between the read and
// the rewrite must not bring the anchor back.
void AccessibilityWindowService::rewriteRecord(const Uuid& id, const AnchorRecord& record) {
    withAnchors([&] {
        if (const auto it = anchors_.find(id); it != anchors_.end())
            it->second = record;
    });
}

void AccessibilityWindowService::rewriteWindowID(const Uuid& id, WindowID windowID) {
    withAnchors([&] {
        if (const auto it = anchors_.find(id); it != anchors_.end())
            it->second.windowID = windowID;
    });
}

std::optional<AnchoredWindow> AccessibilityWindowService::anchorFrontmostWindow() {
    if (!trust_.isTrusted())
        return std::nullopt;
    const auto found = findTargetWindow(system_, system_.ownProcessID());
    if (!found || (!found->element && !found->windowID))
        return std::nullopt;
    // An element that refuses moves is still worth anchoring when the window
    // server can move its window by id.
    if (found->element && !isMovable(system_, *found->element) && !found->windowID)
        return std::nullopt;

    const AnchoredWindow window{Uuid::random(), found->processID};
    insertRecord(window.id, AnchorRecord{found->element, found->windowID, found->processID});
    return window;
}

bool AccessibilityWindowService::isAnchorValid(const AnchoredWindow& window) {
    const auto stored = record(window.id);
    if (!stored)
        return false;
    if (stored->element && system_.role(*stored->element).ok())
        return true;
    if (!stored->windowID)
        return false;
    return currentWindowRect(system_, *stored->windowID).has_value();
}

Status<WindowServiceError> AccessibilityWindowService::setFrame(const Rect& frame,
                                                                const AnchoredWindow& window) {
    if (!trust_.isTrusted())
        return fail(WindowServiceError::accessibilityNotTrusted);
    const auto stored = record(window.id);
    if (!stored || !isAnchorValid(window))
        return fail(WindowServiceError::windowInvalid);

    const Rect target = axRect(frame, screens_);
    std::optional<ElementRef> element = stored->element;
    std::optional<WindowID> windowID = stored->windowID;
    const ProcessID pid = stored->processID;

    // An anchor made from the window list alone: the application may expose
    // the window by now. Remember what is found so the next call starts there.
    if (!element) {
        element = windowElement(system_, pid, windowID);
        if (!windowID && element)
            windowID = nonZeroWindowID(system_, *element);
        rewriteRecord(window.id, AnchorRecord{element, windowID, pid});
    }

    if (element) {
        if (applyFrameAX(*element, target))
            return Status<WindowServiceError>::success();
        if (!windowID)
            windowID = nonZeroWindowID(system_, *element);
    }
    if (!windowID)
        windowID = frontWindowID(system_, pid, std::nullopt);
    if (windowID) {
        rewriteWindowID(window.id, *windowID);
        if (moveWindowServer(*windowID, target))
            return Status<WindowServiceError>::success();
    }

    // A last accessibility pass with an element found afresh: the one stored
    // may belong to a window the application has since replaced.
    std::optional<ElementRef> fresh = windowElement(system_, pid, windowID);
    if (!fresh)
        fresh = element;
    if (fresh && applyFrameAX(*fresh, target))
        return Status<WindowServiceError>::success();
    return fail(WindowServiceError::cannotSetFrame);
}

void AccessibilityWindowService::releaseAnchor(const AnchoredWindow& window) {
    withAnchors([&] { anchors_.erase(window.id); });
}

bool AccessibilityWindowService::applyFrameAX(ElementRef element, const Rect& target) {
    // Position, size, then both again: a window moved onto a smaller display may
    // only accept its new size after the move, and a window resized may only
    // reach its position after the resize.
    const AXStatus statuses[] = {
        system_.setPosition(element, target.origin),
        system_.setSize(element, target.size),
        system_.setPosition(element, target.origin),
        system_.setSize(element, target.size),
    };
    bool accepted = false;
    for (const AXStatus status : statuses)
        accepted = accepted || status == axstatus::success;
    if (!accepted)
        return false;
    if (!frameMatches(element, target)) {
        (void)system_.setPosition(element, target.origin);
        (void)system_.setSize(element, target.size);
    }
    return true;
}

bool AccessibilityWindowService::frameMatches(ElementRef element, const Rect& target) {
    const auto position = system_.position(element);
    const auto size = system_.size(element);
    if (!position.ok() || !size.ok())
        return false;
    return within(Rect(*position.value, *size.value), target, accessibilityTolerance);
}

bool AccessibilityWindowService::moveWindowServer(WindowID windowID, const Rect& target) {
    (void)system_.moveWindowWithGroup(windowID, target.origin);
    if (const auto rect = currentWindowRect(system_, windowID);
        rect && within(*rect, target, serverTolerance))
        return true;
    (void)system_.moveWindow(windowID, target.origin);
    const auto rect = currentWindowRect(system_, windowID);
    return rect && within(*rect, target, serverTolerance);
}

std::optional<TargetAppInfo> AccessibilityWindowService::targetAppInfo(ProcessID pid) {
    if (pid <= 0 || pid == system_.ownProcessID())
        return std::nullopt;
    const auto application = system_.runningApplication(pid);
    if (!application)
        return std::nullopt;
    return vx::targetAppInfo(system_, *application);
}

std::optional<TargetAppInfo> AccessibilityWindowService::frontmostAppInfo() {
    const auto application = system_.frontmostApplication();
    if (!application || application->processID == system_.ownProcessID())
        return std::nullopt;
    return vx::targetAppInfo(system_, *application);
}

ProcessID AccessibilityWindowService::ownProcessID() {
    return system_.ownProcessID();
}

} // namespace vx
