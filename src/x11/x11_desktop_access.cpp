// The server checks a grab request for a grab of another client before it
// looks at the window: a grab on a window that is not viewable answers
// AlreadyGrabbed (or GrabFrozen) while someone else holds the device, and
// GrabNotViewable otherwise, and activates nothing either way. Unlike a real
// grab attempt it sends no focus or crossing events (which toolkits show as a
// focus flicker) and cannot take a key or a click. docs/x11-notes.md has more.
#include "x11_desktop_access.h"

#include <xcb/screensaver.h>

namespace vx::x11 {

namespace {

bool heldByAnother(std::uint8_t status) {
    return status == XCB_GRAB_STATUS_ALREADY_GRABBED || status == XCB_GRAB_STATUS_FROZEN;
}

} // namespace

X11DesktopAccess::X11DesktopAccess(Connection& connection) : connection_(connection) {
    const xcb_window_t id = xcb_generate_id(connection.raw());
    xcb_create_window(connection.raw(), XCB_COPY_FROM_PARENT, id, connection.root(), -1, -1, 1, 1,
                      0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    probe_ = OwnedWindow(connection, id);
    const auto* ext = xcb_get_extension_data(connection.raw(), &xcb_screensaver_id);
    hasScreenSaver_ = ext && ext->present;
}

DesktopAccess::Blocker X11DesktopAccess::blocker(bool withPointer) {
    auto* c = connection_.raw();
    // All questions leave before the first answer is read: one round trip.
    std::optional<xcb_screensaver_query_info_cookie_t> saver;
    if (hasScreenSaver_)
        saver = xcb_screensaver_query_info(c, connection_.root());
    const auto keyboard = xcb_grab_keyboard(c, 0, probe_.id(), XCB_CURRENT_TIME,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::optional<xcb_grab_pointer_cookie_t> pointer;
    if (withPointer)
        pointer = xcb_grab_pointer(c, 0, probe_.id(), 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                   XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);

    Blocker found = Blocker::none;
    if (saver) {
        auto info = connection_.reply(*saver, xcb_screensaver_query_info_reply);
        if (info.ok() && info->state == XCB_SCREENSAVER_STATE_ON)
            found = Blocker::screenLocked;
    }
    // A server that grants the grab after all gets it back at once; what the
    // user could see of that is a focus change as short as the round trip.
    auto kbd = connection_.reply(keyboard, xcb_grab_keyboard_reply);
    if (kbd.ok() && kbd->status == XCB_GRAB_STATUS_SUCCESS)
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    if (found == Blocker::none && kbd.ok() && heldByAnother(kbd->status))
        found = Blocker::keyboardHeld;
    if (pointer) {
        auto ptr = connection_.reply(*pointer, xcb_grab_pointer_reply);
        if (ptr.ok() && ptr->status == XCB_GRAB_STATUS_SUCCESS)
            xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        if (found == Blocker::none && ptr.ok() && heldByAnother(ptr->status))
            found = Blocker::pointerHeld;
    }
    connection_.flush();
    return found;
}

} // namespace vx::x11
