// The WindowSystem seam on X11: EWMH and ICCCM over our own connection. A
// window element is a client window, an application element a process id;
// the window-server id is the frame the window manager put around the client.
// Every write goes through the window manager; the read after it waits
// (bounded) for the manager's answer.
#pragma once

#include "core/window/window_system.h"
#include "x11/connection.h"
#include "x11/monitors.h"

#include <chrono>
#include <functional>
#include <unordered_map>
#include <xcb/xcb_icccm.h>

namespace vx::x11 {

class X11WindowSystem : public WindowSystem {
public:
    struct Options {
        double scale = 1.0; // device pixels per point
        // How long a write waits for the window manager's answer.
        std::chrono::milliseconds answerTimeout{400};
    };
    // Renders a named icon from the icon theme (the Qt side supplies it).
    using IconLookup = std::function<std::optional<Image>(const std::string& iconName)>;

    explicit X11WindowSystem(Connection& conn) : X11WindowSystem(conn, Options{}) {}
    X11WindowSystem(Connection& conn, Options options) : conn_(conn), options_(options) {}
    // A request still held back goes out now: the window goes where it was sent.
    ~X11WindowSystem() override { finishTurn(); }
    void setIconLookup(IconLookup lookup) { iconLookup_ = std::move(lookup); }

    AXRead<ElementRef> focusedApplication() override;
    ProcessID pid(ElementRef application) override;
    ElementRef applicationElement(ProcessID pid) override;
    AXRead<ElementRef> focusedWindow(ElementRef application) override;
    AXRead<std::vector<ElementRef>> windows(ElementRef application) override;
    AXRead<Point> position(ElementRef window) override;
    AXRead<Size> size(ElementRef window) override;
    AXRead<std::string> role(ElementRef element) override;
    AXRead<std::string> title(ElementRef window) override;
    AXRead<bool> isPositionSettable(ElementRef window) override;
    AXRead<bool> isSizeSettable(ElementRef window) override;
    AXStatus setPosition(ElementRef window, Point topLeft) override;
    AXStatus setSize(ElementRef window, Size size) override;
    AXRead<WindowID> windowID(ElementRef window) override;

    ProcessID ownProcessID() override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<RunningApplication> runningApplication(ProcessID pid) override;
    std::vector<RunningApplication> runningApplications() override;
    std::optional<Image> applicationIcon(ProcessID pid) override;

    std::optional<std::vector<WindowListEntry>> onScreenWindows() override;
    std::optional<std::vector<WindowListEntry>> windowInfo(WindowID window) override;
    AXRead<Rect> serverScreenRect(WindowID window) override;
    AXStatus moveWindowWithGroup(WindowID window, Point topLeft) override;
    AXStatus moveWindow(WindowID window, Point topLeft) override;
    std::optional<std::string> windowManagerName() override;

    // How many requests the manager left unanswered until their deadline: a
    // read after each of them stalled for the whole answer timeout.
    int unansweredRequests() const { return unanswered_; }

    // The element of a client window (for tests and the diagnostic report).
    static ElementRef windowElement(xcb_window_t client) { return ElementRef{client}; }

private:
    struct Extents {
        std::int32_t left = 0, right = 0, top = 0, bottom = 0;
    };
    struct Geometry {
        PixelRect client;
        Extents frame;  // _NET_FRAME_EXTENTS: decorations around the client
        Extents shadow; // _GTK_FRAME_EXTENTS: invisible margin inside the client
        PixelRect visible() const;
    };

    // What a write needs to know of a client, read in one round trip.
    struct ClientState {
        Geometry geometry;
        std::uint32_t ourEventMask = 0;
        bool drawsOwnFrame = false;    // publishes _GTK_FRAME_EXTENTS
        std::vector<xcb_atom_t> state; // _NET_WM_STATE
        std::optional<xcb_size_hints_t> sizeHints;
    };
    // A request sent and not yet answered: the frame corner (root pixels) and
    // client size asked for, whether the size changed, and until when its
    // answer is worth waiting for.
    struct Pending {
        std::int32_t x = 0, y = 0, w = 0, h = 0;
        bool resized = false;
        Deadline deadline;
        // The client's corner (root pixels) before the first of the requests.
        std::int32_t clientXBefore = 0, clientYBefore = 0;
        // Held back for the size that usually follows (see configure()).
        bool unsent = false;
    };

    std::optional<xcb_window_t> liveClient(ElementRef window);
    std::optional<ClientState> readClient(xcb_window_t client);
    // Where the client is once the manager has answered what we asked of it.
    std::optional<Geometry> geometry(xcb_window_t client);
    std::vector<xcb_window_t> stackingFrontToBack();
    std::optional<ProcessID> ownerPid(xcb_window_t window);
    std::optional<ProcessID> askOwnerPid(xcb_window_t window);
    std::optional<xcb_window_t> frameOf(xcb_window_t client);
    std::optional<xcb_window_t> clientForWindowID(WindowID id);
    std::vector<xcb_atom_t> atoms(xcb_window_t window, const char* property);
    bool hasType(xcb_window_t client, std::initializer_list<const char*> types);
    // Whether the window may be moved or resized: `action` is the EWMH
    // allowed action that says so.
    AXRead<bool> allows(ElementRef window, const char* action, bool fixedSizeRefuses);
    std::optional<std::string> ownerName(ProcessID pid, std::optional<xcb_window_t> client);
    std::optional<WindowListEntry> entry(xcb_window_t client, bool onScreenOnly);
    bool supported(const char* atomName);

    // The client size the manager will grant for a request: WM_NORMAL_HINTS'
    // minimum, maximum and size steps applied as ICCCM says.
    static std::pair<std::int32_t, std::int32_t>
    constrainedSize(const std::optional<xcb_size_hints_t>& hints, std::int32_t w, std::int32_t h);
    // The live client behind `window`, restored from maximized, its state, and
    // the coordinates to turn desktop points into root pixels.
    struct WriteTarget {
        xcb_window_t client;
        ClientState state;
        Coordinates coords;
    };
    std::optional<WriteTarget> prepareWrite(ElementRef window);
    // Takes maximized and fullscreen state off and waits for the manager to say
    // so, and for a header-bar window's shadow to come back.
    void clearMaximized(xcb_window_t client, bool drawsOwnFrame);
    // Our connection hears a client's property and structure changes only
    // while a write to it waits for its answer: a window that rewrites its
    // title all day (a terminal, a browser tab) would wake us at every change.
    void hearAnswers(xcb_window_t client, std::uint32_t currentMask);
    // Gives the client back the mask it had, unless an answer is still awaited.
    void stopHearing(xcb_window_t client);
    // The end of a turn of the run loop: what was sent is answered (or its
    // deadline passes), and every window stops being heard.
    void finishTurn();
    // Asks the manager for a new frame corner (root pixels) and/or client size
    // and returns without waiting: the next read of the window waits instead,
    // so the position and size of one placement go out back to back.
    AXStatus configure(xcb_window_t client, const Geometry& current,
                       std::optional<std::pair<std::int32_t, std::int32_t>> xy,
                       std::optional<std::pair<std::int32_t, std::int32_t>> wh);
    bool sendMoveResize(xcb_window_t client, const Pending& request);
    // Arranges for held-back requests to go out when this turn of the run
    // loop ends; false where nothing runs then (no run loop: send at once).
    bool sendLater();
    void sendUnsent();
    // Waits (until the request's deadline) for the answer to what was asked of
    // the client; with a size change, only the answer at the new size counts.
    void settle(xcb_window_t client);
    // `before`: the client's corner (root pixels) before a move; without it
    // (an unmanaged window moving itself) any notice counts.
    bool awaitConfigure(xcb_window_t window,
                        std::optional<std::pair<std::int32_t, std::int32_t>> size,
                        std::optional<std::pair<std::int32_t, std::int32_t>> before,
                        Deadline deadline);

    Connection& conn_;
    Options options_;
    IconLookup iconLookup_;
    std::unordered_map<xcb_window_t, Pending> pending_;
    std::unordered_map<xcb_window_t, std::uint32_t> maskBefore_;
    bool sendScheduled_ = false;
    int unanswered_ = 0;
    Lifetime lifetime_; // last: a scheduled send sees it go first
};

} // namespace vx::x11
