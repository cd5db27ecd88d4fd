// Starting the X server of a test desktop. Xvfb has a single RandR output, so
// its monitors are drawn on one screen; Xorg's dummy driver has sixteen
// outputs, so each monitor gets one of its own, as on a real multi-head
// desktop, and a window manager that only trusts outputs sees them all.
#include "harness/display_server.h"

#include "harness/desktop.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vx::test {
namespace {

// One mode of exactly the monitor's size at 60 Hz with small blanking
// intervals; the dummy driver accepts any timing within the ranges the config
// declares, and nothing in the tests looks at the refresh rate.
std::string modeline(const std::string& name, int w, int h) {
    const int htotal = w + 160, vtotal = h + 10;
    std::ostringstream s;
    s << "Modeline \"" << name << "\" " << static_cast<double>(htotal) * vtotal * 60 / 1e6 << " "
      << w << " " << w + 48 << " " << w + 80 << " " << htotal << " " << h << " " << h + 3 << " "
      << h + 6 << " " << vtotal << " -hsync +vsync";
    return s.str();
}

std::string xorgConfig(int width, int height, const std::vector<MonitorSpec>& monitors) {
    std::ostringstream c;
    // No input devices: the tests type and click through XTest, and hot-plug
    // would pick up whatever the host has.
    c << "Section \"ServerFlags\"\n";
    c << "    Option \"AutoAddDevices\" \"false\"\n";
    c << "    Option \"AutoAddGPU\" \"false\"\n";
    c << "    Option \"DontVTSwitch\" \"true\"\n";
    c << "EndSection\n";
    // The framebuffer plus as much again for pixmaps, in KiB.
    const long videoRam = std::max(65536L, 2L * width * height * 4 / 1024);
    c << "Section \"Device\"\n";
    c << "    Identifier \"dummy\"\n";
    c << "    Driver \"dummy\"\n";
    c << "    VideoRam " << videoRam << "\n";
    for (std::size_t i = 0; i < monitors.size(); ++i)
        c << "    Option \"Monitor-DUMMY" << i << "\" \"monitor" << i << "\"\n";
    c << "EndSection\n";
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const auto& m = monitors[i];
        const auto mode = std::to_string(m.width) + "x" + std::to_string(m.height);
        c << "Section \"Monitor\"\n";
        c << "    Identifier \"monitor" << i << "\"\n";
        c << "    HorizSync 1.0 - 1000.0\n";
        c << "    VertRefresh 1.0 - 200.0\n";
        c << "    " << modeline(mode, m.width, m.height) << "\n";
        c << "    Option \"PreferredMode\" \"" << mode << "\"\n";
        c << "    Option \"Position\" \"" << m.x << " " << m.y << "\"\n";
        // Outputs past the first start disconnected; "Enable" lights them.
        c << "    Option \"" << (i == 0 ? "Primary" : "Enable") << "\" \"true\"\n";
        c << "EndSection\n";
    }
    c << "Section \"Screen\"\n";
    c << "    Identifier \"screen\"\n";
    c << "    Device \"dummy\"\n";
    c << "    Monitor \"monitor0\"\n";
    c << "    DefaultDepth 24\n";
    c << "    SubSection \"Display\"\n";
    c << "        Depth 24\n";
    c << "        Virtual " << width << " " << height << "\n";
    c << "    EndSubSection\n";
    c << "EndSection\n";
    return c.str();
}

// A server's complaints ("(EE)" and fatal lines) from its log.
std::string errorLines(const std::string& path) {
    std::ifstream in(path);
    std::string out, line;
    while (std::getline(in, line)) {
        if (line.find("(EE)") != std::string::npos || line.find("Fatal") != std::string::npos ||
            line.find("rror") != std::string::npos)
            out += line + "\n";
    }
    return out;
}

} // namespace

std::string chooseDisplayServer(const std::string& windowManager) {
    const char* env = std::getenv("VORTAXIS_TEST_SERVER");
    if (env && *env)
        return env;
    // These managers see a monitor only where RandR gives it an output.
    const bool perOutput = windowManager.rfind("xfwm4", 0) == 0 || windowManager == "kwin";
    return perOutput ? "xorg" : "xvfb";
}

std::string outputName(const std::string& kind, std::size_t i) {
    if (kind == "xorg")
        return "DUMMY" + std::to_string(i);
    return i == 0 ? "screen" : "none";
}

std::optional<DisplayServer> startDisplayServer(const std::string& kind, const std::string& dir,
                                                int width, int height,
                                                const std::vector<MonitorSpec>& monitors,
                                                std::string* error) {
    auto fail = [&](std::string why) -> std::optional<DisplayServer> {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };
    std::vector<std::string> argv;
    SpawnOptions so;
    so.captureStdout = true;
    if (kind == "xvfb") {
        so.logFile = dir + "/xvfb.log";
        // -noreset: without it the server resets when its last client leaves
        // and the monitors made afterwards vanish.
        argv = {
            "Xvfb",     "-displayfd", "1",
            "-noreset", "-nolisten",  "tcp",
            "-screen",  "0",          std::to_string(width) + "x" + std::to_string(height) + "x24"};
    } else if (kind == "xorg") {
        if (monitors.size() > 16)
            return fail("the dummy driver has 16 outputs, not " + std::to_string(monitors.size()));
        so.logFile = dir + "/xorg.stderr";
        std::ofstream(dir + "/xorg.conf") << xorgConfig(width, height, monitors);
        // A directory of our own keeps the host's /etc/X11/xorg.conf.d out;
        // Xorg takes an empty one for a missing one and says so, hence the file.
        std::filesystem::create_directories(dir + "/xorg.conf.d");
        std::ofstream(dir + "/xorg.conf.d/00-nothing.conf") << "# all is in ../xorg.conf\n";
        // No console: -keeptty leaves the controlling terminal alone and
        // -sharevts takes no VT of its own, and where there is no /dev/tty0
        // at all (a container) the server runs without one.
        argv = {"Xorg",
                "-displayfd",
                "1",
                "-config",
                dir + "/xorg.conf",
                "-configdir",
                dir + "/xorg.conf.d",
                "-logfile",
                dir + "/xorg.log",
                "-noreset",
                "-nolisten",
                "tcp",
                "-keeptty",
                "-sharevts",
                "-novtswitch"};
    } else {
        return fail("unknown X server \"" + kind + "\" (VORTAXIS_TEST_SERVER: xvfb or xorg)");
    }
    auto process = Process::spawn(argv, so);
    if (!process)
        return fail("cannot start " + argv[0]);
    // The display number comes on stdout once the server accepts clients.
    const auto number = process->readLine(deadlineIn(kWait));
    if (!number || number->empty()) {
        // The test's directory goes with the desktop, so say here what went wrong.
        return fail(argv[0] + " did not report a display within 2 s:\n" + errorLines(so.logFile) +
                    (kind == "xorg" ? errorLines(dir + "/xorg.log") : ""));
    }
    return DisplayServer{std::move(*process), ":" + *number};
}

} // namespace vx::test
