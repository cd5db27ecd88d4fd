// Scroll capture: which events reach the owner and with what delta, which are
// swallowed, and what survives stop, restart and a refusing platform.
#include "core/base/virtual_run_loop.h"
#include "core/input/scroll_wheel_event_tap.h"
#include "fakes/log_capture.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace vx;

namespace {

constexpr auto swallow = ScrollDisposition::swallow;
constexpr auto pass = ScrollDisposition::pass;

// A platform that can refuse the capture or take it away; what it does with an
// event nobody captures is to pass it on.
class FakeScrollSource final : public ScrollSource {
public:
    std::optional<std::string> refusal;
    int starts = 0;
    Handlers handlers;

    std::optional<std::string> start(Handlers h) override {
        return ++starts, handlers = refusal ? Handlers{} : std::move(h), refusal;
    }
    void stop() override { handlers = {}; }
    ScrollDisposition scroll(ScrollEvent e) {
        return handlers.onScroll ? handlers.onScroll(e) : pass;
    }
    ScrollDisposition wheel(double lines) { return scroll({false, 0, lines}); }
    void interrupt() { std::exchange(handlers, {}).onInterrupted(); }
};

using Steps = std::vector<std::pair<double, bool>>;
class ScrollTapTest : public ::testing::Test {
protected:
    VirtualRunLoop loop;
    FakeScrollSource source;
    ScrollWheelEventTap tap{source, loop};
    Steps steps;
    test::LogCapture log;
    ScrollTapTest() {
        tap.setOnScroll([this](double d, bool precise) { steps.emplace_back(d, precise); });
    }
};

} // namespace

TEST_F(ScrollTapTest, StepsArePostedWithTheirScaleAndEveryEventIsSwallowed) {
    EXPECT_EQ(source.wheel(-1.0), pass); // not started
    tap.start();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<ScrollEvent, Steps> cases[] = {
        {{true, 3.0, 0}, {{3.0, true}}},
        {{false, 7.0, 0.5}, {{5.0, false}}}, // a wheel's point delta is not read
        {{true, 0.01, 0}, {}},               // the floor itself is noise
        {{false, 0, 0.001}, {}},             // 0.01 after scaling
        {{true, nan, 0}, {}},
    };
    for (const auto& [event, expected] : cases) {
        steps.clear();
        EXPECT_EQ(source.scroll(event), swallow);
        EXPECT_TRUE(steps.empty()) << "never called inside the platform's callback";
        loop.drain();
        EXPECT_EQ(steps, expected) << event.pointDelta << " " << event.lineDelta;
    }
    tap.stop();
    EXPECT_EQ(source.wheel(5.0), pass);
}

TEST_F(ScrollTapTest, ALostCaptureIsTakenBackUnlessStoppedAndARefusalIsLogged) {
    tap.start();
    source.interrupt();
    loop.drain();
    EXPECT_EQ(source.wheel(1.0), swallow);
    source.interrupt();
    tap.stop(); // the gesture ended before the restart ran
    loop.drain();
    EXPECT_EQ(source.starts, 2);

    source.refusal = "grab refused";
    tap.start();
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(source.wheel(1.0), pass);
}
