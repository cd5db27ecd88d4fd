// Which display a gesture snaps to: the one under the pointer at the start,
// stepped left and right by the scroll wheel, and resolved again when a
// display goes away mid-gesture.
#include "session_harness.h"

#include <cmath>

using namespace vx;
using namespace vx::test;

namespace {

std::string screenText(DisplayID position, int count) {
    return "Screen " + std::to_string(position) + "/" + std::to_string(count) +
           " · scroll to switch · aim to snap";
}

// Three displays side by side (ids 10, 20, 30 from left to right), the gesture
// begun on the middle one.
class ThreeDisplays : public SessionTest {
protected:
    void SetUp() override {
        screens.list = threeDisplays();
        holdBegan();
    }
};

} // namespace

TEST(TargetDisplayStart, IsTheDisplayUnderThePointerElseTheMainOne) {
    const std::pair<Point, DisplayID> cases[] = {
        {{-10, 1000}, 10},
        {{0, 0.5}, 20},
        {{1440, 10}, 30}, // on the seam: the right-hand display
        {{100, 950}, 10}, // in no display: the main one
    };
    for (const auto& [pointer, expected] : cases) {
        SessionRig rig;
        rig.screens.list = threeDisplays();
        rig.screens.main = leftMonitor();
        rig.screens.pointer = pointer;
        rig.holdBegan();
        EXPECT_EQ(rig.target(), expected);
        EXPECT_EQ(rig.highlight->shownOn, std::vector<DisplayID>{expected});
        EXPECT_EQ(rig.status(), screenText(expected / 10, 3));
    }
}

TEST_F(ThreeDisplays, WheelSwitchesAtItsThresholdsWithDeadZoneReversalCooldownAndWrap) {
    struct Step {
        double waitBefore, delta;
        bool precise;
        DisplayID target;
        double sumAfter;
    };
    const Step steps[] = {
        {0, 50, true, 20, 50},    {0, 40, true, 10, 0},     // 90 points: one to the left
        {0.44, 200, true, 10, 0}, {0.01, 95, true, 30, 0},  // cooled down after 0.45 s; wraps
        {0.45, 0.5, true, 30, 0}, {0, -0.5, true, 30, 0},   // too small to count
        {0, 0.6, true, 30, 0.6},  {0, 59.4, true, 30, 60},  //
        {0, -10, false, 30, -10}, {0, 0.3, false, 30, -10}, // a reversal starts over
        {0, NAN, false, 30, -10}, {0, INFINITY, false, 30, -10},
        {0, -10, false, 30, -20}, {0, -4, false, 10, 0}, // 24 in lines: right, wraps
    };
    for (const auto& s : steps) {
        wait(s.waitBefore);
        scroll(s.delta, s.precise);
        SCOPED_TRACE(testing::Message() << "after " << s.delta);
        EXPECT_DOUBLE_EQ(accumulated(), s.sumAfter);
        EXPECT_EQ(target(), s.target);
        EXPECT_EQ(highlight->active, s.target);
        EXPECT_EQ(status(), screenText(s.target / 10, 3));
        EXPECT_FALSE(retained());
    }
}

TEST_F(ThreeDisplays, ReleaseSnapsIntoTheDisplaySwitchedToAndLateScrollsAreIgnored) {
    scroll(-100, true); // to the right-hand display, 1920 x 1080 less a 30-point bar
    const auto late = scrollTap->onScroll;
    aimFromCenter(-100, 0);
    holdEnded();
    EXPECT_EQ(windows.frames, std::vector<Rect>{Rect(1440, 0, 960, 1050)});
    late(200, true);
    EXPECT_EQ(highlight->shownOn, (std::vector<DisplayID>{20, 30}));
}

TEST_F(SessionTest, TwoStackedDisplaysAreOrderedLowerFirstAndAPlugInJoinsTheOrder) {
    screens.list = {FakeScreens::make(6, {0, 900, 1440, 900}),
                    FakeScreens::make(5, {0, 0, 1440, 900})};
    screens.pointer = {700, 1300};
    holdBegan();
    EXPECT_EQ(status(), screenText(2, 2));
    screens.list.push_back(leftMonitor());
    scroll(-30, false);
    EXPECT_EQ(target(), DisplayID{10}); // from the last of three, wrapped to the first
    EXPECT_EQ(status(), screenText(1, 3));
    aimFromCenter(0, 100);
    holdEnded();
    EXPECT_EQ(windows.frames, std::vector<Rect>{Rect(-1280, 512, 1280, 512)});
}

TEST(TargetDisplayUnplugged, TheShownDisplayAndTheLayoutGoUnderThePointerElseToTheMainOne) {
    // The gesture starts on the right-hand display, which is then unplugged.
    const std::tuple<Point, DisplayID, Rect> cases[] = {
        {{1000, 500}, 2, {0, 25, 720, 875}},    // the laptop under the pointer
        {{100, 950}, 1, {-1280, 0, 640, 1024}}, // in no display: the main one
    };
    for (const auto& [pointer, shown, expected] : cases) {
        SessionRig rig;
        rig.screens.list = threeDisplays();
        rig.screens.main = leftMonitor();
        rig.screens.pointer = {2000, 500};
        rig.holdBegan();
        rig.screens.list = {laptop(), leftMonitor()};
        rig.screens.pointer = pointer;
        rig.tick(); // aimed left, whichever display the pointer is on
        EXPECT_EQ(rig.controller->aimStatusText(), screenText(shown, 2));
        rig.holdEnded();
        EXPECT_EQ(rig.windows.frames, std::vector<Rect>{expected});
    }
}
