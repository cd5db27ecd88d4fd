// The gesture: session start, aiming, display switching, and the commit.
#include "core/session/vortax_session_controller.h"

#include "core/base/localization.h"
#include "core/window/screen_geometry.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace vx {

VortaxSessionController::VortaxSessionController(SessionDependencies dependencies)
    : permissions_(dependencies.permissions), windowService_(dependencies.windowService),
      hotkeys_(dependencies.hotkeys), screens_(dependencies.screens), layout_(dependencies.layout),
      runLoop_(dependencies.runLoop), desktopAccess_(dependencies.desktopAccess),
      hotkey_(std::move(dependencies.hotkey)), menu_(std::move(dependencies.menu)),
      screenHighlight_(std::move(dependencies.screenHighlight)),
      scrollTap_(std::move(dependencies.scrollTap)), statusMessage_(localized("Ready")) {
    assert(hotkey_ && menu_ && screenHighlight_ && scrollTap_);
}

VortaxSessionController::~VortaxSessionController() {
    // Only what this controller holds: a gesture in flight leaves no scroll
    // capture running and no anchor behind in the shared window service.
    stopMouseTimer();
    if (isSessionActive_) {
        scrollTap_->setOnScroll({});
        scrollTap_->stop();
        if (const auto& window = anchoredWindow_.get())
            windowService_.releaseAnchor(*window);
    }
}

void VortaxSessionController::start() {
    // Every closure handed out holds this controller weakly: the monitor, the
    // menu and the run loop may call back after it is gone.
    hotkey_->setBindingProvider(
        lifetime_.guardOr([this] { return hotkeys_.binding(); }, HotkeyBinding::defaultBinding()));
    hotkey_->setHoldDelayProvider(lifetime_.guardOr([this] { return hotkeys_.holdDelay(); }, 0.2));
    hotkey_->setOnHoldBegan(lifetime_.guard([this] { handleHoldBegan(); }));
    hotkey_->setOnHoldEnded(lifetime_.guard([this] { handleHoldEnded(); }));
    menu_->setOnCenterTap(lifetime_.guard([this] { handleCenterTap(); }));
    hotkey_->start();
    permissions_.refresh();
    refreshIdleStatus();
}

// ---- Session start and aiming

void VortaxSessionController::handleHoldBegan() {
    // Checked before trust: a repeated hold-began during a gesture must change
    // nothing, not even the status line or a fresh trust prompt.
    if (isSessionActive_)
        return;
    // Behind a lock screen the window under it must stay where it is; under
    // another program's grab our menu would never see the click or the release.
    if (reportBlocked(desktopAccess_.blocker(true)))
        return;
    if (!ensureTrusted())
        return;

    isSessionActive_.set(true);
    lockedSector_.set(std::nullopt);
    scrollAccumulated_.set(0.0);
    scrollSwitchReadyAt_.set(distantPast());
    retainStatusMessage_.set(false);

    // One reading serves as both the menu centre and the initial display.
    const Point pointer = screens_.pointerLocation();
    const auto all = screens_.screens();
    std::optional<Screen> initial = screen(pointer, all);
    if (!initial)
        initial = screens_.mainScreen();
    if (!initial && !all.empty())
        initial = orderedScreens(all).front();
    if (!initial) {
        targetDisplayID_.set(std::nullopt);
        screenHighlight_->hide();
    } else {
        targetDisplayID_.set(displayID(*initial));
        if (all.size() < 2)
            screenHighlight_->hide();
        else
            screenHighlight_->show(*initial);
    }

    // Without a front window the menu opens all the same; the release says so.
    anchoredWindow_.set(windowService_.anchorFrontmostWindow());
    menu_->show(pointer, targetAppInfo());
    startMouseTimer();

    stopScrollCapture();
    scrollTap_->setOnScroll(
        lifetime_.guard([this](double delta, bool isPrecise) { handleScroll(delta, isPrecise); }));
    scrollTap_->start();

    setStatus(aimStatusText(), false);
}

void VortaxSessionController::startMouseTimer() {
    stopMouseTimer();
    mouseTimer_ = runLoop_.scheduleRepeating(aimInterval, lifetime_.guard([this] {
        runLoop_.post(lifetime_.guard([this] { updateAim(); }));
    }));
    updateAim();
}

void VortaxSessionController::stopMouseTimer() {
    if (mouseTimer_) {
        mouseTimer_->invalidate();
        mouseTimer_.reset();
    }
}

void VortaxSessionController::updateAim() {
    // A tick posted just before the session ended lands here harmlessly.
    if (!menu_->isVisible())
        return;
    // A lock arriving mid-gesture: what the user aims at is hidden, and the
    // release would come from behind the lock.
    if (const auto blocker = desktopAccess_.blocker(false);
        blocker != DesktopAccess::Blocker::none) {
        const auto window = anchoredWindow_.get();
        tearDownSession();
        hotkey_->cancelHoldSession();
        reportBlocked(blocker);
        finishSession(window);
        return;
    }
    const Point pointer = screens_.pointerLocation();
    menu_->updateHubLook(pointer);
    lockedSector_.set(sector(pointer, menu_->menuCenter()));
    menu_->setHighlightedSector(lockedSector_.get());
}

std::optional<TargetAppInfo> VortaxSessionController::targetAppInfo() const {
    if (const auto& window = anchoredWindow_.get()) {
        const ProcessID pid = window->processID;
        if (pid <= 0 || pid == windowService_.ownProcessID())
            return std::nullopt;
        return windowService_.targetAppInfo(pid);
    }
    return windowService_.frontmostAppInfo();
}

void VortaxSessionController::stopScrollCapture() {
    scrollTap_->setOnScroll({});
    scrollTap_->stop();
    scrollAccumulated_.set(0.0);
}

// ---- Target display

void VortaxSessionController::handleScroll(double delta, bool isPrecise) {
    if (!isSessionActive_)
        return;
    if (screens_.screens().size() < 2)
        return;
    // Scrolling during the cooldown is discarded, not saved up.
    if (runLoop_.now() < scrollSwitchReadyAt_.get()) {
        scrollAccumulated_.set(0.0);
        return;
    }
    // A delta that is not a number would poison the sum for the rest of the gesture.
    if (!std::isfinite(delta) || std::abs(delta) <= 0.5)
        return;

    double accumulated = scrollAccumulated_.get();
    if (accumulated != 0.0 && (accumulated > 0.0) != (delta > 0.0))
        accumulated = 0.0;
    accumulated += delta;
    scrollAccumulated_.set(accumulated);

    const double threshold = isPrecise ? scrollSwitchThresholdPrecise : scrollSwitchThresholdLines;
    // Scrolling up (positive) moves the target left, down moves it right.
    if (accumulated >= threshold)
        switchDisplay(-1);
    else if (accumulated <= -threshold)
        switchDisplay(+1);
    else
        return;
    scrollAccumulated_.set(0.0);
    scrollSwitchReadyAt_.set(runLoop_.now() + scrollSwitchCooldown);
}

void VortaxSessionController::switchDisplay(int step) {
    const auto ordered = orderedScreens(screens_.screens());
    const auto count = static_cast<long long>(ordered.size());
    if (count <= 1 || step == 0)
        return;
    const auto current = static_cast<long long>(currentDisplayIndex(ordered));
    const auto next = ((current + step % count) + count) % count;
    const Screen& target = ordered[static_cast<std::size_t>(next)];
    targetDisplayID_.set(displayID(target));
    screenHighlight_->show(target);
    setStatus(aimStatusText(), false);
}

std::size_t VortaxSessionController::currentDisplayIndex(const std::vector<Screen>& ordered) const {
    // Counted from the display the layout would go to, which is the one the
    // aim text names: when the target was unplugged, stepping starts from the
    // fallback the user is shown, not from the leftmost display.
    const auto target = resolveTargetScreen();
    if (!target)
        return 0;
    const DisplayID id = displayID(*target);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (displayID(ordered[i]) == id)
            return i;
    }
    return 0;
}

std::optional<Screen> VortaxSessionController::resolveTargetScreen() const {
    const auto all = screens_.screens();
    if (const auto& id = targetDisplayID_.get()) {
        if (auto found = screenForDisplayID(*id, all))
            return found;
    }
    if (auto underPointer = screen(screens_.pointerLocation(), all))
        return underPointer;
    return screens_.mainScreen();
}

std::string VortaxSessionController::aimStatusText() const {
    const auto all = screens_.screens();
    if (all.size() < 2)
        return localized("Aim — release to snap · center to cancel");
    const auto position = currentDisplayIndex(orderedScreens(all));
    return localized("Screen %1/%2 · scroll to switch · aim to snap",
                     {std::to_string(position + 1), std::to_string(all.size())});
}

// ---- Commit

void VortaxSessionController::handleHoldEnded() {
    if (!isSessionActive_)
        return;
    // Resolved before the overlays go, so the teardown cannot change the answer.
    auto sector = lockedSector_.get();
    if (!sector)
        sector = menu_->highlightedSector();
    const auto target = resolveTargetScreen();
    tearDownSession();

    const auto window = anchoredWindow_.get();
    if (!sector)
        setStatus(localized("Cancelled"), true);
    else if (!window)
        setStatus(localized("No window to move"), true);
    else if (!windowService_.isAnchorValid(*window))
        setStatus(localized("Window no longer available"), true);
    else if (!target)
        setStatus(localized("No screen for layout"), true);
    else
        commit(frame(*sector, target->visibleFrame), *window,
               localized("Snapped · %1", {title(*sector)}));
    finishSession(window);
}

void VortaxSessionController::handleCenterTap() {
    if (!isSessionActive_)
        return;
    // Refused: the menu stays open and the release still ends the gesture.
    if (!ensureTrusted())
        return;
    const auto window = anchoredWindow_.get();
    const auto target = resolveTargetScreen();
    tearDownSession();
    // The trigger is still down; its release must not end a second time.
    hotkey_->cancelHoldSession();
    lockedSector_.set(std::nullopt);

    if (!window)
        setStatus(localized("No movable front window"), true);
    else if (!windowService_.isAnchorValid(*window))
        setStatus(localized("Window no longer available"), true);
    else if (!target)
        setStatus(localized("No screen for layout"), true);
    else
        commit(target->visibleFrame, *window, localized("Snapped · Full screen"));
    finishSession(window);
}

void VortaxSessionController::tearDownSession() {
    isSessionActive_.set(false);
    stopMouseTimer();
    stopScrollCapture();
    menu_->hide();
    screenHighlight_->hide();
}

void VortaxSessionController::commit(const Rect& frame, const AnchoredWindow& window,
                                     std::string success) {
    const auto placed = windowService_.setFrame(frame, window);
    if (placed)
        setStatus(std::move(success), true);
    else if (placed.error() == WindowServiceError::keptInPlace)
        setStatus(localizedDescription(placed.error(), windowService_.windowManagerName()), true);
    else
        setStatus(localizedDescription(placed.error()), true);
}

void VortaxSessionController::finishSession(const std::optional<AnchoredWindow>& window) {
    if (window)
        windowService_.releaseAnchor(*window);
    anchoredWindow_.set(std::nullopt);
    lockedSector_.set(std::nullopt);
    targetDisplayID_.set(std::nullopt);
    scrollAccumulated_.set(0.0);
    scrollSwitchReadyAt_.set(distantPast());
    refreshIdleStatus();
}

// ---- Status line

void VortaxSessionController::refreshIdleStatus() {
    permissions_.refresh();
    if (!permissions_.isAccessibilityTrusted()) {
        setStatus(localized("No window access"), false);
        return;
    }
    if (retainStatusMessage_)
        return;
    setStatus(localized("Ready · hold %1 · click center to maximize", {bindingText()}), false);
}

bool VortaxSessionController::ensureTrusted() {
    permissions_.refresh();
    if (permissions_.isAccessibilityTrusted())
        return true;
    setStatus(refusalText(permissions_.refusalReason()), true);
    permissions_.requestAccess();
    return false;
}

bool VortaxSessionController::reportBlocked(DesktopAccess::Blocker blocker) {
    using Blocker = DesktopAccess::Blocker;
    switch (blocker) {
    case Blocker::none:
        return false;
    case Blocker::screenLocked:
        setStatus(localized("Not arranged · the screen is locked"), true);
        return true;
    case Blocker::keyboardHeld:
        setStatus(localized("Not arranged · another program holds the keyboard"), true);
        return true;
    case Blocker::pointerHeld:
        setStatus(localized("Not arranged · another program holds the pointer"), true);
        return true;
    }
    return false;
}

std::string VortaxSessionController::refusalText(const std::string& reason) {
    if (reason.empty())
        return localized("Vortaxis cannot arrange windows here.");
    return localized("Vortaxis cannot arrange windows here: %1", {reason});
}

std::string VortaxSessionController::bindingText() const {
    return hotkeys_.binding().displayString(&layout_);
}

void VortaxSessionController::setStatus(std::string text, bool retain) {
    statusMessage_.set(text);
    retainStatusMessage_.set(retain);
}

} // namespace vx
