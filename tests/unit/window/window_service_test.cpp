// The window service on a scripted desktop of one 1440 x 900 display: which
// window a gesture anchors (the focused window, the window list, and the rules
// that decide what belongs to the target application), and
// how it is placed (writes judged by read-back, the window server's move as the
// fallback, and the errors). Every test checks at its end that no seam was
// called while the anchor table was locked.
#include "core/window/accessibility_window_service.h"
#include "core/window/window_discovery.h"
#include "fakes/fake_screens.h"
#include "fakes/fake_window_system.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {
using Found = std::optional<DiscoveredWindow>;
const ElementRef e0 = FakeWindowSystem::element(0);
const ElementRef e1 = FakeWindowSystem::element(1);
std::optional<WindowServiceError> errorOf(const Status<WindowServiceError>& status) {
    return status ? std::nullopt : std::optional(status.error());
}
const Rect leftHalf(0, 0, 720, 900); // of the 1440 x 900 display, the same in both systems
} // namespace

class WindowServiceTest : public ::testing::Test {
protected:
    WindowServiceTest() {
        screens.list = {FakeScreens::make(1, {0, 0, 1440, 900})};
        desktop.lock.lockHeld = trust.lock.lockHeld = [this] { return service.isAnchorLockHeld(); };
    }
    ~WindowServiceTest() override {
        EXPECT_EQ(desktop.lock.callsUnderLock + trust.lock.callsUnderLock, 0);
    }

    // An application whose focused window has an element and an id.
    std::size_t addFocusedApp(ProcessID pid, const std::string& name, WindowID id,
                              Rect frame = {100, 100, 800, 600}) {
        auto& app = desktop.addApp(pid, name);
        app.focusedWindow = desktop.addWindow(pid, frame, id);
        desktop.focusedApp = desktop.frontmost = pid;
        return *app.focusedWindow;
    }

    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    FakeScreens screens;
    AccessibilityWindowService service{desktop, trust, screens};
};

TEST_F(WindowServiceTest, FocusedWindowIsAnchoredUnlessItIsThisProgramsOwn) {
    addFocusedApp(200, "Editor", 42);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, 42}));
    trust.trusted = false;
    EXPECT_FALSE(service.anchorFrontmostWindow());

    // This program's menu holds the focus: the frontmost application is meant,
    // and when that is this program too, nothing is.
    desktop.stack[0].owner = desktop.own;
    desktop.focusedApp = desktop.own;
    desktop.addApp(desktop.own, "Vortaxis").focusedWindow = 0;
    desktop.addWindow(200, {0, 0, 500, 400}, 43);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e1, 43}));
    desktop.frontmost = desktop.own;
    EXPECT_FALSE(findTargetWindow(desktop, desktop.own));
}

TEST_F(WindowServiceTest, AnotherApplicationsWindowNeverStandsInForTheTarget) {
    desktop.addApp(200, "Browser");
    desktop.addApp(300, "WeChat");
    desktop.addApp(desktop.own, "Browser"); // this program, named alike, its menu in front
    desktop.addWindow(desktop.own, {0, 0, 600, 500}, 60);
    desktop.addWindow(300, {0, 0, 600, 500}, 61); // in front of the target's own
    desktop.stack[desktop.addWindow(200, {0, 0, 600, 500}, 62)].editEntry = [](WindowListEntry& e) {
        e.ownerName = "Renderer";
    };
    EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own)->windowID, 62u);
    desktop.stack[2].owner = 400;
    EXPECT_FALSE(matchingWindowFromList(desktop, 200, desktop.own));
    // The chat program's other spelling does name the same owner.
    desktop.addApp(301, "\u5fae\u4fe1");
    desktop.stack[1].owner = 301;
    EXPECT_EQ(matchingWindowFromList(desktop, 300, desktop.own), Found({301, e1, 61}));
}

TEST_F(WindowServiceTest, ListedWindowsMustBeOrdinaryAndAtLeastFortyPoints) {
    desktop.addApp(200, "Editor");
    using B = std::optional<WindowListBounds>;
    const std::pair<B, bool> cases[] = {
        {WindowListBounds{0, 0, 39, 300}, false}, {WindowListBounds{0, 0, 300, 39.9}, false},
        {WindowListBounds{0, 0, 40, 40}, true},   {std::nullopt, true},
        {WindowListBounds{0, 0, {}, 300}, false},
    };
    for (const auto& [bounds, picked] : cases) {
        desktop.stack.clear();
        desktop.stack[desktop.addWindow(200, {}, 5)].editEntry = [&](WindowListEntry& e) {
            e.bounds = bounds;
        };
        EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt).has_value(), picked);
        EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own).has_value(), picked);
    }
    desktop.stack.clear();
    desktop.stack[desktop.addWindow(200, {0, 0, 500, 500}, 1)].layer = 25;
    desktop.addWindow(200, {0, 0, 500, 500}, 3);
    EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt), 3u);
    EXPECT_FALSE(frontWindowID(desktop, 200, 200));
}

class PlacementTest : public WindowServiceTest {
protected:
    // Anchors the focused window (id 42) of pid 200 and forgets the calls that took.
    AnchoredWindow anchor(Rect frame = {100, 100, 800, 600}) {
        desktop.stack.clear();
        addFocusedApp(200, "Editor", 42, frame);
        const auto anchored = service.anchorFrontmostWindow();
        EXPECT_TRUE(anchored);
        desktop.calls.clear();
        return anchored.value_or(AnchoredWindow{});
    }
    FakeWindow& window() { return desktop.stack[0]; }
    void refuseWrites() {
        window().positionWriteStatus = window().sizeWriteStatus = axstatus::cannotComplete;
    }
};

TEST_F(PlacementTest, AWindowLandingMoreThan24PointsOffIsCorrectedThenMovedByTheServer) {
    for (const auto& [offset, corrected] :
         {std::pair{0.0, false}, {24.0, false}, {25.0, true}, {-25.0, true}}) {
        const auto w = anchor();
        window().landingOffset = {0, offset};
        EXPECT_TRUE(service.setFrame(leftHalf, w)) << offset;
        EXPECT_EQ(desktop.count("setPosition"), corrected ? 3u : 2u) << offset;
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), corrected ? 1u : 0u) << offset;
    }
}

// The outcome is what the window reads back: a window held in place or one
// that will not shrink is reported as such, and a window larger than its slot
// stays on the display, against the side the slot touches.
TEST_F(PlacementTest, TheReadBackDecidesTheOutcomeAndAWindowTooLargeStaysOnTheDisplay) {
    using E = WindowServiceError;
    const Rect start{100, 100, 800, 600}, tile{2, 18, 1436, 880};
    struct Case {
        const char* name;
        Rect slot; // desktop coordinates (y up) of the 1440 x 900 display
        Rect from;
        bool held, fixedSize; // held in place by the manager; size not writable
        Size minimum;
        std::optional<E> error;
        Rect landed; // top-left coordinates
    };
    // clang-format off
    const Case cases[] = {
        {"held by the manager", {720, 0, 720, 900}, start, true, false, {}, E::keptInPlace, start},
        {"held as a tile over the slot", {0, 0, 720, 900}, tile, true, false, {},
         E::keptInPlace, tile},
        {"wider than the right half", {720, 0, 720, 900}, start, false, false, {1000, 600},
         E::cannotShrink, {440, 0, 1000, 900}},
        {"taller than the bottom-left quarter", {0, 0, 720, 450}, start, false, false, {600, 700},
         E::cannotShrink, {0, 200, 720, 700}},
        {"larger than the display", {720, 0, 720, 450}, start, false, false, {1600, 1000},
         E::cannotShrink, {0, 0, 1600, 1000}},
        {"of a fixed size too wide", {0, 0, 720, 900}, start, false, true, {},
         E::cannotShrink, {0, 0, 800, 600}},
        {"of a fixed smaller size", {720, 0, 720, 900}, {100, 100, 500, 400}, false, true, {},
         std::nullopt, {720, 0, 500, 400}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = anchor(c.from);
        window().heldInPlace = c.held;
        window().minimumSize = c.minimum;
        if (c.fixedSize)
            window().sizeWriteStatus = axstatus::attributeUnsupported;
        EXPECT_EQ(errorOf(service.setFrame(c.slot, w)), c.error);
        EXPECT_EQ(window().frame, c.landed);
        // A window that stayed put had the window server try before it was given up.
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), c.held ? 1u : 0u);
    }
}

TEST_F(PlacementTest, WindowServerMovesOnlyTheOriginAndTheReadBackJudges) {
    // Writes refused: the server's move counts within 8 points; past that, a
    // last pass, and the read-back (24 points) has the last word.
    for (const auto& [widthOff, serverOk, placed] : {std::tuple{0.0, true, true},
                                                     {-8.0, true, true},
                                                     {9.0, false, true},
                                                     {30.0, false, false}}) {
        const auto w = anchor({300, 200, 720 + widthOff, 900});
        refuseWrites();
        const auto status = service.setFrame(leftHalf, w);
        EXPECT_EQ(window().frame, Rect(0, 0, 720 + widthOff, 900));
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
        EXPECT_EQ(desktop.count("moveWindow"), serverOk ? 0u : 1u);
        EXPECT_EQ(desktop.count("setPosition"), serverOk ? 2u : 4u);
        EXPECT_EQ(errorOf(status),
                  placed ? std::nullopt : std::optional(WindowServiceError::cannotSetFrame));
    }
    // Without a list entry the server's rect judges; without either, nothing does.
    const auto w = anchor({300, 200, 720, 900});
    refuseWrites();
    desktop.windowInfoReadable = false;
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    desktop.serverRectReadable = false;
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, w)), WindowServiceError::cannotSetFrame);
}
