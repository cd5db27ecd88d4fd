// Input for the X tests and the benchmark: XTest keys, buttons and motion
// from a connection of the harness, a pump that hands a connection its events
// until a condition holds (bounded; it blocks on the socket, it never
// sleeps), and a window that records the buttons it gets.
#pragma once

#include "x11/connection.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <poll.h>
#include <vector>
#include <xcb/xtest.h>

namespace vx::test {

// Keys by evdev code, pressed (true) or released in the order given.
inline void fakeKey(x11::Connection& c, std::uint32_t evdev, bool press) {
    xcb_test_fake_input(c.raw(), press ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                        static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    c.flush();
}
inline void fakeKeys(x11::Connection& c, const std::vector<std::uint32_t>& keys, bool press) {
    for (const auto key : keys)
        fakeKey(c, key, press);
}
inline void tapKey(x11::Connection& c, std::uint32_t evdev) {
    fakeKey(c, evdev, true);
    fakeKey(c, evdev, false);
}

inline void fakeButton(x11::Connection& c, std::uint8_t button) {
    xcb_test_fake_input(c.raw(), XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c.raw(), XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    c.flush();
}

inline void fakeMotion(x11::Connection& c, int x, int y) {
    xcb_test_fake_input(c.raw(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, c.root(),
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    c.flush();
}

// Dispatches `c`'s events until `done` holds or the deadline passes; false
// when the connection broke. Conditions that change outside X (a file another
// process writes, pixels) are re-checked at least every `recheck`.
inline bool pumpUntil(x11::Connection& c, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(2),
                      std::chrono::milliseconds recheck = std::chrono::milliseconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (c.dispatch())
            return false;
        if (done())
            return true;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{c.fd(), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(std::min(left, recheck).count()));
    }
}

// An unmanaged window that records the buttons pressed on it.
class ButtonRecorder {
public:
    ButtonRecorder(x11::Connection& c, int x, int y, int width, int height) : c_(c) {
        const std::uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS};
        const xcb_window_t id = xcb_generate_id(c.raw());
        xcb_create_window(c.raw(), XCB_COPY_FROM_PARENT, id, c.root(), static_cast<std::int16_t>(x),
                          static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
                          values);
        window_ = x11::OwnedWindow(c, id);
        xcb_map_window(c.raw(), id);
        c.sync();
        handler_ = c.addHandler([this, id](const xcb_generic_event_t& e) {
            const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(e);
            if (x11::eventType(e) == XCB_BUTTON_PRESS && press.event == id)
                buttons_.push_back(press.detail);
        });
    }
    ~ButtonRecorder() { c_.removeHandler(handler_); }
    long count(std::uint8_t button) const {
        return std::count(buttons_.begin(), buttons_.end(), button);
    }
    // Clicks button 1 (the pointer must be over the window): once the window has
    // the click, everything sent before it has been delivered wherever it went.
    bool fence() {
        const auto clicks = count(1);
        fakeButton(c_, 1);
        return pumpUntil(c_, [&] { return count(1) > clicks; });
    }

private:
    x11::Connection& c_;
    x11::OwnedWindow window_;
    x11::Connection::HandlerId handler_ = 0;
    std::vector<std::uint8_t> buttons_;
};

} // namespace vx::test
