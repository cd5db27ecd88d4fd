// The xcb connection of our own: errors as values, atoms, properties, and one
// place where events are read, handed out and waited for.
#include "x11/connection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace vx::x11 {

std::string describe(const XError& error) {
    if (error.connectionLost) {
        return "connection to the X server lost";
    }
    return "X error " + std::to_string(error.code) + " (request " +
           std::to_string(error.majorOpcode) + "." + std::to_string(error.minorOpcode) +
           ", resource 0x" +
           [&] {
               char buf[16];
               std::snprintf(buf, sizeof buf, "%x", error.resource);
               return std::string(buf);
           }() +
           ")";
}

std::string describeConnectionError(int code) {
    switch (code) {
    case 0:
        return {};
    case XCB_CONN_ERROR:
        return "the connection to the X server was lost";
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        return "the X server lacks a required extension";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "out of memory talking to the X server";
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
        return "a request to the X server was too long";
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "the display name could not be parsed";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "the display has no such screen";
    default:
        return "the X server closed the connection (error " + std::to_string(code) + ")";
    }
}

std::unique_ptr<Connection> Connection::open(const std::string& display, std::string* error) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (int code = xcb_connection_has_error(c); code != 0) {
        if (error) {
            const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
            *error = "cannot open X display \"" + std::string(name ? name : "") +
                     "\": " + describeConnectionError(code);
        }
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem == 0 || it.data == nullptr) {
        if (error) {
            *error = "the X display has no screen " + std::to_string(screenNumber);
        }
        xcb_disconnect(c);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(c, it.data));
}

Connection::Connection(xcb_connection_t* c, xcb_screen_t* screen) : c_(c), screen_(screen) {}

Connection::~Connection() {
    xcb_disconnect(c_);
}

int Connection::fd() const {
    return xcb_get_file_descriptor(c_);
}

std::optional<std::string> Connection::lost() const {
    int code = xcb_connection_has_error(c_);
    if (code == 0) {
        return std::nullopt;
    }
    return describeConnectionError(code);
}

void Connection::flush() {
    xcb_flush(c_);
}

bool Connection::sync() {
    return reply(xcb_get_input_focus(c_), xcb_get_input_focus_reply).ok();
}

XError Connection::takeError(xcb_generic_error_t* err) {
    XError e;
    if (err == nullptr) {
        e.connectionLost = true;
        return e;
    }
    e.code = err->error_code;
    e.majorOpcode = err->major_code;
    e.minorOpcode = err->minor_code;
    e.resource = err->resource_id;
    std::free(err);
    return e;
}

std::optional<XError> Connection::check(xcb_void_cookie_t cookie) {
    if (isLost()) {
        XError e;
        e.connectionLost = true;
        return e;
    }
    xcb_generic_error_t* err = xcb_request_check(c_, cookie);
    noteQueuedEvents();
    if (err == nullptr) {
        if (isLost()) {
            XError e;
            e.connectionLost = true;
            return e;
        }
        return std::nullopt;
    }
    return takeError(err);
}

xcb_atom_t Connection::atom(std::string_view name) {
    std::string key(name);
    if (auto it = atoms_.find(key); it != atoms_.end()) {
        return it->second;
    }
    auto r = reply(xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(key.size()), key.data()),
                   xcb_intern_atom_reply);
    if (!r) {
        return XCB_ATOM_NONE; // not remembered: a lost connection answers none every time
    }
    atoms_.emplace(std::move(key), r->atom);
    return r->atom;
}

std::optional<std::string> Connection::atomName(xcb_atom_t a) {
    auto r = reply(xcb_get_atom_name(c_, a), xcb_get_atom_name_reply);
    if (!r) {
        return std::nullopt;
    }
    return std::string(xcb_get_atom_name_name(r.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
}

Connection::AskedProperty Connection::ask(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                          std::uint32_t maxLongs) {
    if (property == XCB_ATOM_NONE) {
        return {};
    }
    return {xcb_get_property(c_, 0, window, property, type, 0, maxLongs), true};
}

std::optional<std::vector<std::uint32_t>> Connection::cardinals(AskedProperty asked) {
    if (!asked.asked) {
        return std::nullopt;
    }
    auto r = reply(asked.cookie, xcb_get_property_reply);
    if (!r || r->format != 32 || r->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    auto n = static_cast<std::size_t>(xcb_get_property_value_length(r.get())) / 4;
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return std::vector<std::uint32_t>(data, data + n);
}

std::optional<std::vector<std::uint32_t>> Connection::cardinals(xcb_window_t window,
                                                                xcb_atom_t property,
                                                                xcb_atom_t type,
                                                                std::uint32_t maxLongs) {
    return cardinals(ask(window, property, type, maxLongs));
}

std::optional<std::uint32_t> Connection::cardinal(xcb_window_t window, xcb_atom_t property,
                                                  xcb_atom_t type) {
    auto v = cardinals(window, property, type, 1);
    if (!v || v->empty()) {
        return std::nullopt;
    }
    return v->front();
}

std::optional<std::string> Connection::bytes(xcb_window_t window, xcb_atom_t property,
                                             xcb_atom_t type) {
    if (property == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    auto r =
        reply(xcb_get_property(c_, 0, window, property, type, 0, 1u << 16), xcb_get_property_reply);
    if (!r || r->format != 8 || r->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
}

std::optional<std::string> Connection::text(xcb_window_t window, xcb_atom_t utf8Property,
                                            xcb_atom_t legacyProperty) {
    if (auto s = bytes(window, utf8Property, atom("UTF8_STRING"))) {
        return s;
    }
    return bytes(window, legacyProperty);
}

bool Connection::selectInput(xcb_window_t window, std::uint32_t mask) {
    auto attrs = reply(xcb_get_window_attributes(c_, window), xcb_get_window_attributes_reply);
    if (!attrs) {
        return false;
    }
    std::uint32_t value = attrs->your_event_mask | mask;
    if (value == attrs->your_event_mask) {
        return true;
    }
    return !check(xcb_change_window_attributes_checked(c_, window, XCB_CW_EVENT_MASK, &value));
}

namespace {

xcb_client_message_event_t rootMessage(xcb_window_t window, xcb_atom_t type,
                                       const std::array<std::uint32_t, 5>& data) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    std::copy(data.begin(), data.end(), ev.data.data32);
    return ev;
}

constexpr std::uint32_t kRootMessageMask =
    XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

} // namespace

std::optional<XError> Connection::sendRootMessage(xcb_window_t window, xcb_atom_t type,
                                                  std::array<std::uint32_t, 5> data) {
    auto ev = rootMessage(window, type, data);
    return check(xcb_send_event_checked(c_, 0, root(), kRootMessageMask,
                                        reinterpret_cast<const char*>(&ev)));
}

bool Connection::postRootMessage(xcb_window_t window, xcb_atom_t type,
                                 std::array<std::uint32_t, 5> data) {
    auto ev = rootMessage(window, type, data);
    xcb_send_event(c_, 0, root(), kRootMessageMask, reinterpret_cast<const char*>(&ev));
    flush();
    return !isLost();
}

std::vector<xcb_atom_t> supportedAtoms(Connection& conn) {
    return conn.turnCached<std::vector<xcb_atom_t>>("_NET_SUPPORTED", [&] {
        auto v = conn.cardinals(conn.root(), conn.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
        return v ? std::vector<xcb_atom_t>(v->begin(), v->end()) : std::vector<xcb_atom_t>{};
    });
}

std::optional<xcb_window_t> activeWindow(Connection& conn) {
    return conn.turnCached<std::optional<xcb_window_t>>("_NET_ACTIVE_WINDOW", [&] {
        return conn.cardinal(conn.root(), conn.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    });
}

Connection::HandlerId Connection::addHandler(Handler handler) {
    HandlerId id = nextHandler_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void Connection::removeHandler(HandlerId id) {
    handlers_.erase(id);
}

void Connection::keep(Event event) {
    if (event) {
        pending_.push_back(std::move(event));
    }
}

void Connection::noteQueuedEvents() {
    while (Event e{xcb_poll_for_queued_event(c_)}) {
        keep(std::move(e));
    }
    if (!pending_.empty() && wakeup_ && !wakeupPosted_) {
        wakeupPosted_ = true;
        wakeup_();
    }
}

void Connection::readAvailable() {
    while (Event e{xcb_poll_for_event(c_)}) {
        keep(std::move(e));
    }
}

std::optional<std::string> Connection::dispatch() {
    wakeupPosted_ = false;
    readAvailable();
    while (!pending_.empty()) {
        Event e = std::move(pending_.front());
        pending_.pop_front();
        // Errors of unchecked requests land here; they are answers nobody
        // waits for (a window that went away), so they go no further.
        if (e->response_type == 0) {
            continue;
        }
        // A handler may add or remove handlers: walk a snapshot of the ids.
        std::vector<HandlerId> ids;
        ids.reserve(handlers_.size());
        for (const auto& [id, h] : handlers_) {
            ids.push_back(id);
        }
        for (HandlerId id : ids) {
            if (auto it = handlers_.find(id); it != handlers_.end()) {
                Handler h = it->second; // the handler may remove itself
                h(*e);
            }
        }
        if (pending_.empty()) {
            readAvailable();
        }
    }
    return lost();
}

std::optional<Event>
Connection::waitFor(const std::function<bool(const xcb_generic_event_t&)>& matches,
                    Deadline deadline) {
    flush();
    std::size_t scanned = 0;
    for (;;) {
        readAvailable();
        for (; scanned < pending_.size(); ++scanned) {
            if (pending_[scanned]->response_type != 0 && matches(*pending_[scanned])) {
                Event e = std::move(pending_[scanned]);
                pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(scanned));
                noteQueuedEvents();
                return e;
            }
        }
        if (isLost()) {
            return std::nullopt;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            noteQueuedEvents();
            return std::nullopt;
        }
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd p{fd(), POLLIN, 0};
        int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(ms, 60000)));
        if (n < 0 && errno != EINTR) {
            return std::nullopt;
        }
    }
}

void Connection::discard(const std::function<bool(const xcb_generic_event_t&)>& matches) {
    readAvailable();
    std::erase_if(pending_, [&](const Event& e) { return e->response_type != 0 && matches(*e); });
}

OwnedWindow& OwnedWindow::operator=(OwnedWindow&& o) noexcept {
    if (this != &o) {
        reset();
        conn_ = o.conn_;
        id_ = std::exchange(o.id_, 0);
    }
    return *this;
}

void OwnedWindow::reset() {
    if (conn_ && id_ != 0) {
        xcb_destroy_window(conn_->raw(), id_);
        conn_->flush();
    }
    id_ = 0;
}

std::optional<PointerGrab> PointerGrab::grab(Connection& conn, xcb_window_t window,
                                             std::uint16_t eventMask, bool ownerEvents,
                                             std::uint8_t* status) {
    auto r = conn.reply(xcb_grab_pointer(conn.raw(), ownerEvents ? 1 : 0, window, eventMask,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                                         XCB_NONE, XCB_CURRENT_TIME),
                        xcb_grab_pointer_reply);
    std::uint8_t s = r ? r->status : std::uint8_t{XCB_GRAB_STATUS_FROZEN};
    if (status) {
        *status = s;
    }
    if (!r || s != XCB_GRAB_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return PointerGrab(conn);
}

PointerGrab::~PointerGrab() {
    if (conn_) {
        xcb_ungrab_pointer(conn_->raw(), XCB_CURRENT_TIME);
        conn_->flush();
    }
}

std::optional<ButtonGrab> ButtonGrab::grab(Connection& conn, xcb_window_t window,
                                           std::uint8_t button, std::uint16_t modifiers,
                                           std::uint16_t eventMask, bool ownerEvents,
                                           XError* error) {
    auto err = conn.check(xcb_grab_button_checked(
        conn.raw(), ownerEvents ? 1 : 0, window, eventMask, XCB_GRAB_MODE_ASYNC,
        XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, button, modifiers));
    if (err) {
        if (error) {
            *error = *err;
        }
        return std::nullopt;
    }
    return ButtonGrab(conn, window, button, modifiers);
}

ButtonGrab::~ButtonGrab() {
    if (conn_) {
        xcb_ungrab_button(conn_->raw(), button_, window_, modifiers_);
        conn_->flush();
    }
}

} // namespace vx::x11
