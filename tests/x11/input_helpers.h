// Input for the X tests: XTest key and button events from the harness's own
// connection, and a pump that hands the code under test its events until a
// condition holds (bounded; it blocks on the socket, it never sleeps).
#pragma once

#include "x11/connection.h"

#include <chrono>
#include <functional>
#include <poll.h>
#include <xcb/xtest.h>

namespace vx::test {

// Evdev code as the X key code.
inline std::uint8_t xKey(std::uint32_t evdev) {
    return static_cast<std::uint8_t>(evdev + 8);
}

inline void fakeKey(x11::Connection& c, std::uint32_t evdev, bool press) {
    xcb_test_fake_input(c.raw(), press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, xKey(evdev),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    c.flush();
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

// Dispatches `c`'s events until `done` holds or the deadline passes. Conditions
// that change outside X (a file another process writes) are re-checked at least
// every 20 ms.
inline bool pumpUntil(x11::Connection& c, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (c.dispatch())
            return false; // the connection broke
        if (done())
            return true;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{c.fd(), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 20)));
    }
}

} // namespace vx::test
