// Scroll capture: which events reach the owner and with what delta, and what
// survives a lost capture, a stop and a refusing platform.
#include "core/base/virtual_run_loop.h"
#include "core/input/scroll_wheel_event_tap.h"
#include "fakes/log_capture.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace vx;

namespace {

using enum ScrollDisposition;

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

} // namespace

TEST(ScrollTap, StepsArePostedScaledAndALostCaptureIsTakenBackUntilStopped) {
    VirtualRunLoop loop;
    FakeScrollSource source;
    ScrollWheelEventTap tap{source, loop};
    test::LogCapture log;
    std::vector<std::pair<double, bool>> steps;
    tap.setOnScroll([&](double d, bool precise) { steps.emplace_back(d, precise); });
    EXPECT_EQ(source.wheel(-1.0), pass); // not started
    tap.start();
    EXPECT_EQ(source.scroll({true, 3.0, 0}), swallow);
    EXPECT_EQ(source.scroll({false, 7.0, 0.5}), swallow); // a wheel's point delta is not read
    EXPECT_TRUE(steps.empty()) << "never called inside the platform's callback";
    loop.drain();
    EXPECT_EQ(steps, (std::vector<std::pair<double, bool>>{{3.0, true}, {5.0, false}}));

    source.interrupt();
    loop.drain();
    EXPECT_EQ(source.wheel(1.0), swallow);
    source.interrupt();
    tap.stop(); // the gesture ended before the restart ran
    loop.drain();
    EXPECT_EQ(source.starts, 2);
    EXPECT_EQ(source.wheel(1.0), pass);

    source.refusal = "grab refused";
    tap.start();
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(source.wheel(1.0), pass);
}
