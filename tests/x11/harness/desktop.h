// A virtual desktop for one test: an X server with two RandR monitors, a real
// window manager, real clients and our fixture clients. Every wait re-checks
// its condition on each X event and gives up at a deadline of at most 2 s; on
// failure dump() says what xprop, xwininfo and wmctrl saw.
#pragma once

#include "core/base/geometry.h"
#include "harness/process.h"
#include "x11/connection.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::test {

using namespace std::chrono_literals;
inline constexpr std::chrono::milliseconds kWait = 2000ms;
// A real application's cold start (a GTK dialog) on a loaded CI machine.
inline constexpr std::chrono::milliseconds kLaunchWait = 10000ms;

struct MonitorSpec {
    std::string name;
    int x, y, width, height;
};

struct DesktopOptions {
    int width = 2560;
    int height = 1024;
    // Two side by side by default; the first one keeps the server's output.
    std::vector<MonitorSpec> monitors = {{"LEFT", 0, 0, 1280, 1024},
                                         {"RIGHT", 1280, 0, 1280, 1024}};
    // "openbox", "xfwm4", "xfwm4-composited", "fluxbox", "icewm", "metacity",
    // "kwin", "i3", or "" for none; VORTAXIS_TEST_WM
    // overrides the default.
    std::string windowManager = defaultWindowManager();
    static std::string defaultWindowManager();
    // "xvfb", "xorg", or "" to let chooseDisplayServer() pick by manager.
    std::string server;
};

// A client process and the top-level window it showed.
struct Client {
    Process process;
    xcb_window_t window = 0;
};

class Desktop {
public:
    static std::unique_ptr<Desktop> start(const DesktopOptions& options, std::string* error);
    ~Desktop();

    const std::string& display() const { return display_; }
    // "xvfb" or "xorg" (see display_server.h).
    const std::string& server() const { return serverKind_; }
    const std::string& tempDir() const { return dir_; }
    std::vector<std::string> env() const;
    // The harness's own connection (the code under test opens another).
    x11::Connection& conn() { return *conn_; }

    // True as soon as `condition` holds, re-checked after every X event the
    // harness hears (root properties and structure, and those of the windows it
    // watches); false at the deadline.
    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = kWait);
    void watch(xcb_window_t window);

    // Ends the X server as a crash would (the connections break).
    void killServer();
    bool startWindowManager(const std::string& name);
    const std::string& windowManager() const { return wmName_; }
    // A panel at the top of every monitor (xfce4-panel; under i3 its own bar,
    // which the manager starts): the height its strut reserves once it does.
    std::optional<int> startPanel();
    void stopWindowManager();
    // _NET_SUPPORTING_WM_CHECK names a window whose own property names itself,
    // and the client list is published.
    bool windowManagerReady();

    // Starts a real client and waits until the window manager manages a window
    // owned by it (by X-Resource pid), mapped and with frame extents.
    std::optional<Client> launch(const std::vector<std::string>& argv);
    // Starts the fixture client (see fixture_client/main.cpp for its flags).
    std::optional<Client> launchFixture(const std::vector<std::string>& args, bool managed = true);
    // A managed window is in the client list and viewable, and its extents are set.
    bool isManagedAndShown(xcb_window_t client);

    std::vector<xcb_window_t> clientList(bool stacking = false);
    std::optional<pid_t> ownerPid(xcb_window_t window);
    std::vector<std::string> netWmState(xcb_window_t client);

    // The frame of a client as independent tools report it: xwininfo for the
    // client's absolute geometry, xprop for _NET_FRAME_EXTENTS and
    // _GTK_FRAME_EXTENTS. Root pixels, top-left origin.
    std::optional<Rect> oracleFrame(xcb_window_t client);

    // Runs a tool against this display.
    std::optional<CommandResult> tool(const std::vector<std::string>& argv);
    std::string dump();

private:
    Desktop() = default;
    bool probeManagement();
    std::string dir_;
    std::string display_;
    std::optional<Process> server_;
    std::optional<Process> wm_;
    std::optional<Process> panel_;
    std::unique_ptr<x11::Connection> conn_;
    std::string wmName_;
    std::string serverKind_;
    std::string fixturePath_;
};

} // namespace vx::test
