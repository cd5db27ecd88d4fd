// Scroll capture: which events reach the owner and with what delta, which are
// swallowed, and what survives stop, restart and a refusing platform.
#include "core/base/virtual_run_loop.h"
#include "core/input/scroll_wheel_event_tap.h"
#include "fakes/fake_scroll_source.h"
#include "fakes/log_capture.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace vx;
using vx::test::FakeScrollSource;

namespace {

class ScrollTapTest : public ::testing::Test {
protected:
    VirtualRunLoop loop;
    FakeScrollSource source;
    ScrollWheelEventTap tap{source, loop};
    std::vector<std::pair<double, bool>> steps;
    vx::test::LogCapture capture;
    std::vector<std::string>& log = capture.lines;

    void SetUp() override {
        tap.setOnScroll([this](double delta, bool precise) { steps.emplace_back(delta, precise); });
    }
};

constexpr auto swallow = ScrollDisposition::swallow;
constexpr auto pass = ScrollDisposition::pass;

} // namespace

TEST_F(ScrollTapTest, NotStartedEveryEventReachesApplications) {
    EXPECT_EQ(source.swipe(3.0), pass);
    EXPECT_EQ(source.wheel(-1.0), pass);
    loop.drain();
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(tap.isCapturing());
}

TEST_F(ScrollTapTest, StepsArePostedWithTheirScaleAndEveryEventIsSwallowed) {
    tap.start();
    struct Case {
        ScrollEvent event;
        std::optional<std::pair<double, bool>> step;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {{true, 3.0, 0}, std::pair{3.0, true}},
        {{false, 0, -1.0}, std::pair{-10.0, false}},
        {{false, 7.0, 0.5}, std::pair{5.0, false}}, // a wheel's point delta is not read
        {{true, -0.011, 4.0}, std::pair{-0.011, true}},
        {{true, 0.005, 0}, std::nullopt},  // noise
        {{true, 0.01, 0}, std::nullopt},   // the floor itself is noise too
        {{false, 0, 0.001}, std::nullopt}, // 0.01 after scaling
        {{false, 0, 0}, std::nullopt},     // horizontal-only scrolling
        {{true, nan, 0}, std::nullopt},
        {{false, 0, inf}, std::nullopt},
    };
    for (const auto& c : cases) {
        steps.clear();
        EXPECT_EQ(source.scroll(c.event), swallow);
        EXPECT_TRUE(steps.empty()) << "never called inside the platform's callback";
        loop.drain();
        if (c.step)
            EXPECT_EQ(steps, std::vector{*c.step});
        else
            EXPECT_TRUE(steps.empty()) << c.event.pointDelta << " " << c.event.lineDelta;
    }
}

TEST_F(ScrollTapTest, StartingTwiceHoldsOneCaptureAndStopReleasesIt) {
    tap.start();
    tap.start();
    EXPECT_EQ(source.overlappingStarts, 0);
    EXPECT_EQ(source.starts, 2);
    EXPECT_TRUE(source.capturing);
    tap.stop();
    tap.stop();
    EXPECT_FALSE(source.capturing);
    EXPECT_FALSE(tap.isCapturing());
    EXPECT_EQ(source.swipe(5.0), pass);
}

TEST_F(ScrollTapTest, StepQueuedBeforeStopStillReachesTheClosureOfItsTime) {
    tap.start();
    source.wheel(1.0);
    tap.setOnScroll({}); // the owner clears it when the gesture ends ...
    tap.stop();
    int later = 0;
    tap.setOnScroll([&](double, bool) { ++later; }); // ... and a new one is set
    loop.drain();
    EXPECT_EQ(steps, (std::vector<std::pair<double, bool>>{{10.0, false}}));
    EXPECT_EQ(later, 0);

    // A queued step outlives the tap itself.
    std::vector<std::pair<double, bool>> afterDestruction;
    {
        FakeScrollSource other;
        ScrollWheelEventTap shortLived(other, loop);
        shortLived.setOnScroll([&](double d, bool p) { afterDestruction.emplace_back(d, p); });
        shortLived.start();
        other.swipe(-2.5);
    }
    loop.drain();
    EXPECT_EQ(afterDestruction, (std::vector<std::pair<double, bool>>{{-2.5, true}}));
}

TEST_F(ScrollTapTest, RefusedCaptureIsLoggedOncePerStartAndScrollingFlows) {
    source.refusal = "grab refused";
    tap.start();
    tap.start();
    EXPECT_EQ(log, (std::vector<std::string>(2, "[Vortaxis] ScrollWheelEventTap: "
                                                "CGEvent.tapCreate failed")));
    EXPECT_FALSE(tap.isCapturing());
    EXPECT_EQ(source.wheel(1.0), pass);
    tap.stop();
    EXPECT_EQ(source.stops, 0); // nothing was installed to release

    source.refusal.reset();
    tap.start();
    EXPECT_TRUE(tap.isCapturing());
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ScrollTapTest, InterruptedCaptureIsTakenBackUnlessStoppedMeanwhile) {
    tap.start();
    source.interrupt();
    EXPECT_EQ(source.wheel(1.0), pass); // lost until the restart runs
    loop.drain();
    EXPECT_EQ(source.starts, 2);
    EXPECT_EQ(source.wheel(1.0), swallow);

    source.interrupt();
    tap.stop(); // the gesture ended before the restart ran
    loop.drain();
    EXPECT_EQ(source.starts, 2);
    EXPECT_FALSE(source.capturing);

    tap.start();
    source.refusal = "gone";
    source.interrupt();
    loop.drain();
    EXPECT_FALSE(tap.isCapturing());
    EXPECT_EQ(log.size(), 1u);
}
