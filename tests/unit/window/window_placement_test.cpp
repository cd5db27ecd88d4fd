// Placing an anchored window: accessibility writes judged by read-back, the
// window server's origin-only move as the fallback, the errors, and the
// rewrites that let a later placement start from what an earlier one found.
#include "window_service_fixture.h"

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
    // Anchors the focused window (id 42) of pid 200 and forgets the calls that
    // took. With `idUnknown` neither the element nor the list could tell its id.
    AnchoredWindow anchor(Rect frame = {100, 100, 800, 600}, bool idUnknown = false) {
        desktop.stack.clear();
        addFocusedApp(200, "Editor", 42, frame);
        window().idStatus = idUnknown ? axstatus::failure : axstatus::success;
        desktop.listReadable = !idUnknown;
        const auto anchored = service.anchorFrontmostWindow();
        desktop.listReadable = true;
        EXPECT_TRUE(anchored);
        desktop.calls.clear();
        return anchored.value_or(AnchoredWindow{});
    }
    FakeWindow& window() { return desktop.stack[0]; }
    void refuseWrites() {
        window().positionWriteStatus = window().sizeWriteStatus = axstatus::cannotComplete;
    }
};

TEST_F(PlacementTest, AccessibilityWritesPositionThenSizeTwiceAndCorrectBeyond24Points) {
    using Calls = std::vector<std::string>;
    const Calls writes{"role",    "setPosition", "setSize", "setPosition",
                       "setSize", "position",    "size"};
    Calls corrected = writes;
    corrected.insert(corrected.end(), {"setPosition", "setSize"});
    // Where the window lands off the target, and the calls that follow.
    for (const auto& [offset, calls] :
         {std::pair{0.0, writes}, {24.0, writes}, {25.0, corrected}, {-25.0, corrected}}) {
        const auto w = anchor();
        window().landingOffset = {0, offset};
        EXPECT_TRUE(service.setFrame(leftHalf, w)) << offset;
        EXPECT_EQ(desktop.calls, calls) << offset;
    }
}

TEST_F(PlacementTest, AWindowRefusingToResizeIsStillPlaced) {
    const auto w = anchor();
    window().sizeWriteStatus = axstatus::attributeUnsupported;
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    EXPECT_EQ(window().frame, Rect(0, 0, 800, 600));
    EXPECT_EQ(desktop.count("moveWindowWithGroup"), 0u);
}

TEST_F(PlacementTest, WindowServerMovesOnlyTheOriginAndAcceptsWithin8Points) {
    for (const auto& [widthOff, ok] : {std::pair{0.0, true}, {-8.0, true}, {9.0, false}}) {
        const auto w = anchor({300, 200, 720 + widthOff, 900});
        refuseWrites();
        const auto status = service.setFrame(leftHalf, w);
        EXPECT_EQ(window().frame, Rect(0, 0, 720 + widthOff, 900));
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
        EXPECT_EQ(desktop.count("moveWindow"), ok ? 0u : 1u);
        // After both moves fail, a last accessibility pass with a fresh element.
        EXPECT_EQ(desktop.count("setPosition"), ok ? 2u : 4u);
        EXPECT_EQ(errorOf(status),
                  ok ? std::nullopt : std::optional(WindowServiceError::cannotSetFrame));
    }
    // Without a list entry the server's rect judges; without either, nothing does.
    const auto w = anchor({300, 200, 720, 900});
    refuseWrites();
    desktop.windowInfoReadable = false;
    EXPECT_TRUE(service.setFrame(leftHalf, w));
    desktop.serverRectReadable = false;
    EXPECT_EQ(errorOf(service.setFrame(leftHalf, w)), WindowServiceError::cannotSetFrame);
}

TEST_F(PlacementTest, AnchorFromTheListAloneKeepsTheElementFoundLater) {
    auto& app = desktop.addApp(200, "Chat");
    app.windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {300, 200, 720, 900}, 55);
    const auto w = service.anchorFrontmostWindow();
    ASSERT_TRUE(w);
    EXPECT_TRUE(service.setFrame(leftHalf, *w));
    EXPECT_EQ(desktop.count("setPosition"), 0u);

    // Exposed by the next placement: the element is stored and keeps the
    // anchor valid without the window server.
    app.windowsStatus = axstatus::success;
    EXPECT_TRUE(service.setFrame({0, 0, 500, 500}, *w));
    EXPECT_EQ(window().frame, Rect(0, 400, 500, 500));
    desktop.windowInfoReadable = desktop.serverRectReadable = false;
    EXPECT_TRUE(service.isAnchorValid(*w));
}

TEST_F(PlacementTest, IdFoundLateInTheListIsKeptForLaterCalls) {
    const auto w = anchor({300, 200, 720, 900}, true);
    refuseWrites();
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
