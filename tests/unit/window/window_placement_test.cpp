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
    const Calls writes{"role",        "position", "size",     "setPosition", "setSize",
                       "setPosition", "setSize",  "position", "size"};
    Calls corrected = writes;
    corrected.insert(corrected.end(), {"setPosition", "setSize", "position", "size"});
    // Where the window lands off the target, and the calls that follow. Still
    // off after the correction, the window server's move puts it right.
    for (const auto& [offset, calls] :
         {std::pair{0.0, writes}, {24.0, writes}, {25.0, corrected}, {-25.0, corrected}}) {
        const auto w = anchor();
        window().landingOffset = {0, offset};
        EXPECT_TRUE(service.setFrame(leftHalf, w)) << offset;
        const Calls head(desktop.calls.begin(),
                         desktop.calls.begin() + static_cast<std::ptrdiff_t>(
                                                     std::min(calls.size(), desktop.calls.size())));
        EXPECT_EQ(head, calls) << offset;
        EXPECT_EQ(desktop.count("moveWindowWithGroup"), calls == writes ? 0u : 1u) << offset;
    }
}

// The outcome is what the window reads back: a window held in place or one
// that will not shrink is reported as such, and a window larger than its slot
// stays on the display, against the side the slot touches.
TEST_F(PlacementTest, TheReadBackDecidesTheOutcomeAndAWindowTooLargeStaysOnTheDisplay) {
    struct Case {
        const char* name;
        Rect slot; // desktop coordinates (y up) of the 1440 x 900 display
        std::function<void(FakeWindow&)> script;
        std::optional<WindowServiceError> error;
        Rect landed; // top-left coordinates
    };
    const Case cases[] = {
        {"held by the manager",
         {720, 0, 720, 900},
         [](FakeWindow& w) { w.heldInPlace = true; },
         WindowServiceError::keptInPlace,
         {100, 100, 800, 600}},
        {"held as a tile over the slot",
         {0, 0, 720, 900},
         [](FakeWindow& w) {
             w.heldInPlace = true;
             w.frame = {2, 18, 1436, 880};
         },
         WindowServiceError::keptInPlace,
         {2, 18, 1436, 880}},
        {"wider than the right half",
         {720, 0, 720, 900},
         [](FakeWindow& w) {
             w.minimumSize = {1000, 600};
         },
         WindowServiceError::cannotShrink,
         {440, 0, 1000, 900}},
        {"taller than the bottom-left quarter",
         {0, 0, 720, 450},
         [](FakeWindow& w) {
             w.minimumSize = {600, 700};
         },
         WindowServiceError::cannotShrink,
         {0, 200, 720, 700}},
        {"larger than the display",
         {720, 0, 720, 450},
         [](FakeWindow& w) {
             w.minimumSize = {1600, 1000};
         },
         WindowServiceError::cannotShrink,
         {0, 0, 1600, 1000}},
        {"of a fixed size too wide",
         {0, 0, 720, 900},
         [](FakeWindow& w) { w.sizeWriteStatus = axstatus::attributeUnsupported; },
         WindowServiceError::cannotShrink,
         {0, 0, 800, 600}},
        {"of a fixed smaller size",
         {720, 0, 720, 900},
         [](FakeWindow& w) {
             w.frame.size = {500, 400};
             w.sizeWriteStatus = axstatus::attributeUnsupported;
         },
         std::nullopt,
         {720, 0, 500, 400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = anchor();
        desktop.managerName = "i3";
        c.script(window());
        EXPECT_EQ(errorOf(service.setFrame(c.slot, w)), c.error);
        EXPECT_EQ(window().frame, c.landed);
        // A window that stayed put had the window server try before it was given up.
        if (c.error == WindowServiceError::keptInPlace) {
            EXPECT_EQ(desktop.count("moveWindowWithGroup"), 1u);
        }
    }
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
