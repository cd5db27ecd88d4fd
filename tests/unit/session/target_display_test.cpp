// Which display a gesture snaps to: the one under the pointer at the start,
// then stepped left and right by the scroll wheel, and resolved again when a
// display goes away mid-gesture.
#include "core/window/screen_geometry.h"
#include "session_harness.h"

#include <cmath>

using namespace vx;
using namespace vx::test;

namespace {

std::string screenText(int position, int count) {
    return "Screen " + std::to_string(position) + "/" + std::to_string(count) +
           " · scroll to switch · aim to snap";
}

// Three displays side by side (ids 10, 20, 30 from left to right), the
// gesture begun on the one in the middle.
class ThreeDisplays : public SessionTest {
protected:
    void SetUp() override {
        screens.list = Desktops::three();
        screens.pointer = {700, 450};
        holdBegan();
    }
};

} // namespace

TEST_F(SessionTest, OneDisplayNeverOutlinesAndIgnoresTheWheel) {
    holdBegan();
    for (double delta : {200.0, -200.0, 30.0})
        scroll(delta, false);
    EXPECT_EQ(accumulated(), 0.0);
    EXPECT_EQ(target(), DisplayID{20});
    EXPECT_TRUE(highlight->shownOn.empty());
    EXPECT_EQ(status(), "Aim — release to snap · center to cancel");
}

TEST(TargetDisplayStart, IsTheDisplayUnderThePointerElseTheMainOne) {
    struct Case {
        const char* name;
        Point pointer;
        DisplayID expected;
        int position;
    };
    const Case cases[] = {
        {"left display", {-10, 1000}, 10, 1},
        {"middle display", {0, 0.5}, 20, 2},
        {"on the seam: the right-hand display", {1440, 10}, 30, 3},
        {"above the middle display, in no display", {100, 950}, 10, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.screens.list = Desktops::three();
        rig.screens.main = Desktops::leftMonitor();
        rig.screens.pointer = c.pointer;
        rig.holdBegan();
        EXPECT_EQ(rig.target(), c.expected);
        EXPECT_EQ(rig.highlight->shownOn, std::vector<DisplayID>{c.expected});
        EXPECT_EQ(rig.status(), screenText(c.position, 3));
        // The menu opens where the pointer is, whichever display that is.
        EXPECT_EQ(rig.menu->center, c.pointer);
    }
}

TEST_F(SessionTest, WithNoDisplayAtAllTheGestureRunsAndReportsNoScreen) {
    screens.list.clear();
    holdBegan();
    EXPECT_TRUE(controller->isSessionActive().get());
    EXPECT_FALSE(target().has_value());
    EXPECT_TRUE(highlight->shownOn.empty());
    aimFromCenter(0, 100);
    holdEnded();
    EXPECT_EQ(status(), "No screen for layout");
}

TEST_F(ThreeDisplays, PreciseScrollSwitchesLeftAtNinetyThenCoolsDown) {
    EXPECT_EQ(status(), screenText(2, 3));
    scroll(50, true);
    EXPECT_EQ(target(), DisplayID{20});
    EXPECT_EQ(accumulated(), 50.0);

    scroll(50, true);
    EXPECT_EQ(target(), DisplayID{10});
    EXPECT_EQ(highlight->active, DisplayID{10});
    EXPECT_EQ(status(), screenText(1, 3));
    EXPECT_FALSE(retained());
    EXPECT_EQ(accumulated(), 0.0);
    EXPECT_EQ(controller->scrollSwitchReadyAt().get(),
              loop.now() + VortaxSessionController::scrollSwitchCooldown);

    // During the cooldown scrolling is thrown away, not saved up.
    wait(0.44);
    scroll(200, true);
    EXPECT_EQ(target(), DisplayID{10});
    EXPECT_EQ(accumulated(), 0.0);

    // Once it has run out, left from the leftmost wraps to the rightmost.
    wait(0.01);
    scroll(95, true);
    EXPECT_EQ(target(), DisplayID{30});
    EXPECT_EQ(status(), screenText(3, 3));
}

TEST_F(ThreeDisplays, LineWheelSwitchesRightOnTheThirdLine) {
    scroll(-10, false);
    scroll(-10, false);
    EXPECT_EQ(target(), DisplayID{20});
    EXPECT_EQ(accumulated(), -20.0);
    scroll(-10, false);
    EXPECT_EQ(target(), DisplayID{30});

    // Right from the rightmost wraps to the leftmost.
    wait(0.45);
    scroll(-30, false);
    EXPECT_EQ(target(), DisplayID{10});
    EXPECT_EQ(highlight->shownOn, (std::vector<DisplayID>{20, 30, 10}));
}

TEST_F(ThreeDisplays, TinyDeltasAreIgnoredAndAReversalStartsTheSumAgain) {
    struct Step {
        double delta;
        double sumAfter;
    };
    const Step steps[] = {
        {0.5, 0.0},        {-0.5, 0.0}, {0.6, 0.6},   {59.4, 60.0},
        {-10, -10},        {0.3, -10},  {-15, -25.0}, {std::nan(""), -25.0},
        {INFINITY, -25.0},
    };
    for (const auto& step : steps) {
        scroll(step.delta, true);
        EXPECT_DOUBLE_EQ(accumulated(), step.sumAfter) << "after " << step.delta;
    }
    EXPECT_EQ(target(), DisplayID{20});
}

TEST_F(ThreeDisplays, AScrollQueuedBeforeTheReleaseIsIgnored) {
    auto late = scrollTap->onScroll;
    aimFromCenter(0, -100);
    holdEnded();
    late(-200, true);
    late(200, false);
    EXPECT_EQ(accumulated(), 0.0);
    EXPECT_FALSE(target().has_value());
    EXPECT_TRUE(highlight->shownOn.size() == 1u);
    EXPECT_EQ(status(), "Snapped · Bottom half");
}

TEST_F(ThreeDisplays, ReleaseSnapsIntoTheVisibleFrameOfTheDisplaySwitchedTo) {
    scroll(-100, true); // to the right-hand display, 1920 x 1080 less a 30-point bar
    aimFromCenter(-100, 0);
    holdEnded();
    ASSERT_EQ(windows.frames.size(), 1u);
    EXPECT_EQ(windows.frames[0], Rect(1440, 0, 960, 1050));
}

TEST_F(SessionTest, StackedDisplaysAreOrderedLowerFirst) {
    const Screen lower = FakeScreens::make(5, {0, 0, 1440, 900});
    const Screen upper = FakeScreens::make(6, {0, 900, 1440, 900});
    screens.list = {upper, lower};
    screens.pointer = {700, 1300};
    holdBegan();
    EXPECT_EQ(status(), screenText(2, 2));
    scroll(-30, false);
    EXPECT_EQ(target(), DisplayID{5});
    EXPECT_EQ(status(), screenText(1, 2));
}

TEST_F(SessionTest, ADisplayPluggedInMidGestureJoinsTheOrder) {
    screens.list = Desktops::two();
    holdBegan();
    EXPECT_EQ(status(), screenText(1, 2));
    screens.list = Desktops::three();
    scroll(100, true);
    EXPECT_EQ(target(), DisplayID{10});
    EXPECT_EQ(status(), screenText(1, 3));
}

TEST(TargetDisplayUnplugged, LayoutGoesUnderThePointerElseToTheMainDisplay) {
    struct Case {
        const char* name;
        Point pointerAtRelease;
        Rect expected;
    };
    // The gesture starts on the right-hand display, which is then unplugged.
    const Case cases[] = {
        {"pointer on the laptop", {1000, 500}, {0, 25, 720, 875}},
        {"pointer in no display", {100, 950}, {-1280, 0, 640, 1024}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRig rig;
        rig.screens.list = Desktops::three();
        rig.screens.main = Desktops::leftMonitor();
        rig.screens.pointer = {2000, 500};
        rig.holdBegan();
        ASSERT_EQ(rig.target(), DisplayID{30});
        rig.screens.list = {Desktops::laptop(), Desktops::leftMonitor()};
        rig.screens.pointer = c.pointerAtRelease;
        rig.tick(); // aimed left, whichever display the pointer is on
        rig.holdEnded();
        ASSERT_EQ(rig.windows.frames.size(), 1u);
        EXPECT_EQ(rig.windows.frames[0], c.expected);
        EXPECT_EQ(rig.status(), "Snapped · Left half");
    }
}

TEST_F(SessionTest, AfterAnUnplugTheWheelStepsFromTheDisplayTheUserIsShown) {
    screens.list = Desktops::three();
    screens.pointer = {2000, 500};
    holdBegan();
    screens.list = {Desktops::laptop(), Desktops::leftMonitor()};
    screens.pointer = {700, 450};
    // The target is gone; the laptop under the pointer stands in for it.
    EXPECT_EQ(controller->aimStatusText(), screenText(2, 2));
    EXPECT_EQ(controller->currentDisplayIndex(orderedScreens(screens.list)), 1u);
    scroll(-30, false);
    EXPECT_EQ(target(), DisplayID{10});
    EXPECT_EQ(status(), screenText(1, 2));
}
