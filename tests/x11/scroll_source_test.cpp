// The scroll capture on a real server: while it runs, wheel steps come to us
// and not to the window under the pointer, clicks still do; afterwards the
// window scrolls again; a grab someone else holds makes it refuse to start and
// keep nothing.
#include "harness/desktop_test.h"
#include "input_helpers.h"
#include "x11/x11_scroll_source.h"

#include <vector>

namespace vx::test {
namespace {

class ScrollOnX : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        std::string error;
        conn = x11::Connection::open(desktop().display(), &error);
        ASSERT_TRUE(conn) << error;
        source = std::make_unique<x11::X11ScrollSource>(*conn);

        // A window of another client, unmanaged, under the pointer, that records its buttons.
        auto& c = desktop().conn();
        const std::uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS};
        const xcb_window_t id = xcb_generate_id(c.raw());
        xcb_create_window(c.raw(), XCB_COPY_FROM_PARENT, id, c.root(), 100, 100, 300, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        window = x11::OwnedWindow(c, id);
        xcb_map_window(c.raw(), id);
        c.sync();
        fakeMotion(c, 250, 250);
        handler = c.addHandler([this](const xcb_generic_event_t& e) {
            if (x11::eventType(e) == XCB_BUTTON_PRESS) {
                const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(e);
                if (press.event == window.id())
                    windowButtons.push_back(press.detail);
            }
        });
    }
    void TearDown() override {
        desktop().conn().removeHandler(handler);
        window.reset(); // before the harness's connection goes
        source.reset();
        conn.reset();
        DesktopTest::TearDown();
    }

    // Clicks button 1 after `button`: once the window has the click, everything
    // sent before it has been delivered wherever it went.
    void sendAndFence(std::uint8_t button) {
        const auto before = windowButtons.size();
        fakeButton(desktop().conn(), button);
        fakeButton(desktop().conn(), 1);
        ASSERT_TRUE(pumpUntil(desktop().conn(), [&] {
            return std::count(windowButtons.begin() + static_cast<long>(before),
                              windowButtons.end(), 1) > 0;
        })) << "the click never reached the window";
        conn->sync();
        pumpUntil(
            *conn, [] { return false; }, std::chrono::milliseconds(0));
    }
    bool windowGot(std::uint8_t button) const {
        return std::find(windowButtons.begin(), windowButtons.end(), button) != windowButtons.end();
    }

    std::unique_ptr<x11::Connection> conn;
    std::unique_ptr<x11::X11ScrollSource> source;
    x11::OwnedWindow window;
    x11::Connection::HandlerId handler = 0;
    std::vector<std::uint8_t> windowButtons;
    std::vector<double> lines;
    ScrollSource::Handlers recordLines() {
        return {[this](const ScrollEvent& e) {
                    lines.push_back(e.lineDelta);
                    return ScrollDisposition::swallow;
                },
                {}};
    }
};

TEST_F(ScrollOnX, SwallowsWheelStepsOnlyWhileCapturing) {
    sendAndFence(4);
    EXPECT_TRUE(windowGot(4)) << "without a capture the window scrolls";

    ASSERT_FALSE(source->start(recordLines()));
    ASSERT_FALSE(source->start(recordLines())) << "a second start must not trip over the first";
    windowButtons.clear();
    sendAndFence(4);
    sendAndFence(5);
    sendAndFence(6); // horizontal: swallowed, no step
    EXPECT_FALSE(windowGot(4));
    EXPECT_FALSE(windowGot(5));
    EXPECT_FALSE(windowGot(6));
    EXPECT_EQ(lines, (std::vector<double>{1.0, -1.0})) << "up is positive";

    source->stop();
    conn->sync(); // the release is processed before the next fake input of another client
    windowButtons.clear();
    sendAndFence(5);
    EXPECT_TRUE(windowGot(5)) << "after the gesture the window scrolls again";
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ScrollOnX, AGrabHeldElsewhereRefusesTheStartAndKeepsNothing) {
    auto& c = desktop().conn();
    auto other =
        x11::ButtonGrab::grab(c, c.root(), 5, XCB_MOD_MASK_ANY, XCB_EVENT_MASK_BUTTON_PRESS, false);
    ASSERT_TRUE(other);
    const auto error = source->start(recordLines());
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("5"), std::string::npos) << *error;
    EXPECT_FALSE(source->isCapturing());
    conn->sync();
    windowButtons.clear();
    sendAndFence(4);
    EXPECT_TRUE(windowGot(4)) << "the grabs taken before the refusal were given back";
    EXPECT_TRUE(lines.empty());
}

} // namespace
} // namespace vx::test
