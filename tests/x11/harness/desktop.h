// A virtual desktop for one test or benchmark: an X server with two RandR
// monitors, a real window manager, real clients and our fixture clients.
// Every wait re-checks its condition on each X event the harness hears and
// gives up at a deadline; on failure dump() says what the tools saw.
#pragma once

#include "core/base/geometry.h"
#include "harness/process.h"
#include "x11/connection.h"

#include <chrono>
#include <functional>
#include <memory>

namespace vx::test {

using namespace std::chrono_literals;
inline constexpr std::chrono::milliseconds kWait = 2000ms;
// A real application's or window manager's cold start on a loaded CI machine.
inline constexpr std::chrono::milliseconds kLaunchWait = 10000ms;

struct MonitorSpec {
    std::string name;
    int x, y, width, height;
};

// Two monitors side by side on a 2560 x 1024 screen; the first keeps the server's output.
struct DesktopOptions {
    std::vector<MonitorSpec> monitors = {{"LEFT", 0, 0, 1280, 1024},
                                         {"RIGHT", 1280, 0, 1280, 1024}};
    // "openbox" unless VORTAXIS_TEST_WM names another (see startWindowManager()).
    std::string windowManager = defaultWindowManager();
    static std::string defaultWindowManager() {
        const char* wm = std::getenv("VORTAXIS_TEST_WM");
        return wm && *wm ? wm : "openbox";
    }
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
    const std::string& tempDir() const { return dir_; }
    std::vector<std::string> env() const;
    // The harness's own connection (the code under test opens another).
    x11::Connection& conn() { return *conn_; }

    // True once `condition` holds, re-checked on every X event the harness hears.
    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = kWait);
    void watch(xcb_window_t window);

    void killServer(); // as a crash would: the connections break
    bool startWindowManager(const std::string& name);
    void stopWindowManager() { wm_.reset(); }
    const std::string& windowManager() const { return wmName_; }
    // xfce4-panel (i3's own bar under i3) at the top: the height its strut reserves.
    std::optional<int> startPanel();

    // With this desktop's environment; stdout to a pipe if `capture`, else to clients.log.
    std::optional<Process> spawn(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& extraEnv = {},
                                 bool capture = false);
    // A real client, once the manager shows a window it owns (by X-Resource pid).
    std::optional<Client> launch(const std::vector<std::string>& argv);
    // The fixture client (see fixture_client/main.cpp for its flags).
    std::optional<Client> launchFixture(const std::vector<std::string>& args, bool managed = true);
    // In the client list and viewable, and its extents are set.
    bool isManagedAndShown(xcb_window_t client);
    std::vector<xcb_window_t> clientList();
    std::optional<pid_t> ownerPid(xcb_window_t window);
    bool isMaximized(xcb_window_t client);

    // A client's frame as xwininfo and xprop (both frame extents) report it, in root pixels.
    std::optional<Rect> oracleFrame(xcb_window_t client);
    // Where the window xwininfo finds by these arguments is, while it is viewable.
    std::optional<Rect> shownWindow(const std::vector<std::string>& xwininfoArguments);

    // Runs a tool against this display; ran(): and it succeeded.
    std::optional<CommandResult> tool(const std::vector<std::string>& argv);
    bool ran(const std::vector<std::string>& argv);
    std::string dump();

private:
    Desktop() = default;
    bool probeManagement();
    std::string dir_, display_, wmName_;
    std::optional<Process> server_, wm_, panel_;
    std::unique_ptr<x11::Connection> conn_;
};

} // namespace vx::test
