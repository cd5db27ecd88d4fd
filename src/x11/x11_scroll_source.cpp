// Buttons 4 and 5 are one wheel line up and down (up is positive, as the
// gesture expects); 6 and 7, the horizontal wheel, are swallowed without a step.
#include "x11_scroll_source.h"

namespace vx::x11 {

namespace {

constexpr std::uint8_t wheelUp = 4;
constexpr std::uint8_t wheelDown = 5;
constexpr std::uint8_t wheelLeft = 6;
constexpr std::uint8_t wheelRight = 7;

} // namespace

X11ScrollSource::X11ScrollSource(Connection& connection) : connection_(connection) {
    handler_ =
        connection_.addHandler([this](const xcb_generic_event_t& event) { handleEvent(event); });
}

X11ScrollSource::~X11ScrollSource() {
    stop();
    connection_.removeHandler(handler_);
}

std::optional<std::string> X11ScrollSource::start(Handlers handlers) {
    stop();
    for (const auto button : {wheelUp, wheelDown, wheelLeft, wheelRight}) {
        XError error;
        auto grab = ButtonGrab::grab(connection_, connection_.root(), button, XCB_MOD_MASK_ANY,
                                     XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                                     false, &error);
        if (!grab) {
            grabs_.clear(); // the ones already taken go back at once
            return "the wheel button " + std::to_string(button) +
                   " is grabbed by another client (" + describe(error) + ")";
        }
        grabs_.push_back(std::move(*grab));
    }
    handlers_ = std::move(handlers);
    return std::nullopt;
}

void X11ScrollSource::stop() {
    grabs_.clear();
    handlers_ = {};
}

void X11ScrollSource::handleEvent(const xcb_generic_event_t& event) {
    if (grabs_.empty() || eventType(event) != XCB_BUTTON_PRESS)
        return;
    const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(event);
    if (press.event != connection_.root())
        return;
    if (press.detail != wheelUp && press.detail != wheelDown)
        return;
    ScrollEvent scroll;
    scroll.lineDelta = press.detail == wheelUp ? 1.0 : -1.0;
    if (auto onScroll = handlers_.onScroll) // the handler may stop the capture
        onScroll(scroll);
}

} // namespace vx::x11
