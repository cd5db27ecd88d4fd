// One xcb connection of our own, and the small RAII and error-as-value layer
// every X11 seam is written on. X errors never reach stderr: a request that can
// fail is sent checked (or its reply carries the error) and the error comes back
// as a value. Events are read in one place; the Qt side watches fd() with a
// socket notifier and calls dispatch(), the seams register handlers, and a seam
// that has to wait for the window manager waits on the socket with a deadline.
#pragma once

#include "core/base/lifetime.h"

#include <any>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace vx::x11 {

// An X protocol error as a value.
struct XError {
    std::uint8_t code = 0;
    std::uint8_t majorOpcode = 0;
    std::uint16_t minorOpcode = 0;
    std::uint32_t resource = 0;
    // Set instead of the fields above when the connection itself is gone.
    bool connectionLost = false;

    bool isBadWindow() const { return code == XCB_WINDOW; }
};
std::string describe(const XError& error);

// Frees what xcb allocated with malloc (replies, events, errors).
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Owned = std::unique_ptr<T, FreeDeleter>;
using Event = Owned<xcb_generic_event_t>;

// A reply or the error that came instead.
template <class T> class Reply {
public:
    Reply(Owned<T> reply) : reply_(std::move(reply)) {}
    Reply(XError error) : error_(error) {}
    bool ok() const { return reply_ != nullptr; }
    explicit operator bool() const { return ok(); }
    T* get() const { return reply_.get(); }
    T* operator->() const { return reply_.get(); }
    T& operator*() const { return *reply_; }
    const XError& error() const { return error_; }

private:
    Owned<T> reply_;
    XError error_;
};

// Why the connection cannot be used any more, from xcb_connection_has_error.
std::string describeConnectionError(int code);

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline deadlineIn(std::chrono::milliseconds ms) {
    return std::chrono::steady_clock::now() + ms;
}

class Connection {
public:
    // Opens the display named by `display` (DISPLAY when empty). The error text
    // says what went wrong, for the message the program exits with.
    static std::unique_ptr<Connection> open(const std::string& display, std::string* error);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    xcb_connection_t* raw() const { return c_; }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }
    int fd() const;

    // The reason the connection broke, or nothing while it works. Every call
    // below is safe on a broken connection and answers "no value".
    std::optional<std::string> lost() const;
    bool isLost() const { return lost().has_value(); }

    void flush();
    // One round trip: everything sent before has been processed by the server.
    bool sync();

    // The reply to a request: conn.reply(xcb_get_geometry(c, w), xcb_get_geometry_reply).
    template <class Cookie, class T>
    Reply<T> reply(Cookie cookie, T* (*fn)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
        xcb_generic_error_t* err = nullptr;
        Owned<T> r(fn(c_, cookie, &err));
        noteQueuedEvents();
        if (r) {
            return Reply<T>(std::move(r));
        }
        return Reply<T>(takeError(err));
    }
    // The outcome of a request sent with its _checked variant.
    std::optional<XError> check(xcb_void_cookie_t cookie);

    // Interned atoms, looked up once per connection.
    xcb_atom_t atom(std::string_view name);
    std::optional<std::string> atomName(xcb_atom_t atom);

    // --- properties (nothing when absent, of another format, or on an error) ---
    // A property asked for now and read later: asking for several before
    // reading the first costs one round trip instead of one each.
    struct AskedProperty {
        xcb_get_property_cookie_t cookie{};
        bool asked = false;
    };
    AskedProperty ask(xcb_window_t window, xcb_atom_t property, xcb_atom_t type = XCB_ATOM_ANY,
                      std::uint32_t maxLongs = 1u << 20);
    std::optional<std::vector<std::uint32_t>> cardinals(AskedProperty asked);
    std::optional<std::vector<std::uint32_t>> cardinals(xcb_window_t window, xcb_atom_t property,
                                                        xcb_atom_t type = XCB_ATOM_ANY,
                                                        std::uint32_t maxLongs = 1u << 20);
    std::optional<std::uint32_t> cardinal(xcb_window_t window, xcb_atom_t property,
                                          xcb_atom_t type = XCB_ATOM_ANY);
    std::optional<std::string> bytes(xcb_window_t window, xcb_atom_t property,
                                     xcb_atom_t type = XCB_ATOM_ANY);
    // _NET_WM_NAME-style text: UTF8_STRING first, then the legacy property.
    std::optional<std::string> text(xcb_window_t window, xcb_atom_t utf8Property,
                                    xcb_atom_t legacyProperty);

    // Adds `mask` to what this connection hears from a window it does not own
    // (another client's window), keeping what it selected before.
    bool selectInput(xcb_window_t window, std::uint32_t mask);

    // Sends a client message to the root the way EWMH asks of pagers.
    std::optional<XError> sendRootMessage(xcb_window_t window, xcb_atom_t type,
                                          std::array<std::uint32_t, 5> data);

    // --- state kept for one turn of the run loop ---
    // Monitors, work areas and what the manager supports cannot change in a way
    // that matters while one turn of the run loop runs, yet the release of a
    // gesture asks for them a dozen times over. With a poster set, an answer
    // read through turnCached() is kept until a task posted at the first read
    // runs, that is until the program goes back to waiting; without one
    // (tests, the one-shot probe), every read goes to the server.
    using Poster = std::function<void(std::function<void()>)>;
    void setTurnPoster(Poster post) {
        post_ = std::move(post);
        turnCache_.clear();
    }
    // For state this connection has just changed itself.
    void forgetTurnCached(const std::string& key) { turnCache_.erase(key); }
    // Runs `task` when this turn of the run loop ends; false without a poster.
    bool atTurnEnd(std::function<void()> task) {
        if (!post_) {
            return false;
        }
        post_(std::move(task));
        return true;
    }
    template <class T, class Read> T turnCached(const std::string& key, Read&& read) {
        if (!post_) {
            return read();
        }
        if (turnCache_.empty()) {
            post_(lifetime_.guard([this] { turnCache_.clear(); }));
        }
        return remembered<T>(turnCache_, key, read);
    }

    // The same, unchecked: false only when the connection is gone.
    bool postRootMessage(xcb_window_t window, xcb_atom_t type, std::array<std::uint32_t, 5> data);

    // What never changes for the life of a connection (an extension's
    // version), asked for once. An answer of a broken connection is not kept.
    template <class T, class Read> T keptForConnection(const std::string& key, Read&& read) {
        return remembered<T>(kept_, key, read);
    }

    // --- events ---
    using Handler = std::function<void(const xcb_generic_event_t&)>;
    using HandlerId = std::uint64_t;
    HandlerId addHandler(Handler handler);
    void removeHandler(HandlerId id);
    // Called (once until the next dispatch) when events were read off the socket
    // outside dispatch, so the socket notifier will not fire for them; the run
    // loop then posts a dispatch().
    void setWakeup(std::function<void()> wakeup) { wakeup_ = std::move(wakeup); }

    // Hands every event waiting (queued or on the socket) to the handlers.
    // Answers the reason when the connection is lost.
    std::optional<std::string> dispatch();

    // Waits for an event that `matches`, until the deadline. Other events are
    // kept for the next dispatch(). Nothing when the deadline passed or the
    // connection broke.
    std::optional<Event> waitFor(const std::function<bool(const xcb_generic_event_t&)>& matches,
                                 Deadline deadline);
    // Removes the kept events that `matches` (stale answers to an earlier request).
    void discard(const std::function<bool(const xcb_generic_event_t&)>& matches);

private:
    using Memo = std::unordered_map<std::string, std::any>;
    // The answer kept under `key`, else read now and kept (unless the
    // connection broke while reading: that answer says nothing).
    template <class T, class Read> T remembered(Memo& memo, const std::string& key, Read& read) {
        if (auto it = memo.find(key); it != memo.end()) {
            return std::any_cast<const T&>(it->second);
        }
        T value = read();
        if (!isLost()) {
            memo.emplace(key, value);
        }
        return value;
    }

    Connection(xcb_connection_t* c, xcb_screen_t* screen);
    XError takeError(xcb_generic_error_t* err);
    // Moves what xcb already read into our queue and asks for a dispatch.
    void noteQueuedEvents();
    void readAvailable();
    void keep(Event event);

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
    std::unordered_map<std::string, xcb_atom_t> atoms_;
    std::map<HandlerId, Handler> handlers_;
    HandlerId nextHandler_ = 1;
    std::deque<Event> pending_;
    std::function<void()> wakeup_;
    bool wakeupPosted_ = false;
    Poster post_;
    Memo turnCache_;
    Memo kept_;
    Lifetime lifetime_; // last: posted tasks see it go first
};

// What the window manager says it supports (_NET_SUPPORTED), read once a turn;
// empty without a manager.
std::vector<xcb_atom_t> supportedAtoms(Connection& conn);
// The window the manager says is active (_NET_ACTIVE_WINDOW), read once a turn.
std::optional<xcb_window_t> activeWindow(Connection& conn);

// The type of an event without the "sent by SendEvent" bit.
inline std::uint8_t eventType(const xcb_generic_event_t& e) {
    return static_cast<std::uint8_t>(e.response_type & 0x7f);
}

// --- RAII around X resources ---

// A window this connection created; destroyed with the owner.
class OwnedWindow {
public:
    OwnedWindow() = default;
    OwnedWindow(Connection& conn, xcb_window_t id) : conn_(&conn), id_(id) {}
    ~OwnedWindow() { reset(); }
    OwnedWindow(OwnedWindow&& o) noexcept : conn_(o.conn_), id_(std::exchange(o.id_, 0)) {}
    OwnedWindow& operator=(OwnedWindow&& o) noexcept;
    xcb_window_t id() const { return id_; }
    void reset();

private:
    Connection* conn_ = nullptr;
    xcb_window_t id_ = 0;
};

// An active pointer grab, released with the owner.
class PointerGrab {
public:
    // Nothing (and the grab status in `status`) when the server refused.
    static std::optional<PointerGrab> grab(Connection& conn, xcb_window_t window,
                                           std::uint16_t eventMask, bool ownerEvents,
                                           std::uint8_t* status = nullptr);
    PointerGrab(PointerGrab&& o) noexcept : conn_(std::exchange(o.conn_, nullptr)) {}
    PointerGrab& operator=(PointerGrab&&) = delete;
    ~PointerGrab();

private:
    explicit PointerGrab(Connection& conn) : conn_(&conn) {}
    Connection* conn_;
};

// A passive button grab, removed with the owner.
class ButtonGrab {
public:
    static std::optional<ButtonGrab> grab(Connection& conn, xcb_window_t window,
                                          std::uint8_t button, std::uint16_t modifiers,
                                          std::uint16_t eventMask, bool ownerEvents,
                                          XError* error = nullptr);
    ButtonGrab(ButtonGrab&& o) noexcept
        : conn_(std::exchange(o.conn_, nullptr)), window_(o.window_), button_(o.button_),
          modifiers_(o.modifiers_) {}
    ButtonGrab& operator=(ButtonGrab&&) = delete;
    ~ButtonGrab();

private:
    ButtonGrab(Connection& conn, xcb_window_t w, std::uint8_t b, std::uint16_t m)
        : conn_(&conn), window_(w), button_(b), modifiers_(m) {}
    Connection* conn_;
    xcb_window_t window_;
    std::uint8_t button_;
    std::uint16_t modifiers_;
};

} // namespace vx::x11
