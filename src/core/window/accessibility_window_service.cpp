// Anchoring, validity and placement of the target window; see the header.
#include "core/window/accessibility_window_service.h"

#include "core/base/localization.h"
#include "core/window/screen_geometry.h"

#include <algorithm>
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

// Beyond the tolerance in either dimension: the application keeps a minimum
// size the target cannot hold.
bool tooLarge(const Rect& placed, const Rect& target) {
    return placed.size.width > target.size.width + accessibilityTolerance ||
           placed.size.height > target.size.height + accessibilityTolerance;
}

// A window of fixed or bounded size at the target's corner: as placed as it can be.
bool isPlacedSmaller(const Rect& placed, const Rect& target) {
    return !tooLarge(placed, target) &&
           std::abs(placed.origin.x - target.origin.x) <= accessibilityTolerance &&
           std::abs(placed.origin.y - target.origin.y) <= accessibilityTolerance;
}

// Along one axis: a window longer than its slot keeps to the slot's side of
// the usable area (the right half's right edge, the bottom quarter's bottom),
// and never leaves the area where it fits in it.
double keptStart(double length, double slotStart, double slotLength, double areaStart,
                 double areaLength) {
    if (length <= slotLength + accessibilityTolerance)
        return slotStart;
    const double slotEnd = slotStart + slotLength, areaEnd = areaStart + areaLength;
    const bool farSide = std::abs(slotEnd - areaEnd) < 1 && std::abs(slotStart - areaStart) >= 1;
    const double start = farSide ? slotEnd - length : slotStart;
    return std::max(areaStart, std::min(start, areaEnd - length));
}

} // namespace

Point keptOnScreenCorner(Size size, const Rect& slot, const Rect& area) {
    return {
        keptStart(size.width, slot.origin.x, slot.size.width, area.origin.x, area.size.width),
        keptStart(size.height, slot.origin.y, slot.size.height, area.origin.y, area.size.height)};
}

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

    // An accepted write proves nothing: the window manager may keep the window
    // where it was, and an application may refuse to shrink. What the window
    // reads back afterwards is the result.
    // Where the window was: one that neither moved nor changed size was held
    // by its manager, whatever size it has.
    const auto before = element ? placedRect(*element, windowID) : std::nullopt;
    bool accepted = false;
    if (element) {
        const auto pass = applyFrameAX(*element, target);
        accepted = pass.accepted;
        if (pass.placed && within(*pass.placed, target, accessibilityTolerance))
            return Status<WindowServiceError>::success();
        // The window server moves without resizing: no help for a window too
        // large that moves. One that stays put may yet move by the server.
        if (pass.placed && tooLarge(*pass.placed, target)) {
            const auto kept =
                keepOnScreen(*element, *pass.placed, before, target, usableAreaHolding(frame));
            if (kept.error() != WindowServiceError::keptInPlace)
                return kept;
        }
        if (pass.placed && isPlacedSmaller(*pass.placed, target))
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
    std::optional<Rect> placed;
    if (fresh) {
        const auto pass = applyFrameAX(*fresh, target);
        accepted = accepted || pass.accepted;
        placed = pass.placed;
    }
    if (!placed && windowID)
        placed = currentWindowRect(system_, *windowID);
    if (!placed)
        return fail(WindowServiceError::cannotSetFrame);
    if (within(*placed, target, accessibilityTolerance))
        return Status<WindowServiceError>::success();
    if (!accepted)
        return fail(WindowServiceError::cannotSetFrame);
    if (fresh && tooLarge(*placed, target))
        return keepOnScreen(*fresh, *placed, before, target, usableAreaHolding(frame));
    if (isPlacedSmaller(*placed, target))
        return Status<WindowServiceError>::success();
    // Writes were taken and the window stayed: the manager holds it (a tiling
    // manager's tiled window).
    return fail(WindowServiceError::keptInPlace);
}

std::optional<Rect> AccessibilityWindowService::placedRect(ElementRef element,
                                                           std::optional<WindowID> windowID) {
    const auto position = system_.position(element);
    const auto size = system_.size(element);
    if (position.ok() && size.ok())
        return Rect(*position.value, *size.value);
    return windowID ? currentWindowRect(system_, *windowID) : std::nullopt;
}

std::optional<Rect> AccessibilityWindowService::usableAreaHolding(const Rect& frame) const {
    const auto all = screens_.screens();
    const Point middle{frame.origin.x + frame.size.width / 2,
                       frame.origin.y + frame.size.height / 2};
    auto holding = screen(middle, all);
    if (!holding)
        holding = screens_.mainScreen();
    if (!holding)
        return std::nullopt;
    return axRect(holding->visibleFrame, screens_);
}

Status<WindowServiceError>
AccessibilityWindowService::keepOnScreen(ElementRef element, const Rect& placed,
                                         const std::optional<Rect>& before, const Rect& target,
                                         const std::optional<Rect>& usable) {
    if (before && within(*before, placed, 1))
        return fail(WindowServiceError::keptInPlace);
    const Point corner = keptOnScreenCorner(placed.size, target, usable.value_or(target));
    if (std::abs(corner.x - placed.origin.x) > 0.5 || std::abs(corner.y - placed.origin.y) > 0.5)
        (void)system_.setPosition(element, corner);
    const auto now = placedRect(element, std::nullopt);
    if (!now)
        return fail(WindowServiceError::cannotSetFrame);
    const Point reached = now->origin;
    if (std::abs(reached.x - corner.x) > accessibilityTolerance ||
        std::abs(reached.y - corner.y) > accessibilityTolerance)
        return fail(WindowServiceError::keptInPlace);
    return fail(WindowServiceError::cannotShrink);
}

void AccessibilityWindowService::releaseAnchor(const AnchoredWindow& window) {
    withAnchors([&] { anchors_.erase(window.id); });
}

AccessibilityWindowService::AXPass AccessibilityWindowService::applyFrameAX(ElementRef element,
                                                                            const Rect& target) {
    // Position, size, then both again: a window moved onto a smaller display may
    // only accept its new size after the move, and a window resized may only
    // reach its position after the resize.
    const AXStatus statuses[] = {
        system_.setPosition(element, target.origin),
        system_.setSize(element, target.size),
        system_.setPosition(element, target.origin),
        system_.setSize(element, target.size),
    };
    AXPass pass;
    for (const AXStatus status : statuses)
        pass.accepted = pass.accepted || status == axstatus::success;
    if (!pass.accepted)
        return pass;
    pass.placed = placedRect(element, std::nullopt);
    if (!pass.placed || !within(*pass.placed, target, accessibilityTolerance)) {
        (void)system_.setPosition(element, target.origin);
        (void)system_.setSize(element, target.size);
        pass.placed = placedRect(element, std::nullopt);
    }
    return pass;
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
