// Placing an anchored window: accessibility writes judged by read-back, the
// window server's origin-only move as the fallback, the errors, and the
// rewrites that let a later placement start from what an earlier one found.
#include "window_service_fixture.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {
// The left half of the 1440 x 900 display; the same rect in both systems.
const Rect leftHalf(0, 0, 720, 900);
} // namespace

class PlacementTest : public WindowServiceTest {
protected:
    // Anchors the focused window (id 42) of an application (pid 200) and
    // forgets the calls that took. With `idUnknown` neither the element nor the
    // window list could tell the window's id at that moment.
    AnchoredWindow anchor(Rect frame = {100, 100, 800, 600}, bool idUnknown = false) {
        desktop.stack.clear();
        addFocusedApp(200, "Editor", 42, frame);
        if (idUnknown)
            desktop.stack[0].idStatus = axstatus::failure;
        desktop.listReadable = !idUnknown;
        const auto window = service.anchorFrontmostWindow();
        desktop.listReadable = true;
        EXPECT_TRUE(window);
        desktop.calls.clear();
        return window.value_or(AnchoredWindow{});
    }
    FakeWindow& window() { return desktop.stack[0]; }
    void refuseAccessibilityWrites() {
        window().positionWriteStatus = window().sizeWriteStatus = axstatus::cannotComplete;
    }
};

TEST_F(PlacementTest, WritesLandingWithin24PointsNeedNoCorrection) {
    // Offset of where the window lands, and the position writes that follow:
    // two, or three with the correction pass.
    for (const auto& [offset, writes] :
         {std::pair{0.0, 2u}, {20.0, 2u}, {24.0, 2u}, {25.0, 3u}, {-25.0, 3u}}) {
        const auto w = anchor();
        window().landingOffset = {0, offset};
        EXPECT_TRUE(service.setFrame(leftHalf, w)) << offset;
        EXPECT_EQ(desktop.count("setPosition"), writes) << offset;
        EXPECT_EQ(desktop.count("setSize"), writes) << offset;
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), 0u);
    }
}

TEST_F(PlacementTest, PartialOrStubbornWindowsStillSucceed) {
    auto w = anchor();
    window().minimumSize = {1000, 900};
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, Rect(0, 0, 1000, 900));

    w = anchor();
    window().sizeWriteStatus = axstatus::attributeUnsupported; // fixed-size window
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, Rect(0, 0, 800, 600));

    // A display above the primary one lies at negative top-left y.
    screens.list.push_back(FakeScreens::make(2, {0, 900, 1920, 1080}));
    w = anchor();
    EXPECT_TRUE(service.setFrame({0, 900, 960, 1080}, w));
    EXPECT_EQ(window().frame, Rect(0, -1080, 960, 1080));
}

TEST_F(PlacementTest, WindowServerMovesTheOriginOfAWindowRefusingWrites) {
    // Width of the refusing window relative to the target, and whether the
    // server's origin-only move is close enough (within 8 points).
    for (const auto& [widthOff, ok] : {std::pair{0.0, true}, {-8.0, true}, {9.0, false}}) {
        const auto w = anchor({300, 200, 720 + widthOff, 900});
        refuseAccessibilityWrites();
        const auto status = service.setFrame(leftHalf, w);
        EXPECT_EQ(status.ok(), ok) << widthOff;
        EXPECT_EQ(window().frame.origin, (Point{0, 0}));
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
        EXPECT_EQ(desktop.count("moveWindow"), ok ? 0u : 1u);
        if (ok || status.ok())
            continue;
        // After both moves, a second accessibility pass with a fresh element.
        EXPECT_EQ(status.error(), WindowServiceError::cannotSetFrame);
        EXPECT_EQ(desktop.count("setPosition"), 4u);
    }
}

TEST_F(PlacementTest, WithoutAListEntryTheServerRectJudgesTheMove) {
    const auto w = anchor({300, 200, 720, 900});
    refuseAccessibilityWrites();
    desktop.windowInfoReadable = false;
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    desktop.serverRectReadable = false; // nothing to judge by
    EXPECT_EQ(service.setFrame(leftHalf, w).error(), WindowServiceError::cannotSetFrame);
}

TEST_F(PlacementTest, AnchorOfAHiddenWindowUsesTheServerThenKeepsALateElement) {
    auto& app = desktop.addApp(200, "Chat");
    app.windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {300, 200, 720, 900}, 55);
    const auto w = service.anchorFrontmostWindow();
    ASSERT_TRUE(w);
    EXPECT_TRUE(service.setFrame(leftHalf, *w));
    EXPECT_EQ(desktop.count("setPosition"), 0u);

    // The application exposes its window by the next placement; the element
    // is stored and keeps the anchor valid without the window server.
    app.windowsStatus = axstatus::success;
    EXPECT_TRUE(service.setFrame({0, 0, 500, 500}, *w));
    EXPECT_EQ(window().frame, Rect(0, 400, 500, 500));
    desktop.windowInfoReadable = desktop.serverRectReadable = false;
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
}

TEST_F(PlacementTest, ReleasedOrGoneWindowsAreInvalidAndTrustIsCheckedFirst) {
    const auto w = anchor();
    EXPECT_TRUE(service.isAnchorValid(w));
    service.releaseAnchor(w);
    service.releaseAnchor(w); // a second release is harmless
    EXPECT_FALSE(service.isAnchorValid(w));
    EXPECT_EQ(service.setFrame(leftHalf, w).error(), WindowServiceError::windowInvalid);

    const auto other = service.anchorFrontmostWindow();
    ASSERT_TRUE(other);
    window().closed = true;
    EXPECT_FALSE(service.isAnchorValid(*other));
    EXPECT_EQ(service.setFrame(leftHalf, *other).error(), WindowServiceError::windowInvalid);

    trust.trusted = false;
    desktop.calls.clear();
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
