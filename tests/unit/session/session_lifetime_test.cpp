// Callbacks the controller handed out may still be called after it is gone — a
// late timer fire, a queued scroll step, a key event in flight. They must do
// nothing (the address sanitizer catches any that do more).
#include "session_harness.h"

using namespace vx;
using namespace vx::test;

TEST_F(SessionTest, EveryCallbackHandedOutIsInertOnceTheControllerIsGone) {
    holdBegan();
    const auto began = hold->onHoldBegan, ended = hold->onHoldEnded, tap = menu->onCenterTap;
    const auto scrolled = scrollTap->onScroll;
    const auto binding = hold->bindingProvider;
    const auto delay = hold->holdDelayProvider;
    EXPECT_EQ(hold->startCount, 1);
    ASSERT_EQ(loop.repeatingActions.size(), 1u);
    const auto tickLate = loop.repeatingActions[0];
    tickLate(); // its posted aim is still queued when the controller goes
    ASSERT_EQ(loop.clock.pendingTaskCount(), 1u);

    hotkeys.current = {modifier::command, KeyCode{49}};
    hotkeys.delay = 0.6;
    EXPECT_EQ(binding(), hotkeys.current); // read when the monitor asks
    EXPECT_EQ(delay(), 0.6);
    controller.reset();
    // Destroyed mid-gesture, it leaves no anchor and no timer behind.
    EXPECT_EQ(windows.released, std::vector<AnchoredWindow>{editor});
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);

    loop.clock.drain();
    tickLate();
    loop.clock.drain();
    ended();
    tap();
    scrolled(-200, true);
    began();
    loop.clock.advance(Seconds(1));
    EXPECT_TRUE(windows.frames.empty());
    EXPECT_EQ(windows.anchorCount, 1);
    EXPECT_EQ(binding(), HotkeyBinding::defaultBinding()); // nobody left to ask
    EXPECT_EQ(delay(), 0.2);
}
