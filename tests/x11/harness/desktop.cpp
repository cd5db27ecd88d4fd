// The virtual desktop of an X test: server, monitors, window manager, clients,
// and the independent tools used as oracles.
#include "harness/desktop.h"

#include "harness/display_server.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <sstream>
#include <xcb/res.h>

#ifndef VORTAXIS_FIXTURE_CLIENT
#error "VORTAXIS_FIXTURE_CLIENT must name the fixture client binary"
#endif

namespace vx::test {

std::string DesktopOptions::defaultWindowManager() {
    const char* wm = std::getenv("VORTAXIS_TEST_WM");
    return wm && *wm ? wm : "openbox";
}

std::unique_ptr<Desktop> Desktop::start(const DesktopOptions& options, std::string* error) {
    auto fail = [&](std::string why) -> std::unique_ptr<Desktop> {
        if (error)
            *error = std::move(why);
        return nullptr;
    };
    std::unique_ptr<Desktop> d(new Desktop());
    d->fixturePath_ = VORTAXIS_FIXTURE_CLIENT;
    char tmpl[] = "/tmp/vortaxis-x11-XXXXXX";
    if (!::mkdtemp(tmpl))
        return fail("cannot make a temporary directory");
    d->dir_ = tmpl;

    d->serverKind_ =
        options.server.empty() ? chooseDisplayServer(options.windowManager) : options.server;
    std::string why;
    auto server = startDisplayServer(d->serverKind_, d->dir_, options.width, options.height,
                                     options.monitors, &why);
    if (!server)
        return fail(why);
    d->server_ = std::move(server->process);
    d->display_ = server->display;
    d->conn_ = x11::Connection::open(d->display_, &why);
    if (!d->conn_)
        return fail(why);
    d->watch(d->conn_->root());

    // Name the monitors as the tests know them. On Xvfb they split its one
    // screen and the first takes over the output, so the automatic
    // whole-screen monitor disappears; on Xorg each takes over its own output.
    for (std::size_t i = 0; i < options.monitors.size(); ++i) {
        const auto& m = options.monitors[i];
        std::ostringstream geo;
        geo << m.width << "/" << m.width * 254 / 960 << "x" << m.height << "/"
            << m.height * 254 / 960 << "+" << m.x << "+" << m.y;
        auto r =
            d->tool({"xrandr", "--setmonitor", m.name, geo.str(), outputName(d->serverKind_, i)});
        if (!r || r->exitCode != 0)
            return fail("xrandr --setmonitor " + m.name + " failed");
    }
    if (!options.windowManager.empty() && !d->startWindowManager(options.windowManager)) {
        return fail("window manager " + options.windowManager + " not ready within 10 s\n" +
                    d->dump());
    }
    return d;
}

Desktop::~Desktop() {
    panel_.reset();
    wm_.reset();
    conn_.reset();
    server_.reset();
    std::error_code ec;
    if (!dir_.empty() && !std::getenv("VORTAXIS_KEEP_TEST_FILES"))
        std::filesystem::remove_all(dir_, ec);
}

std::vector<std::string> Desktop::env() const {
    return {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + dir_ + "/config",
            "XDG_CACHE_HOME=" + dir_ + "/cache", "HOME=" + dir_, "NO_AT_BRIDGE=1", "GTK_A11Y=none",
            // No OpenGL on the test servers: GTK 4 draws with cairo at once.
            "GSK_RENDERER=cairo", "LC_ALL=C.UTF-8"};
}

void Desktop::watch(xcb_window_t window) {
    std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (window == conn_->root())
        mask |= XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    conn_->selectInput(window, mask);
}

bool Desktop::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = deadlineIn(std::min(timeout, kLaunchWait));
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline || conn_->isLost())
            return condition();
        // Any event may have changed what the condition looks at.
        (void)conn_->waitFor([](const xcb_generic_event_t&) { return true; }, deadline);
        conn_->dispatch();
    }
}

bool Desktop::windowManagerReady() {
    auto& c = *conn_;
    auto check = c.atom("_NET_SUPPORTING_WM_CHECK");
    auto w = c.cardinal(c.root(), check, XCB_ATOM_WINDOW);
    if (!w || *w == 0)
        return false;
    auto self = c.cardinal(*w, check, XCB_ATOM_WINDOW);
    // The check window comes before the manager is done starting: Openbox
    // drops map requests that arrive in between, leaving such a window
    // unmapped for good. Openbox publishes its client list once it manages;
    // Xfwm4 publishes none until it has a client, so there the check window
    // has to do (probeManagement() closes the gap for both).
    if (!self || *self != *w)
        return false;
    return wmName_ != "openbox" ||
           c.cardinals(c.root(), c.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW).has_value();
}

bool Desktop::startWindowManager(const std::string& name) {
    std::vector<std::string> argv;
    if (name == "openbox") {
        argv = {"openbox", "--sm-disable"};
    } else if (name == "xfwm4") {
        // Xfwm4 reads its settings through xfconf, which needs a session bus;
        // without one it gives up and exits. dbus-launch starts the bus and
        // then becomes xfwm4, so stopping the manager stops xfwm4 itself.
        argv = {"dbus-launch", "--exit-with-x11", "xfwm4", "--compositor=off",
                "--sm-client-disable"};
    } else if (name == "xfwm4-composited") {
        argv = {"dbus-launch", "--exit-with-x11", "xfwm4", "--compositor=on",
                "--sm-client-disable"};
    } else if (name == "metacity") {
        argv = {"dbus-launch", "--exit-with-x11", "metacity", "--sm-disable"};
    } else if (name == "kwin") {
        // KWin manages no header-bar window of GTK without its compositor,
        // which needs OpenGL: Mesa's software renderer gives it one.
        argv = {"dbus-launch", "--exit-with-x11", "env", "LIBGL_ALWAYS_SOFTWARE=1", "kwin_x11"};
    } else if (name == "i3") {
        // i3's own bar at the top: its strut lives on a dock i3 reparents and
        // lists nowhere. One application floats, the others tile.
        std::ofstream(dir_ + "/i3config") << "# i3 config file (v4)\n"
                                             "font pango:monospace 8\n"
                                             "focus_follows_mouse no\n"
                                             "for_window [class=\"^Gtk3-demo$\"] floating enable\n"
                                             "bar {\n  position top\n  tray_output none\n}\n";
        argv = {"i3", "-c", dir_ + "/i3config"};
    } else if (name == "fluxbox") {
        // No toolbar, slit or wallpaper: the toolbar's strut would keep the
        // tests' full-height slots out of reach, and the failed wallpaper
        // command opens a message window that takes the focus.
        std::filesystem::create_directories(dir_ + "/.fluxbox");
        std::ofstream(dir_ + "/.fluxbox/init") << "session.screen0.toolbar.visible: false\n"
                                                  "session.screen0.slit.autoHide: true\n"
                                                  "session.styleOverlay: "
                                               << dir_ << "/.fluxbox/overlay\n";
        std::ofstream(dir_ + "/.fluxbox/overlay") << "background: none\n";
        argv = {"fluxbox", "-rc", dir_ + "/.fluxbox/init"};
    } else if (name == "icewm") {
        // No taskbar: its strut would keep the tests' full-height slots out of reach.
        std::ofstream(dir_ + "/icewm-preferences") << "ShowTaskBar=0\n";
        argv = {"icewm", "-c", dir_ + "/icewm-preferences"};
    } else {
        argv = {name};
    }
    SpawnOptions so;
    so.env = env();
    so.logFile = dir_ + "/" + name + ".log";
    std::filesystem::create_directories(dir_ + "/config");
    wm_ = Process::spawn(argv, so);
    wmName_ = name;
    if (!wm_)
        return false;
    // Any manager may take seconds to start on a loaded machine (Xfwm4 on Xorg
    // took more than 2 s once); the wait ends as soon as it is ready.
    if (!waitUntil([&] { return windowManagerReady(); }, kLaunchWait))
        return false;
    return probeManagement();
}

std::optional<int> Desktop::startPanel() {
    const auto top = [&]() -> std::optional<int> {
        // Any window's strut at the top edge: the panel's, however it is listed.
        auto r = tool({"sh", "-c",
                       "for w in $(xwininfo -root -tree | grep -o '^ *0x[0-9a-f]*'); do "
                       "xprop -id $w _NET_WM_STRUT_PARTIAL; done"});
        std::smatch m;
        static const std::regex re("= [0-9]+, [0-9]+, ([1-9][0-9]*),");
        if (r && std::regex_search(r->output, m, re))
            return std::stoi(m[1].str());
        return std::nullopt;
    };
    if (wmName_ != "i3") {
        // A top panel of its own configuration, so no first-start dialog asks.
        const std::string xml = dir_ + "/config/xfce4/xfconf/xfce-perchannel-xml";
        std::filesystem::create_directories(xml);
        std::ofstream(xml + "/xfce4-panel.xml")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<channel name=\"xfce4-panel\" version=\"1.0\">\n"
               "  <property name=\"configver\" type=\"int\" value=\"2\"/>\n"
               "  <property name=\"panels\" type=\"array\">\n"
               "    <value type=\"int\" value=\"1\"/>\n"
               "    <property name=\"panel-1\" type=\"empty\">\n"
               "      <property name=\"position\" type=\"string\" value=\"p=6;x=0;y=0\"/>\n"
               "      <property name=\"length\" type=\"uint\" value=\"100\"/>\n"
               "      <property name=\"position-locked\" type=\"bool\" value=\"true\"/>\n"
               "      <property name=\"size\" type=\"uint\" value=\"30\"/>\n"
               "      <property name=\"plugin-ids\" type=\"array\">\n"
               "        <value type=\"int\" value=\"1\"/>\n"
               "      </property>\n"
               "    </property>\n"
               "  </property>\n"
               "  <property name=\"plugins\" type=\"empty\">\n"
               "    <property name=\"plugin-1\" type=\"string\" value=\"clock\"/>\n"
               "  </property>\n"
               "</channel>\n";
        SpawnOptions so;
        so.env = env();
        so.logFile = dir_ + "/panel.log";
        panel_ = Process::spawn(
            {"dbus-launch", "--exit-with-x11", "xfce4-panel", "--disable-wm-check"}, so);
        if (!panel_)
            return std::nullopt;
    }
    std::optional<int> height;
    waitUntil([&] { return (height = top()).has_value(); }, kLaunchWait);
    return height;
}

bool Desktop::probeManagement() {
    // Openbox announces itself before it handles map requests, and one that
    // arrives in between is lost: map a probe window until the manager takes
    // it, so the tests' own windows never fall into that gap.
    auto& c = *conn_;
    xcb_window_t probe = xcb_generate_id(c.raw());
    std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c.raw(), XCB_COPY_FROM_PARENT, probe, c.root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &mask);
    x11::OwnedWindow owned(c, probe);
    auto managed = [&] {
        auto list = clientList();
        return std::find(list.begin(), list.end(), probe) != list.end();
    };
    auto deadline = deadlineIn(kWait);
    bool ok = false;
    while (!ok && std::chrono::steady_clock::now() < deadline) {
        xcb_map_window(c.raw(), probe);
        c.flush();
        ok = waitUntil(managed, std::chrono::milliseconds(200));
    }
    owned.reset();
    return ok && waitUntil([&] { return !managed(); });
}

void Desktop::killServer() {
    if (server_) {
        server_->kill(SIGKILL);
        server_->wait(deadlineIn(kWait));
    }
}

void Desktop::stopWindowManager() {
    if (wm_) {
        wm_->terminate();
        wm_.reset();
    }
}

std::vector<xcb_window_t> Desktop::clientList(bool stacking) {
    auto v = conn_->cardinals(
        conn_->root(), conn_->atom(stacking ? "_NET_CLIENT_LIST_STACKING" : "_NET_CLIENT_LIST"),
        XCB_ATOM_WINDOW);
    return v ? std::vector<xcb_window_t>(v->begin(), v->end()) : std::vector<xcb_window_t>{};
}

std::optional<pid_t> Desktop::ownerPid(xcb_window_t window) {
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto r = conn_->reply(xcb_res_query_client_ids(conn_->raw(), 1, &spec),
                          xcb_res_query_client_ids_reply);
    if (!r)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1) {
            return static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
        }
    }
    return std::nullopt;
}

std::vector<std::string> Desktop::netWmState(xcb_window_t client) {
    std::vector<std::string> names;
    if (auto v = conn_->cardinals(client, conn_->atom("_NET_WM_STATE"), XCB_ATOM_ATOM)) {
        for (auto a : *v)
            names.push_back(conn_->atomName(a).value_or("?"));
    }
    return names;
}

bool Desktop::isManagedAndShown(xcb_window_t client) {
    auto list = clientList();
    if (std::find(list.begin(), list.end(), client) == list.end())
        return false;
    auto attrs = conn_->reply(xcb_get_window_attributes(conn_->raw(), client),
                              xcb_get_window_attributes_reply);
    // i3 publishes no frame extents at all, Metacity and KWin none for a
    // window that draws its own frame.
    return attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE &&
           (wmName_ == "i3" ||
            conn_->cardinals(client, conn_->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL) ||
            conn_->cardinals(client, conn_->atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL));
}

std::optional<Client> Desktop::launch(const std::vector<std::string>& argv) {
    SpawnOptions so;
    so.env = env();
    so.logFile = dir_ + "/clients.log";
    auto p = Process::spawn(argv, so);
    if (!p)
        return std::nullopt;
    xcb_window_t found = 0;
    pid_t pid = p->pid();
    bool ok = waitUntil(
        [&] {
            for (auto w : clientList()) {
                if (ownerPid(w) == pid) {
                    watch(w);
                    found = w;
                    return isManagedAndShown(w);
                }
            }
            return false;
        },
        kLaunchWait);
    if (!ok)
        return std::nullopt;
    return Client{std::move(*p), found};
}

std::optional<Client> Desktop::launchFixture(const std::vector<std::string>& args, bool managed) {
    std::vector<std::string> argv{fixturePath_};
    argv.insert(argv.end(), args.begin(), args.end());
    SpawnOptions so;
    so.env = env();
    so.logFile = dir_ + "/fixture.log";
    so.captureStdout = true;
    auto p = Process::spawn(argv, so);
    if (!p)
        return std::nullopt;
    // The fixture prints its window id once the window is mapped.
    const auto line = p->readLine(deadlineIn(kWait));
    const auto id = static_cast<xcb_window_t>(line ? std::strtoul(line->c_str(), nullptr, 16) : 0);
    if (!id)
        return std::nullopt;
    watch(id);
    if (managed && !waitUntil([&] { return isManagedAndShown(id); }))
        return std::nullopt;
    return Client{std::move(*p), id};
}

std::optional<CommandResult> Desktop::tool(const std::vector<std::string>& argv) {
    return run(argv, env(), deadlineIn(kWait));
}

std::optional<Rect> Desktop::oracleFrame(xcb_window_t client) {
    const auto id = std::to_string(client);
    auto info = tool({"xwininfo", "-id", id});
    auto props = tool({"xprop", "-id", id, "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS"});
    if (!info || info->exitCode != 0 || !props)
        return std::nullopt;
    auto field = [&](const std::string& name) -> std::optional<double> {
        std::smatch m;
        std::regex re(name + ":\\s*(-?[0-9]+)");
        if (!std::regex_search(info->output, m, re))
            return std::nullopt;
        return std::stod(m[1].str());
    };
    auto extents = [&](const std::string& name) {
        std::smatch m;
        std::regex re(name + "\\(CARDINAL\\) = ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)");
        std::array<double, 4> e{0, 0, 0, 0};
        if (std::regex_search(props->output, m, re)) {
            for (std::size_t i = 0; i < 4; ++i)
                e[i] = std::stod(m[i + 1].str());
        }
        return e;
    };
    auto x = field("Absolute upper-left X"), y = field("Absolute upper-left Y");
    auto w = field("Width"), h = field("Height");
    if (!x || !y || !w || !h)
        return std::nullopt;
    auto net = extents("_NET_FRAME_EXTENTS"), gtk = extents("_GTK_FRAME_EXTENTS");
    // left, right, top, bottom: the WM's frame grows the client, the
    // client-side shadow shrinks it.
    return Rect(*x - net[0] + gtk[0], *y - net[2] + gtk[2], *w + net[0] + net[1] - gtk[0] - gtk[1],
                *h + net[2] + net[3] - gtk[2] - gtk[3]);
}

std::string Desktop::dump() {
    // One shell run, each command echoed before what it printed.
    auto r = tool({"sh", "-c",
                   "for c in 'xrandr --listmonitors' 'xprop -root' 'wmctrl -lGp' 'xwininfo -root "
                   "-tree'; do echo \"$ $c\"; $c; done; for w in $(wmctrl -l | cut -d' ' -f1); "
                   "do echo \"$ xprop -id $w\"; xprop -id $w; done"});
    return "---- desktop " + display_ + " (" + wmName_ + "), files in " + dir_ + "\n" +
           (r ? r->output : std::string("(did not finish)\n"));
}

} // namespace vx::test
