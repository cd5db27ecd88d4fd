// Placing an anchored window: accessibility writes judged by read-back, the
// window server's origin-only move as the fallback, the errors, and the
// rewrites that let a later placement start from what an earlier one found.
#include "window_service_fixture.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {
std::optional<WindowServiceError> errorOf(const Status<WindowServiceError>& status) {
    return status ? std::nullopt : std::optional(status.error());
}
const Rect leftHalf(0, 0, 720, 900); // of the 1440 x 900 display, the same in both systems
} // namespace

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
    const Case cases[] = {
        {"held by the manager", {720, 0, 720, 900}, start, true, false, {}, E::keptInPlace, start},
        {"held as a tile over the slot",
         {0, 0, 720, 900},
         tile,
         true,
         false,
         {},
         E::keptInPlace,
         tile},
        {"wider than the right half",
         {720, 0, 720, 900},
         start,
         false,
         false,
         {1000, 600},
         E::cannotShrink,
         {440, 0, 1000, 900}},
        {"taller than the bottom-left quarter",
         {0, 0, 720, 450},
         start,
         false,
         false,
         {600, 700},
         E::cannotShrink,
         {0, 200, 720, 700}},
        {"larger than the display",
         {720, 0, 720, 450},
         start,
         false,
         false,
         {1600, 1000},
         E::cannotShrink,
         {0, 0, 1600, 1000}},
        {"of a fixed size too wide",
         {0, 0, 720, 900},
         start,
         false,
         true,
         {},
         E::cannotShrink,
         {0, 0, 800, 600}},
        {"of a fixed smaller size",
         {720, 0, 720, 900},
         {100, 100, 500, 400},
         false,
         true,
         {},
         std::nullopt,
         {720, 0, 500, 400}},
    };
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
    desktop.managerName = "i3";
    EXPECT_EQ(localizedDescription(WindowServiceError::keptInPlace, service.windowManagerName()),
              "i3 keeps this window in place.");
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

    // An application that hides its windows is placed by the server alone.
    desktop.stack.clear();
    desktop.apps.clear();
    desktop.addApp(300, "Chat").windowsStatus = axstatus::attributeUnsupported;
    desktop.focusedApp = desktop.frontmost = 300;
    desktop.addWindow(300, {300, 200, 720, 900}, 55);
    desktop.windowInfoReadable = desktop.serverRectReadable = true;
    const auto chat = service.anchorFrontmostWindow();
    ASSERT_TRUE(chat);
    EXPECT_TRUE(service.setFrame(leftHalf, *chat));
    EXPECT_EQ(window().frame, Rect(0, 0, 720, 900));
}

TEST_F(PlacementTest, ReleasedOrGoneWindowsAreInvalidAndTrustIsCheckedFirst) {
    const auto w = anchor();
    EXPECT_TRUE(service.isAnchorValid(w));
    service.releaseAnchor(w);
    service.releaseAnchor(w); // harmless
    EXPECT_FALSE(service.isAnchorValid(w));
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, w)), WindowServiceError::windowInvalid);

    const auto other = service.anchorFrontmostWindow();
    ASSERT_TRUE(other);
    window().closed = true;
    EXPECT_FALSE(service.isAnchorValid(*other));
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, *other)), WindowServiceError::windowInvalid);

    trust.trusted = false;
    desktop.calls.clear();
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, w)), WindowServiceError::accessibilityNotTrusted);
    EXPECT_TRUE(desktop.calls.empty());
}
