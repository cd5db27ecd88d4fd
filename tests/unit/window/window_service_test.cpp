// The window service on a scripted 1440 x 900 desktop: which listed window is
// the target's, how it is placed, and no seam called under the anchor lock.
#include "core/window/accessibility_window_service.h"
#include "core/window/window_discovery.h"
#include "fakes/fake_screens.h"
#include "fakes/fake_window_system.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {
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

    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    FakeScreens screens;
    AccessibilityWindowService service{desktop, trust, screens};
};

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
    EXPECT_EQ(matchingWindowFromList(desktop, 300, desktop.own),
              std::optional(DiscoveredWindow{301, FakeWindowSystem::element(1), 61}));
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
    // Anchors the focused window (id 42) of the focused pid 200; no server move counted yet.
    AnchoredWindow anchor(Rect frame) {
        desktop.stack.clear();
        desktop.addApp(200, "Editor").focusedWindow = desktop.addWindow(200, frame, 42);
        desktop.focusedApp = desktop.frontmost = 200;
        const auto anchored = service.anchorFrontmostWindow();
        EXPECT_TRUE(anchored);
        desktop.serverMoves = 0;
        return anchored.value_or(AnchoredWindow{});
    }
    FakeWindow& window() { return desktop.stack[0]; }
    void refuseWrites() {
        window().positionWriteStatus = window().sizeWriteStatus = axstatus::cannotComplete;
    }
};

// The read-back decides: more than 24 points off is corrected, then moved by the
// window server; held in place or not shrinking is reported; a window larger than
// its slot stays on the display. With writes refused the server moves the origin
// only: within 8 points that counts, past that a last pass, the read-back rules.
TEST_F(PlacementTest, TheReadBackDecidesTheOutcomeAndAWindowTooLargeStaysOnTheDisplay) {
    using E = WindowServiceError;
    enum Trait { plain, held, fixedSize, refused }; // held: by the manager
    const Rect start{100, 100, 800, 600}, tile{2, 18, 1436, 880}, right{720, 0, 720, 900};
    const auto shrink = E::cannotShrink, kept = E::keptInPlace, unplaced = E::cannotSetFrame;
    const Rect quarter{0, 0, 720, 450}, topRight{720, 0, 720, 450}, from{300, 200, 720, 900};
    // The slot (y up), the frame before, how the window takes writes, its least
    // size, how much lower it lands, the error, where it is (y down), server moves.
    using Case = std::tuple<const char*, Rect, Rect, Trait, Size, double, std::optional<E>, Rect,
                            std::size_t>;
    // clang-format off
    const Case cases[] = {
        {"24 points off", leftHalf, start, plain, {}, 24, {}, {0, 24, 720, 900}, 0},
        {"25 points off", leftHalf, start, plain, {}, 25, {}, leftHalf, 1},
        {"25 points high", leftHalf, start, plain, {}, -25, {}, leftHalf, 1},
        {"held by the manager", right, start, held, {}, 0, kept, start, 2},
        {"held as a tile over the slot", leftHalf, tile, held, {}, 0, kept, tile, 2},
        {"too wide", right, start, plain, {1000, 600}, 0, shrink, {440, 0, 1000, 900}, 0},
        {"too tall", quarter, start, plain, {600, 700}, 0, shrink, {0, 200, 720, 700}, 0},
        {"too large", topRight, start, plain, {1600, 1000}, 0, shrink, {0, 0, 1600, 1000}, 0},
        {"fixed too wide", leftHalf, start, fixedSize, {}, 0, shrink, {0, 0, 800, 600}, 0},
        {"fixed small", right, {100, 100, 500, 400}, fixedSize, {}, 0, {}, {720, 0, 500, 400}, 0},
        {"refused", leftHalf, from, refused, {}, 0, {}, leftHalf, 1},
        {"8 narrower", leftHalf, {300, 200, 712, 900}, refused, {}, 0, {}, {0, 0, 712, 900}, 1},
        {"9 wider", leftHalf, {300, 200, 729, 900}, refused, {}, 0, {}, {0, 0, 729, 900}, 2},
        {"30 wider", leftHalf, {300, 200, 750, 900}, refused, {}, 0, unplaced, {0, 0, 750, 900}, 2},
    };
    // clang-format on
    for (const auto& [name, slot, before, trait, minimum, lower, error, landed, moves] : cases) {
        SCOPED_TRACE(name);
        const auto w = anchor(before);
        window().heldInPlace = trait == held;
        window().minimumSize = minimum;
        window().landingOffset = {0, lower};
        if (trait == fixedSize)
            window().sizeWriteStatus = axstatus::attributeUnsupported;
        if (trait == refused)
            refuseWrites();
        EXPECT_EQ(errorOf(service.setFrame(slot, w)), error);
        EXPECT_EQ(window().frame, landed);
        EXPECT_EQ(desktop.serverMoves, moves);
    }
}

TEST_F(PlacementTest, WithoutAListEntryTheServersRectJudgesAndWithoutEitherNothingDoes) {
    const auto w = anchor({300, 200, 720, 900});
    refuseWrites();
    desktop.windowInfoReadable = false;
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    desktop.serverRectReadable = false;
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, w)), WindowServiceError::cannotSetFrame);
}
