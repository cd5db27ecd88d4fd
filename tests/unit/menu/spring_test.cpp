// The hub's spring: it arrives, overshoots only a little, and keeps its
// momentum when the target moves mid-flight.
#include "core/menu/spring.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vx;

TEST(Spring, SettlesOnTheTargetSoonWithSmallOvershoot) {
    Spring spring(0.2, 0.78);
    spring.setTarget(1);
    double peak = 0;
    double t = 0;
    while (!spring.isSettled() && t < 2) {
        spring.step(1.0 / 60);
        t += 1.0 / 60;
        peak = std::max(peak, spring.value());
    }
    EXPECT_TRUE(spring.isSettled());
    EXPECT_EQ(spring.value(), 1.0);
    EXPECT_LT(t, 0.6);
    EXPECT_GT(peak, 1.0);  // under-damped: it overshoots...
    EXPECT_LT(peak, 1.05); // ...a little
}

TEST(Spring, RetargetingKeepsVelocityAndLateFramesStayStable) {
    Spring spring(0.2, 0.78);
    spring.setTarget(1);
    spring.step(0.05);
    const double before = spring.value();
    spring.setTarget(-1);
    spring.step(0.001);
    // Still moving up for a moment: the momentum carries over.
    EXPECT_GT(spring.value(), before);

    spring.step(0.5); // a long stall is integrated in short steps
    EXPECT_NEAR(spring.value(), -1, 0.05);
    spring.reset(0.3);
    EXPECT_TRUE(spring.isSettled());
    spring.step(-1);
    spring.step(std::nan(""));
    EXPECT_EQ(spring.value(), 0.3);
}
