// What the bench watches on the virtual desktop, from outside the program:
// override-redirect windows appearing (the menu), what the server draws
// (DAMAGE on the root reports every paint of every window), the target's frame
// being configured, and a key binding of the common kind, which runs wmctrl
// from a key press the way a hotkey daemon does. Every observation carries the
// monotonic time at which the bench received it.
#pragma once

#include "harness/desktop.h"
#include "program.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace vx::bench {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;

inline double millisecondsBetween(Time from, Time to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct RootRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool intersects(const RootRect& o) const {
        return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
    bool near(const RootRect& o, int tolerance) const {
        return std::abs(x - o.x) <= tolerance && std::abs(y - o.y) <= tolerance &&
               std::abs(width - o.width) <= tolerance && std::abs(height - o.height) <= tolerance;
    }
};

class Scene {
public:
    // Nothing, with the reason, when the server lacks DAMAGE or XTest.
    static std::unique_ptr<Scene> create(test::Desktop& desktop, std::string* error);
    ~Scene();

    test::Desktop& desktop() { return desktop_; }
    x11::Connection& conn() { return desktop_.conn(); }

    // Handles X events, the binding's key presses and the program's output
    // until `done` holds or `timeout` passes; false at the timeout.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Keeps handling events for the whole of `period`.
    void pumpFor(std::chrono::milliseconds period);

    void setProgram(Program* program) { program_ = program; }

    // --- input, sent through XTest; returns the time just before sending ---
    Time pressKey(xcb_keysym_t keysym, bool press);
    void movePointer(int x, int y);

    // --- the menu: the small override-redirect window the program maps ---
    struct Overlay {
        xcb_window_t window = 0;
        RootRect rect;
        std::optional<Time> mappedAt;
        std::optional<Time> paintedAt; // first paint inside it after mapping
        std::optional<Time> unmappedAt;
        int paints = 0; // damage reports inside it since mapping
    };
    const Overlay& menu() const { return menu_; }
    // Forgets the last menu, so the next map starts a new observation.
    void resetMenu();

    // --- the target frame ---
    void trackFrame(xcb_window_t frame) { frame_ = frame; }
    // Watches for the frame to be configured to `rect` (within `tolerance`).
    void expectFrame(const RootRect& rect, int tolerance);
    std::optional<Time> frameReachedAt() const { return frameReachedAt_; }
    RootRect lastFrame() const { return lastFrame_; }

    // --- the common-way binding: a passive grab of `keysym` that runs `argv` ---
    bool bindKey(xcb_keysym_t keysym, std::function<std::vector<std::string>()> argv);

    xcb_keycode_t keycode(xcb_keysym_t keysym);

private:
    explicit Scene(test::Desktop& desktop) : desktop_(desktop) {}
    void handle(const xcb_generic_event_t& event);
    void handleBinder(const xcb_generic_event_t& event);
    void reapChildren();

    test::Desktop& desktop_;
    x11::Connection::HandlerId handler_ = 0;
    std::uint8_t damageEvent_ = 0;
    std::uint32_t damage_ = 0;
    std::map<xcb_window_t, std::pair<RootRect, bool>> toplevels_; // rect, override-redirect
    Overlay menu_;
    xcb_window_t frame_ = 0;
    std::optional<RootRect> expected_;
    int tolerance_ = 0;
    std::optional<Time> frameReachedAt_;
    RootRect lastFrame_;
    Program* program_ = nullptr;

    std::unique_ptr<x11::Connection> binder_;
    xcb_keycode_t boundKey_ = 0;
    std::function<std::vector<std::string>()> bindingArgv_;
    std::vector<pid_t> children_;
};

} // namespace vx::bench
