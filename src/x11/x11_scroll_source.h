// Scrolling kept from the window under the pointer for the length of a gesture.
// A passive grab of the wheel buttons (4 to 7, any modifier) on the root: X
// activates the outermost grab first, so every wheel step comes to us, while
// ordinary clicks still go where they always go, including the menu's own hub.
// (An active pointer grab on this connection would take those clicks too: the
// menu's window belongs to the toolkit's connection, not to the grabbing one.)
#pragma once

#include "core/input/scroll_source.h"
#include "x11/connection.h"

#include <memory>
#include <vector>

namespace vx::x11 {

class X11ScrollSource final : public ScrollSource {
public:
    explicit X11ScrollSource(Connection& connection);
    ~X11ScrollSource() override;
    X11ScrollSource(const X11ScrollSource&) = delete;
    X11ScrollSource& operator=(const X11ScrollSource&) = delete;

    // Grabs the four wheel buttons; when any grab is refused (another client
    // holds it), none is kept and the reason comes back. Every captured step is
    // swallowed: a grabbed button cannot be handed on without freezing the
    // pointer until we answer, so the handler's answer is not asked for it.
    std::optional<std::string> start(Handlers handlers) override;
    void stop() override;

    bool isCapturing() const { return !grabs_.empty(); }

private:
    void handleEvent(const xcb_generic_event_t& event);

    Connection& connection_;
    Handlers handlers_;
    std::vector<ButtonGrab> grabs_;
    Connection::HandlerId handler_ = 0;
};

} // namespace vx::x11
