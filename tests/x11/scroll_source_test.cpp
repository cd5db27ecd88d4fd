// The scroll capture on a real server: while it runs the wheel is ours, not
// the window's under the pointer; a grab someone else holds makes it refuse
// to start and keep nothing.
#include "harness/desktop_test.h"
#include "input_helpers.h"
#include "x11/x11_scroll_source.h"

namespace vx::test {
namespace {

TEST_F(DesktopTest, TheScrollCaptureSwallowsWheelStepsOnlyWhileItRunsAndYieldsToOtherGrabs) {
    auto& c = desktop().conn();
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    x11::X11ScrollSource source(*conn);
    ButtonRecorder recorder(c, 100, 100, 300, 300);
    fakeMotion(c, 250, 250);
    std::vector<double> lines;
    auto recordLines = [&]() -> ScrollSource::Handlers {
        return {[&](const ScrollEvent& e) {
                    lines.push_back(e.lineDelta);
                    return ScrollDisposition::swallow;
                },
                {}};
    };
    // Turns the wheel once; whether the window under the pointer got the step.
    auto windowGets = [&](std::uint8_t button) {
        const auto before = recorder.count(button);
        fakeButton(c, button);
        EXPECT_TRUE(recorder.fence()) << "the click never reached the window";
        conn->sync(); // and our own connection has what came to it
        pumpUntil(
            *conn, [] { return false; }, std::chrono::milliseconds(0));
        return recorder.count(button) > before;
    };

    // Someone else holds the wheel-down grab: the start is refused and the
    // grabs taken before the refusal are given back.
    auto other =
        x11::ButtonGrab::grab(c, c.root(), 5, XCB_MOD_MASK_ANY, XCB_EVENT_MASK_BUTTON_PRESS, false);
    ASSERT_TRUE(other);
    const auto error = source.start(recordLines());
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("5"), std::string::npos) << *error;
    EXPECT_FALSE(source.isCapturing());
    conn->sync();
    EXPECT_TRUE(windowGets(4)) << "without a capture the window scrolls";
    other.reset();
    c.sync();

    ASSERT_FALSE(source.start(recordLines()));
    ASSERT_FALSE(source.start(recordLines())) << "a second start must not trip over the first";
    EXPECT_FALSE(windowGets(4));
    EXPECT_FALSE(windowGets(5));
    EXPECT_FALSE(windowGets(6)); // horizontal: swallowed, no step
    EXPECT_EQ(lines, (std::vector<double>{1.0, -1.0})) << "up is positive";
    source.stop();
    conn->sync(); // the release is processed before the next fake input of another client
    EXPECT_TRUE(windowGets(5)) << "after the gesture the window scrolls again";
    EXPECT_EQ(lines.size(), 2u);
}

} // namespace
} // namespace vx::test
