// The virtual desktop of an X test and the independent tools used as oracles.
#include "harness/desktop.h"

#include "harness/display_server.h"
#include "input_helpers.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <xcb/res.h>

#ifndef VORTAXIS_HARNESS_CONFIGS
#error "VORTAXIS_HARNESS_CONFIGS must name the folder of the managers' and panel's configurations"
#endif
#ifndef VORTAXIS_FIXTURE_CLIENT
#error "VORTAXIS_FIXTURE_CLIENT must name the fixture client binary"
#endif

namespace vx::test {
namespace {

// The first match of `pattern` in `text`, its groups as numbers.
std::optional<std::vector<double>> numbersIn(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern)))
        return std::nullopt;
    std::vector<double> v;
    for (std::size_t i = 1; i < m.size(); ++i)
        v.push_back(std::stod(m[i].str()));
    return v;
}

// What xwininfo says of a window's place, in root pixels.
std::optional<Rect> xwininfoRect(const std::string& output) {
    auto v = numbersIn(output, "Absolute upper-left X:\\s*(-?\\d+)[\\s\\S]*Absolute upper-left "
                               "Y:\\s*(-?\\d+)[\\s\\S]*Width:\\s*(\\d+)[\\s\\S]*Height:\\s*(\\d+)");
    return v ? std::optional(Rect((*v)[0], (*v)[1], (*v)[2], (*v)[3])) : std::nullopt;
}

} // namespace

std::unique_ptr<Desktop> Desktop::start(const DesktopOptions& options, std::string* error) {
    std::unique_ptr<Desktop> d(new Desktop());
    char tmpl[] = "/tmp/vortaxis-x11-XXXXXX";
    if (!::mkdtemp(tmpl))
        return *error = "cannot make a temporary directory", nullptr;
    d->dir_ = tmpl;
    std::filesystem::create_directories(d->dir_ + "/config");
    auto server = startDisplayServer(options.windowManager, d->dir_, options.monitors, error);
    if (!server)
        return nullptr;
    d->server_ = std::move(server->process);
    d->display_ = server->display;
    d->conn_ = x11::Connection::open(d->display_, error);
    if (!d->conn_)
        return nullptr;
    d->watch(d->conn_->root());

    // Named as the tests know them; taking over an output (see outputName())
    // makes the automatic whole-screen monitor disappear.
    for (std::size_t i = 0; i < options.monitors.size(); ++i) {
        const auto& m = options.monitors[i];
        const auto geometry = std::to_string(m.width) + "/" + std::to_string(m.width * 254 / 960) +
                              "x" + std::to_string(m.height) + "/" +
                              std::to_string(m.height * 254 / 960) + "+" + std::to_string(m.x) +
                              "+" + std::to_string(m.y);
        if (!d->ran({"xrandr", "--setmonitor", m.name, geometry, outputName(server->kind, i)}))
            return *error = "xrandr --setmonitor " + m.name + " failed", nullptr;
    }
    if (!d->startWindowManager(options.windowManager))
        return *error = "window manager " + options.windowManager + " not ready\n" + d->dump(),
               nullptr;
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
    return pumpUntil(*conn_, condition, std::min(timeout, kLaunchWait), kLaunchWait);
}

void Desktop::killServer() {
    server_->kill(SIGKILL);
    server_->wait(deadlineIn(kWait));
}

std::optional<Process> Desktop::spawn(const std::vector<std::string>& argv,
                                      const std::vector<std::string>& extraEnv, bool capture) {
    auto e = env();
    e.insert(e.end(), extraEnv.begin(), extraEnv.end());
    return Process::spawn(argv, {e, dir_ + "/clients.log", capture, false});
}

bool Desktop::startWindowManager(const std::string& name) {
    std::vector<std::string> argv{name};
    if (name == "openbox" || name == "metacity") {
        argv = {name, "--sm-disable"};
    } else if (name.rfind("xfwm4", 0) == 0) {
        argv = {"xfwm4", name == "xfwm4" ? "--compositor=off" : "--compositor=on",
                "--sm-client-disable"};
    } else if (name == "kwin") {
        // Its compositor, which GTK's header-bar windows need, on Mesa's software OpenGL.
        argv = {"env", "LIBGL_ALWAYS_SOFTWARE=1", "kwin_x11"};
    } else if (name == "i3") {
        argv = {"i3", "-c", VORTAXIS_HARNESS_CONFIGS "/i3config"};
    } else if (name == "fluxbox") {
        // No toolbar (its strut), slit or wallpaper (its error window takes the focus).
        std::filesystem::create_directories(dir_ + "/.fluxbox");
        std::ofstream(dir_ + "/.fluxbox/init")
            << "session.screen0.toolbar.visible: false\nsession.screen0.slit.autoHide: true\n"
               "session.styleOverlay: "
            << dir_ << "/.fluxbox/overlay\n";
        std::ofstream(dir_ + "/.fluxbox/overlay") << "background: none\n";
        argv = {"fluxbox", "-rc", dir_ + "/.fluxbox/init"};
    } else if (name == "icewm") {
        // No taskbar: its strut would shrink the tests' slots.
        std::ofstream(dir_ + "/icewm-preferences") << "ShowTaskBar=0\n";
        argv = {"icewm", "-c", dir_ + "/icewm-preferences"};
    }
    // These give up without a session bus: dbus-launch starts one, then runs the manager.
    if (name.rfind("xfwm4", 0) == 0 || name == "metacity" || name == "kwin")
        argv.insert(argv.begin(), {"dbus-launch", "--exit-with-x11"});
    wm_ = Process::spawn(argv, {env(), dir_ + "/" + name + ".log", false, false});
    wmName_ = name;
    // The check window comes before the manager is done starting (Openbox's
    // client list comes once it manages); probeManagement() closes the gap.
    auto& c = *conn_;
    const auto check = c.atom("_NET_SUPPORTING_WM_CHECK");
    return wm_ &&
           waitUntil(
               [&] {
                   const auto w = c.cardinal(c.root(), check, XCB_ATOM_WINDOW);
                   return w && *w && c.cardinal(*w, check, XCB_ATOM_WINDOW) == w &&
                          (wmName_ != "openbox" ||
                           c.cardinals(c.root(), c.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW));
               },
               kLaunchWait) &&
           probeManagement();
}

bool Desktop::probeManagement() {
    // Maps a probe until the manager takes it: no test window falls into the gap.
    auto& c = *conn_;
    const xcb_window_t probe = xcb_generate_id(c.raw());
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c.raw(), XCB_COPY_FROM_PARENT, probe, c.root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &mask);
    x11::OwnedWindow owned(c, probe);
    auto managed = [&] {
        const auto list = clientList();
        return std::find(list.begin(), list.end(), probe) != list.end();
    };
    const auto deadline = deadlineIn(kWait);
    bool ok = false;
    while (!ok && std::chrono::steady_clock::now() < deadline) {
        xcb_map_window(c.raw(), probe);
        c.flush();
        ok = waitUntil(managed, 200ms);
    }
    owned.reset();
    return ok && waitUntil([&] { return !managed(); });
}

std::optional<int> Desktop::startPanel() {
    if (wmName_ != "i3") {
        const std::string xml = dir_ + "/config/xfce4/xfconf/xfce-perchannel-xml";
        std::filesystem::create_directories(xml);
        std::filesystem::copy_file(VORTAXIS_HARNESS_CONFIGS "/xfce4-panel.xml",
                                   xml + "/xfce4-panel.xml");
        panel_ = spawn({"dbus-launch", "--exit-with-x11", "xfce4-panel", "--disable-wm-check"});
        if (!panel_)
            return std::nullopt;
    }
    // Any window's strut at the top edge: the panel's, however it is listed.
    std::optional<std::vector<double>> strut;
    waitUntil(
        [&] {
            const auto r = tool({"sh", "-c",
                                 "for w in $(xwininfo -root -tree | grep -o '^ *0x[0-9a-f]*'); do "
                                 "xprop -id $w _NET_WM_STRUT_PARTIAL; done"});
            return (strut = numbersIn(r ? r->output : "", "= [0-9]+, [0-9]+, ([1-9][0-9]*),"))
                .has_value();
        },
        kLaunchWait);
    return strut ? std::optional(static_cast<int>(strut->front())) : std::nullopt;
}

std::vector<xcb_window_t> Desktop::clientList() {
    const auto v =
        conn_->cardinals(conn_->root(), conn_->atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    return v ? std::vector<xcb_window_t>(v->begin(), v->end()) : std::vector<xcb_window_t>{};
}

std::optional<pid_t> Desktop::ownerPid(xcb_window_t window) {
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto r = conn_->reply(xcb_res_query_client_ids(conn_->raw(), 1, &spec),
                                xcb_res_query_client_ids_reply);
    if (!r)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it))
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1)
            return static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
    return std::nullopt;
}

bool Desktop::isMaximized(xcb_window_t client) {
    const auto state = conn_->cardinals(client, conn_->atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
    const auto vert = conn_->atom("_NET_WM_STATE_MAXIMIZED_VERT");
    return state && std::find(state->begin(), state->end(), vert) != state->end();
}

bool Desktop::isManagedAndShown(xcb_window_t client) {
    const auto list = clientList();
    if (std::find(list.begin(), list.end(), client) == list.end())
        return false;
    const auto attrs = conn_->reply(xcb_get_window_attributes(conn_->raw(), client),
                                    xcb_get_window_attributes_reply);
    // i3 publishes no frame extents at all, Metacity and KWin none for a
    // window that draws its own frame.
    return attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE &&
           (wmName_ == "i3" ||
            conn_->cardinals(client, conn_->atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL) ||
            conn_->cardinals(client, conn_->atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL));
}

std::optional<Client> Desktop::launch(const std::vector<std::string>& argv) {
    auto p = spawn(argv);
    xcb_window_t found = 0;
    const bool ok = p && waitUntil(
                             [&] {
                                 for (auto w : clientList())
                                     if (ownerPid(w) == p->pid()) {
                                         watch(found = w);
                                         return isManagedAndShown(w);
                                     }
                                 return false;
                             },
                             kLaunchWait);
    return ok ? std::optional(Client{std::move(*p), found}) : std::nullopt;
}

std::optional<Client> Desktop::launchFixture(const std::vector<std::string>& args, bool managed) {
    std::vector<std::string> argv{VORTAXIS_FIXTURE_CLIENT};
    argv.insert(argv.end(), args.begin(), args.end());
    auto p = spawn(argv, {}, true);
    // The fixture prints its window id once the window is mapped.
    const auto line = p ? p->readLine(deadlineIn(kWait)) : std::nullopt;
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

bool Desktop::ran(const std::vector<std::string>& argv) {
    const auto r = tool(argv);
    return r && r->exitCode == 0;
}

std::optional<Rect> Desktop::shownWindow(const std::vector<std::string>& xwininfoArguments) {
    std::vector<std::string> argv{"xwininfo"};
    argv.insert(argv.end(), xwininfoArguments.begin(), xwininfoArguments.end());
    const auto r = tool(argv);
    if (!r || r->exitCode != 0 || r->output.find("IsViewable") == std::string::npos)
        return std::nullopt;
    return xwininfoRect(r->output);
}

std::optional<Rect> Desktop::oracleFrame(xcb_window_t client) {
    const auto id = std::to_string(client);
    const auto info = tool({"xwininfo", "-id", id});
    const auto props = tool({"xprop", "-id", id, "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS"});
    const auto r = info && info->exitCode == 0 ? xwininfoRect(info->output) : std::nullopt;
    if (!r || !props)
        return std::nullopt;
    // The manager's frame grows the client, the client-side shadow shrinks it.
    auto extents = [&](const std::string& name) {
        return numbersIn(props->output,
                         name + "\\(CARDINAL\\) = ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)")
            .value_or(std::vector<double>(4, 0));
    };
    const auto net = extents("_NET_FRAME_EXTENTS"), gtk = extents("_GTK_FRAME_EXTENTS");
    return Rect(r->minX() - net[0] + gtk[0], r->minY() - net[2] + gtk[2],
                r->width() + net[0] + net[1] - gtk[0] - gtk[1],
                r->height() + net[2] + net[3] - gtk[2] - gtk[3]);
}

std::string Desktop::dump() {
    // One shell run, each command echoed before what it printed.
    const auto r = tool({"sh", "-c",
                         "for c in 'xrandr --listmonitors' 'xprop -root' 'wmctrl -lGp' 'xwininfo "
                         "-root -tree'; do echo \"$ $c\"; $c; done; for w in $(wmctrl -l | cut "
                         "-d' ' -f1); do echo \"$ xprop -id $w\"; xprop -id $w; done"});
    return "---- desktop " + display_ + " (" + wmName_ + "), files in " + dir_ + "\n" +
           (r ? r->output : std::string("(did not finish)\n"));
}

} // namespace vx::test
