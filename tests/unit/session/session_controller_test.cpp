// The gesture end to end on injected events: start, aiming, release, centre
// click, and the status line each of them leaves behind.
#include "core/base/localization.h"
#include "session_harness.h"

#include <functional>
#include <string>

using namespace vx;
using namespace vx::test;

namespace {
const std::string aimText = "Aim — release to snap · center to cancel";
} // namespace

TEST_F(SessionTest, StartWiresTheMonitorAndTheMenuAndShowsTheIdleText) {
    EXPECT_EQ(hold->startCount, 1);
    ASSERT_TRUE(hold->onHoldBegan && hold->onHoldEnded && menu->onCenterTap);
    EXPECT_EQ(status(), "Ready · hold ⌃ · click center to maximize");
    EXPECT_FALSE(retained());

    // The providers read the preferences at the time the monitor asks.
    hotkeys.current = {modifier::control | modifier::option, KeyCode{40}};
    hotkeys.delay = 0.35;
    EXPECT_EQ(hold->bindingProvider(), hotkeys.current);
    EXPECT_EQ(hold->holdDelayProvider(), 0.35);

    SessionRig unstarted(false);
    EXPECT_EQ(unstarted.status(), "Ready");
    EXPECT_EQ(unstarted.hold->startCount, 0);
}

TEST(SessionIdleStatus, FollowsTrustTheBindingAndTheRetainedFlag) {
    struct Case {
        const char* name;
        bool trusted;
        bool retainedBefore;
        std::string expected;
    };
    const Case cases[] = {
        {"trusted", true, false, "Ready · hold ⌃⌥K · click center to maximize"},
        {"trusted, outcome retained", true, true, "Snapped · Left half"},
        {"untrusted", false, false, "Accessibility required"},
        {"untrusted, outcome retained", false, true, "Accessibility required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.layout.texts[40] = "k";
        rig.hotkeys.current = {modifier::control | modifier::option, KeyCode{40}};
        if (c.retainedBefore) {
            rig.holdBegan();
            rig.aimFromCenter(-100, 0);
            rig.holdEnded();
        }
        rig.permissions.trusted = c.trusted;
        rig.controller->refreshIdleStatus();
        EXPECT_EQ(rig.status(), c.expected);
        EXPECT_EQ(rig.retained(), c.trusted && c.retainedBefore);
    }
}

TEST_F(SessionTest, HoldWithoutTrustAsksForItAndStartsNothing) {
    permissions.trusted = false;
    holdBegan();
    EXPECT_FALSE(controller->isSessionActive().get());
    EXPECT_EQ(status(), "Grant Accessibility to use ⌃");
    EXPECT_TRUE(retained());
    EXPECT_EQ(permissions.requestCount, 1);
    EXPECT_EQ(windows.anchorCount, 0);
    EXPECT_TRUE(menu->shownAt.empty());
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);

    // Each attempt prompts again; the idle refresh then replaces the plea.
    holdBegan();
    EXPECT_EQ(permissions.requestCount, 2);
    controller->refreshIdleStatus();
    EXPECT_EQ(status(), "Accessibility required");
    EXPECT_FALSE(retained());

    permissions.trusted = true;
    controller->refreshIdleStatus();
    EXPECT_EQ(status(), "Ready · hold ⌃ · click center to maximize");
}

TEST_F(SessionTest, HoldOpensTheMenuAtThePointerAndStartsAimingAndCapture) {
    screens.pointer = {300, 200};
    holdBegan();
    EXPECT_TRUE(controller->isSessionActive().get());
    EXPECT_EQ(controller->anchoredWindow().get(), editor);
    ASSERT_EQ(menu->shownAt.size(), 1u);
    EXPECT_EQ(menu->shownAt[0], Point(300, 200));
    ASSERT_TRUE(menu->shownFor[0].has_value());
    EXPECT_EQ(menu->shownFor[0]->name, "Editor");
    EXPECT_EQ(loop.clock.activeTimerCount(), 1);
    EXPECT_TRUE(controller->hasMouseTimer());
    EXPECT_TRUE(scrollTap->capturing);
    EXPECT_TRUE(scrollTap->onScroll);
    EXPECT_EQ(target(), DisplayID{20});
    EXPECT_TRUE(highlight->shownOn.empty()); // one display: no outline
    EXPECT_EQ(status(), aimText);
    EXPECT_FALSE(retained());
    // The first aim tick runs at once, before the timer's first fire.
    EXPECT_EQ(menu->hubLooks.size(), 1u);
}

TEST_F(SessionTest, RepeatedHoldBeganDuringAGestureChangesNothing) {
    holdBegan();
    screens.pointer = {900, 600};
    // Not even a lost trust: the gesture already running is not interrupted.
    permissions.trusted = false;
    holdBegan();
    EXPECT_EQ(windows.anchorCount, 1);
    EXPECT_EQ(menu->shownAt.size(), 1u);
    EXPECT_EQ(menu->center, Point(700, 450));
    EXPECT_EQ(permissions.requestCount, 0);
    EXPECT_EQ(status(), aimText);
}

TEST_F(SessionTest, HubShowsTheAnchoredOwnerOrTheFrontmostApplication) {
    struct Case {
        const char* name;
        std::optional<AnchoredWindow> front;
        std::optional<std::string> hub;
    };
    const Case cases[] = {
        {"owner is a running application", AnchoredWindow{Uuid::random(), 777}, "Editor"},
        {"owner unknown", AnchoredWindow{Uuid::random(), 55}, std::nullopt},
        {"owner is this program", AnchoredWindow{Uuid::random(), 4242}, std::nullopt},
        {"no owner", AnchoredWindow{Uuid::random(), 0}, std::nullopt},
        {"no window: the frontmost application", std::nullopt, "Terminal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.windows.apps[4242] = TargetAppInfo{4242, "Vortaxis", std::nullopt};
        rig.windows.frontmostApp = TargetAppInfo{9, "Terminal", std::nullopt};
        rig.windows.front = c.front;
        rig.holdBegan();
        ASSERT_EQ(rig.menu->shownFor.size(), 1u);
        const auto& shown = rig.menu->shownFor[0];
        EXPECT_EQ(shown ? std::optional<std::string>(shown->name) : std::nullopt, c.hub);
    }
}

TEST_F(SessionTest, WithoutAFrontWindowTheMenuStillOpens) {
    windows.front.reset();
    holdBegan();
    EXPECT_TRUE(controller->isSessionActive().get());
    EXPECT_FALSE(controller->anchoredWindow().get().has_value());
    EXPECT_TRUE(menu->visible);
    EXPECT_EQ(status(), aimText);
}

TEST_F(SessionTest, AimingFollowsThePointerOnEveryTickOutsideTheCenterZone) {
    holdBegan();
    int changes = 0;
    auto watch = controller->lockedSector().observe([&](const auto&) { ++changes; });
    for (const Point offset : {Point{0, 0}, Point{37, 0}, Point{0, -37.9}, Point{-20, 20}}) {
        aimFromCenter(offset.x, offset.y);
        EXPECT_FALSE(controller->lockedSector().get().has_value());
        EXPECT_FALSE(menu->highlighted.has_value());
    }
    aimFromCenter(100, 0);
    EXPECT_EQ(controller->lockedSector().get(), LayoutSector::right);
    EXPECT_EQ(menu->highlighted, LayoutSector::right);
    EXPECT_EQ(menu->hubLooks.back(), screens.pointer);

    // A steady pointer re-aims sixty times a second without telling anyone.
    wait(1.0);
    EXPECT_EQ(changes, 1);
    // Not sticky: back into the centre clears the aim.
    aimFromCenter(0, 10);
    EXPECT_FALSE(controller->lockedSector().get().has_value());
}

TEST_F(SessionTest, StartingTheAimTimerTwiceLeavesOneTimer) {
    holdBegan();
    controller->startMouseTimer();
    controller->startMouseTimer();
    EXPECT_EQ(loop.clock.activeTimerCount(), 1);
    const auto looks = menu->hubLooks.size();
    tick();
    EXPECT_EQ(menu->hubLooks.size(), looks + 1);
}

TEST_F(SessionTest, ReleaseSnapsIntoTheAimedSectorAndLeavesEverythingIdle) {
    holdBegan();
    aimFromCenter(80, -80);
    holdEnded();

    ASSERT_EQ(windows.frames.size(), 1u);
    EXPECT_EQ(windows.frames[0], Rect(720, 25, 720, 437.5));
    EXPECT_EQ(status(), "Snapped · Bottom-right");
    EXPECT_TRUE(retained()); // the idle refresh of the clean-up kept it
    ASSERT_EQ(windows.released.size(), 1u);
    EXPECT_EQ(windows.released[0], editor);

    EXPECT_FALSE(controller->isSessionActive().get());
    EXPECT_FALSE(controller->hasMouseTimer());
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
    EXPECT_FALSE(scrollTap->capturing);
    EXPECT_FALSE(scrollTap->onScroll);
    EXPECT_FALSE(menu->visible);
    EXPECT_FALSE(highlight->active.has_value());
    EXPECT_FALSE(controller->anchoredWindow().get().has_value());
    EXPECT_FALSE(controller->lockedSector().get().has_value());
    EXPECT_FALSE(target().has_value());
    EXPECT_EQ(controller->scrollSwitchReadyAt().get(), distantPast());

    // A tick already queued is harmless, and a second release reports nothing.
    wait(0.1);
    holdEnded();
    EXPECT_EQ(windows.frames.size(), 1u);

    // The next gesture clears the retained outcome.
    holdBegan();
    EXPECT_FALSE(retained());
    EXPECT_EQ(status(), aimText);
}

TEST_F(SessionTest, ReleaseFallsBackToTheMenusHighlightWhenNoSectorIsLocked) {
    holdBegan();
    menu->highlighted = LayoutSector::top;
    holdEnded();
    ASSERT_EQ(windows.frames.size(), 1u);
    EXPECT_EQ(windows.frames[0], Rect(0, 462.5, 1440, 437.5));
}

TEST(SessionOutcomes, EveryReleaseAndCenterClickOutcomeIsRetained) {
    using Step = std::function<void(SessionRig&)>;
    const Step aimLeft = [](SessionRig& r) { r.aimFromCenter(-100, 0); };
    const Step release = [](SessionRig& r) { r.holdEnded(); };
    const Step tap = [](SessionRig& r) { r.centerTap(); };
    struct Case {
        const char* name;
        Step before; // ahead of the hold
        Step during; // while aiming
        Step end;
        std::string expected;
        bool moved;
    };
    const Case cases[] = {
        {"release in the centre zone", {}, {}, release, "Cancelled", false},
        {"release without a window", [](SessionRig& r) { r.windows.front.reset(); }, aimLeft,
         release, "No window to move", false},
        {"release after the window closed",
         {},
         [&](SessionRig& r) {
             aimLeft(r);
             r.windows.anchorValid = false;
         },
         release,
         "Window no longer available",
         false},
        {"release with every display gone",
         {},
         [&](SessionRig& r) {
             aimLeft(r);
             r.screens.list.clear();
         },
         release,
         "No screen for layout",
         false},
        {"release that cannot move the window",
         [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::cannotSetFrame; },
         aimLeft, release, "Could not move or resize the window.", true},
        {"release that snaps", {}, aimLeft, release, "Snapped · Left half", true},
        {"centre click without a window",
         [](SessionRig& r) { r.windows.front.reset(); },
         {},
         tap,
         "No movable front window",
         false},
        {"centre click after the window closed",
         {},
         [](SessionRig& r) { r.windows.anchorValid = false; },
         tap,
         "Window no longer available",
         false},
        {"centre click with every display gone",
         {},
         [](SessionRig& r) { r.screens.list.clear(); },
         tap,
         "No screen for layout",
         false},
        {"centre click that cannot move the window",
         [](SessionRig& r) { r.windows.setFrameError = WindowServiceError::windowInvalid; },
         {},
         tap,
         "The target window is no longer available.",
         true},
        {"centre click that maximizes", {}, aimLeft, tap, "Snapped · Full screen", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        if (c.before)
            c.before(rig);
        rig.holdBegan();
        if (c.during)
            c.during(rig);
        c.end(rig);
        EXPECT_EQ(rig.status(), c.expected);
        EXPECT_TRUE(rig.retained());
        EXPECT_EQ(rig.windows.frames.size(), c.moved ? 1u : 0u);
        EXPECT_FALSE(rig.controller->isSessionActive().get());
        EXPECT_FALSE(rig.menu->visible);
        // Whatever the outcome, an anchor taken is an anchor released.
        EXPECT_EQ(rig.windows.released.size(), rig.windows.front ? 1u : 0u);
    }
}

TEST_F(SessionTest, CenterClickMaximizesAndTheLaterReleaseReportsNothing) {
    holdBegan();
    aimFromCenter(100, 0); // the aimed sector plays no part
    centerTap();
    ASSERT_EQ(windows.frames.size(), 1u);
    EXPECT_EQ(windows.frames[0], Rect(0, 25, 1440, 875));
    EXPECT_EQ(hold->cancelCount, 1);
    EXPECT_FALSE(controller->lockedSector().get().has_value());
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
    EXPECT_FALSE(scrollTap->capturing);

    holdEnded();
    centerTap();
    EXPECT_EQ(windows.frames.size(), 1u);
    EXPECT_EQ(status(), "Snapped · Full screen");
}

TEST_F(SessionTest, CenterClickWithoutTrustKeepsTheMenuOpen) {
    holdBegan();
    permissions.trusted = false;
    centerTap();
    EXPECT_EQ(status(), "Grant Accessibility to use ⌃");
    EXPECT_TRUE(retained());
    EXPECT_EQ(permissions.requestCount, 1);
    EXPECT_TRUE(controller->isSessionActive().get());
    EXPECT_TRUE(menu->visible);
    EXPECT_EQ(loop.clock.activeTimerCount(), 1);
    EXPECT_EQ(hold->cancelCount, 0);
    EXPECT_TRUE(windows.frames.empty());

    // Trust granted meanwhile: the release still ends the gesture.
    permissions.trusted = true;
    aimFromCenter(0, 100);
    holdEnded();
    EXPECT_EQ(status(), "Snapped · Top half");
}

TEST_F(SessionTest, TrustLostDuringTheMoveEndsOnAccessibilityRequired) {
    std::vector<std::string> seen;
    auto watch =
        controller->statusMessage().observe([&](const std::string& text) { seen.push_back(text); });
    windows.setFrameError = WindowServiceError::accessibilityNotTrusted;
    windows.duringSetFrame = [this] { permissions.trusted = false; };
    holdBegan();
    aimFromCenter(-100, 0);
    holdEnded();

    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], "Accessibility permission is required to move windows.");
    EXPECT_EQ(status(), "Accessibility required");
    EXPECT_FALSE(retained());
    EXPECT_EQ(windows.released.size(), 1u);
}

TEST_F(SessionTest, StatusTextsGoThroughTheTranslator) {
    installTranslator([](std::string_view english) -> std::string {
        if (english == "Snapped · %1")
            return "Eingerastet: %1";
        if (english == "Left half")
            return "Linke Hälfte";
        return {};
    });
    holdBegan();
    aimFromCenter(-100, 0);
    holdEnded();
    installTranslator({});
    EXPECT_EQ(status(), "Eingerastet: Linke Hälfte");
}
