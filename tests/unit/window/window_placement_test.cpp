// Placing an anchored window: accessibility writes judged by read-back, the
// window server's origin-only move as the fallback, the errors, and the
// rewrites that let a later placement start from what an earlier one found.
#include "core/base/localization.h"
#include "window_service_fixture.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {

// The left half of the 1440 x 900 display, in desktop (y-up) coordinates; in
// top-left coordinates it is the same rect.
const Rect leftHalf(0, 0, 720, 900);

} // namespace

class PlacementTest : public WindowServiceTest {
protected:
    // Anchors the focused window (id 42) of an application (pid 200) and
    // forgets the calls that took. With `idUnknown` neither the element nor the
    // window list could tell the window's id at that moment.
    AnchoredWindow anchor(Rect frame = {100, 100, 800, 600}, bool idUnknown = false) {
        addFocusedApp(200, "Editor", 42, frame);
        if (idUnknown) {
            desktop.stack[0].idStatus = axstatus::failure;
            desktop.listReadable = false;
        }
        const auto window = service.anchorFrontmostWindow();
        desktop.listReadable = true;
        EXPECT_TRUE(window);
        desktop.calls.clear();
        return window.value_or(AnchoredWindow{});
    }
    FakeWindow& window() { return desktop.stack[0]; }
    void refuseAccessibilityWrites() {
        window().positionWriteStatus = axstatus::cannotComplete;
        window().sizeWriteStatus = axstatus::cannotComplete;
    }
};

TEST_F(PlacementTest, AcceptedWritesThatLandNeedNoCorrection) {
    const auto w = anchor();
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, leftHalf);
    EXPECT_EQ(desktop.count("setPosition"), 2u);
    EXPECT_EQ(desktop.count("setSize"), 2u);
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 0u);
}

TEST_F(PlacementTest, ReadBackWithin24PointsCountsAsLanded) {
    struct Case {
        double offset;
        std::size_t writes; // position writes: 2, or 3 with the correction pass
    };
    for (const Case c : {Case{20, 2}, Case{24, 2}, Case{25, 3}, Case{-25, 3}}) {
        const auto w = anchor();
        window().landingOffset = {0, c.offset};
        EXPECT_TRUE(service.setFrame(leftHalf, w)) << c.offset;
        EXPECT_EQ(desktop.count("setPosition"), c.writes) << c.offset;
        EXPECT_EQ(desktop.count("setSize"), c.writes) << c.offset;
        desktop.stack.clear();
    }
}

TEST_F(PlacementTest, WindowKeepingALargerMinimumSizeStillSucceeds) {
    const auto w = anchor();
    window().minimumSize = {1000, 900};
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(desktop.count("setSize"), 3u);
    EXPECT_EQ(window().frame.size, (Size{1000, 900}));
}

TEST_F(PlacementTest, OneAcceptedWriteIsEnough) {
    const auto w = anchor();
    window().sizeWriteStatus = axstatus::attributeUnsupported; // fixed-size window
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, Rect(0, 0, 800, 600));
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 0u);
}

TEST_F(PlacementTest, FrameAboveThePrimaryDisplayLandsAtNegativeY) {
    screens.list.push_back(FakeScreens::make(2, {0, 900, 1920, 1080}));
    const auto w = anchor();
    EXPECT_TRUE(service.setFrame({0, 900, 960, 1080}, w));
    EXPECT_EQ(window().frame, Rect(0, -1080, 960, 1080));
}

TEST_F(PlacementTest, WindowServerMovesAWindowThatRefusesWritesWhenItsSizeFits) {
    const auto w = anchor({300, 200, 720, 900});
    refuseAccessibilityWrites();
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, leftHalf);
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
    EXPECT_EQ(desktop.count("moveWindow"), 0u);
}

TEST_F(PlacementTest, WindowServerReadBackAllows8Points) {
    struct Case {
        double widthOff;
        bool ok;
    };
    for (const Case c : {Case{8, true}, Case{-8, true}, Case{9, false}}) {
        const auto w = anchor({300, 200, 720 + c.widthOff, 900});
        refuseAccessibilityWrites();
        EXPECT_EQ(service.setFrame(leftHalf, w).ok(), c.ok) << c.widthOff;
        desktop.stack.clear();
    }
}

TEST_F(PlacementTest, EveryPathFailingIsCannotSetFrame) {
    const auto w = anchor({300, 200, 500, 500});
    refuseAccessibilityWrites();
    const auto status = service.setFrame(leftHalf, w);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error(), WindowServiceError::cannotSetFrame);
    // Both server moves, then a second accessibility pass with a fresh element.
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
    EXPECT_EQ(desktop.count("moveWindow"), 1u);
    EXPECT_EQ(desktop.count("setPosition"), 4u);
    // The window server did move the origin, and only the origin.
    EXPECT_EQ(window().frame, Rect(0, 0, 500, 500));
}

TEST_F(PlacementTest, ServerMoveIsJudgedByTheServerRectWhenTheListHasNone) {
    const auto w = anchor({300, 200, 720, 900});
    refuseAccessibilityWrites();
    desktop.windowInfoReadable = false;
    EXPECT_TRUE(service.setFrame(leftHalf, w));

    desktop.serverRectReadable = false; // no rect at all: the move cannot be judged
    window().frame.origin = {300, 200};
    EXPECT_EQ(service.setFrame(leftHalf, w).error(), WindowServiceError::cannotSetFrame);
    EXPECT_EQ(desktop.count("moveWindow"), 1u);
}

TEST_F(PlacementTest, AnchorWithOnlyAnIdGoesStraightToTheWindowServer) {
    auto& app = desktop.addApp(200, "Chat");
    app.windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {300, 200, 720, 900}, 55);
    const auto w = service.anchorFrontmostWindow();
    ASSERT_TRUE(w);
    desktop.calls.clear();

    EXPECT_TRUE(service.setFrame(leftHalf, *w));
    EXPECT_EQ(desktop.stack[0].frame, leftHalf);
    EXPECT_EQ(desktop.count("setPosition"), 0u);
}

TEST_F(PlacementTest, ElementFoundLateIsKeptForLaterCalls) {
    auto& app = desktop.addApp(200, "Chat");
    app.windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {300, 200, 500, 500}, 55);
    const auto w = service.anchorFrontmostWindow();
    ASSERT_TRUE(w);

    // The application exposes its window by the time of the placement.
    app.windowsStatus = axstatus::success;
    EXPECT_TRUE(service.setFrame(leftHalf, *w));
    EXPECT_EQ(desktop.stack[0].frame, leftHalf);

    // The stored element now keeps the anchor valid without the server.
    desktop.windowInfoReadable = false;
    desktop.serverRectReadable = false;
    EXPECT_TRUE(service.isAnchorValid(*w));
}

TEST_F(PlacementTest, IdFoundLateInTheListIsKeptForLaterCalls) {
    const auto w = anchor({300, 200, 720, 900}, true);
    refuseAccessibilityWrites();
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_GE(desktop.count("onScreenWindows"), 1u);

    desktop.calls.clear();
    window().frame.origin = {300, 200};
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(desktop.count("onScreenWindows"), 0u);
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
}

TEST_F(PlacementTest, ReleasedOrGoneWindowsAreInvalid) {
    const auto w = anchor();
    EXPECT_TRUE(service.isAnchorValid(w));
    service.releaseAnchor(w);
    EXPECT_FALSE(service.isAnchorValid(w));
    EXPECT_EQ(service.setFrame(leftHalf, w).error(), WindowServiceError::windowInvalid);
    service.releaseAnchor(w); // a second release is harmless

    const auto other = service.anchorFrontmostWindow();
    ASSERT_TRUE(other);
    window().closed = true;
    EXPECT_FALSE(service.isAnchorValid(*other));
    EXPECT_EQ(service.setFrame(leftHalf, *other).error(), WindowServiceError::windowInvalid);
    EXPECT_EQ(service.setFrame(leftHalf, AnchoredWindow{Uuid::random(), 200}).error(),
              WindowServiceError::windowInvalid);
}

TEST_F(PlacementTest, MissingTrustIsReportedBeforeTheAnchorIsLookedAt) {
    const auto w = anchor();
    service.releaseAnchor(w);
    trust.trusted = false;
    EXPECT_EQ(service.setFrame(leftHalf, w).error(), WindowServiceError::accessibilityNotTrusted);
    EXPECT_TRUE(desktop.calls.empty());
}

TEST(WindowServiceErrors, CarryTheirMessages) {
    EXPECT_EQ(localizedDescription(WindowServiceError::accessibilityNotTrusted),
              "Accessibility permission is required to move windows.");
    EXPECT_EQ(localizedDescription(WindowServiceError::windowInvalid),
              "The target window is no longer available.");
    EXPECT_EQ(localizedDescription(WindowServiceError::cannotSetFrame),
              "Could not move or resize the window.");
}
