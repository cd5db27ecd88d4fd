// Callbacks the controller handed out may still be called after it is gone —
// a late timer fire, a scroll step already queued, a key event in flight. They
// must do nothing (run under the address sanitizer to catch any that do more).
#include "session_harness.h"

using namespace vx;
using namespace vx::test;

TEST_F(SessionTest, EveryCallbackHandedOutIsInertOnceTheControllerIsGone) {
    hotkeys.current = {modifier::command, KeyCode{49}};
    hotkeys.delay = 0.6;
    holdBegan();
    const auto holdBeganLate = hold->onHoldBegan;
    const auto holdEndedLate = hold->onHoldEnded;
    const auto centerTapLate = menu->onCenterTap;
    const auto scrollLate = scrollTap->onScroll;
    const auto bindingLate = hold->bindingProvider;
    const auto delayLate = hold->holdDelayProvider;
    ASSERT_EQ(loop.repeatingActions.size(), 1u);
    const auto tickLate = loop.repeatingActions[0];

    tickLate(); // a fire whose task is still queued when the controller goes
    ASSERT_EQ(loop.clock.pendingTaskCount(), 1u);
    controller.reset();
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);

    loop.clock.drain();
    tickLate();
    loop.clock.drain();
    holdEndedLate();
    centerTapLate();
    scrollLate(-200, true);
    holdBeganLate();
    loop.clock.advance(Seconds(1));

    EXPECT_TRUE(windows.frames.empty());
    EXPECT_EQ(windows.anchorCount, 1);
    // With nobody to ask, the monitor falls back to the defaults.
    EXPECT_EQ(bindingLate(), HotkeyBinding::defaultBinding());
    EXPECT_EQ(delayLate(), 0.2);
}

TEST_F(SessionTest, DestroyedMidGestureLeavesNoAnchorBehind) {
    holdBegan();
    controller.reset();
    ASSERT_EQ(windows.released.size(), 1u);
    EXPECT_EQ(windows.released[0], editor);
}
