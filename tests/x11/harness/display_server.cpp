// Starting the X server of a test desktop. Xvfb has a single RandR output;
// Xorg's dummy driver has sixteen, so each monitor gets one of its own, as on
// a real multi-head desktop.
#include "harness/display_server.h"

#include "harness/desktop.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vx::test {
namespace {

// No input devices (hot-plug would take the host's); one mode per monitor of
// exactly its size at 60 Hz; "Enable" lights the outputs past the first.
std::string xorgConfig(int width, int height, const std::vector<MonitorSpec>& monitors) {
    std::ostringstream c;
    c << "Section \"ServerFlags\"\n Option \"AutoAddDevices\" \"false\"\n"
         " Option \"AutoAddGPU\" \"false\"\n Option \"DontVTSwitch\" \"true\"\nEndSection\n"
      << "Section \"Device\"\n Identifier \"dummy\"\n Driver \"dummy\"\n VideoRam "
      << std::max(65536L, 2L * width * height * 4 / 1024) << "\n";
    for (std::size_t i = 0; i < monitors.size(); ++i)
        c << " Option \"Monitor-DUMMY" << i << "\" \"monitor" << i << "\"\n";
    c << "EndSection\n";
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const auto& m = monitors[i];
        const auto mode = std::to_string(m.width) + "x" + std::to_string(m.height);
        const int htotal = m.width + 160, vtotal = m.height + 10;
        c << "Section \"Monitor\"\n Identifier \"monitor" << i
          << "\"\n HorizSync 1.0 - 1000.0\n VertRefresh 1.0 - 200.0\n Modeline \"" << mode << "\" "
          << static_cast<double>(htotal) * vtotal * 60 / 1e6 << " " << m.width << " "
          << m.width + 48 << " " << m.width + 80 << " " << htotal << " " << m.height << " "
          << m.height + 3 << " " << m.height + 6 << " " << vtotal << " -hsync +vsync\n"
          << " Option \"PreferredMode\" \"" << mode << "\"\n Option \"Position\" \"" << m.x << " "
          << m.y << "\"\n Option \"" << (i == 0 ? "Primary" : "Enable") << "\" \"true\"\n"
          << "EndSection\n";
    }
    c << "Section \"Screen\"\n Identifier \"screen\"\n Device \"dummy\"\n Monitor \"monitor0\"\n"
         " DefaultDepth 24\n SubSection \"Display\"\n  Depth 24\n  Virtual "
      << width << " " << height << "\n EndSubSection\nEndSection\n";
    return c.str();
}

// A server's complaints from its log.
std::string errorLines(const std::string& path) {
    std::ifstream in(path);
    std::string out;
    for (std::string line; std::getline(in, line);)
        if (line.find("(EE)") != std::string::npos || line.find("rror") != std::string::npos)
            out += line + "\n";
    return out;
}

} // namespace

std::string outputName(const std::string& kind, std::size_t i) {
    if (kind == "xorg")
        return "DUMMY" + std::to_string(i);
    return i == 0 ? "screen" : "none";
}

std::optional<DisplayServer> startDisplayServer(const std::string& windowManager,
                                                const std::string& dir,
                                                const std::vector<MonitorSpec>& monitors,
                                                std::string* error) {
    const char* chosen = std::getenv("VORTAXIS_TEST_SERVER");
    const std::string kind = chosen && *chosen ? chosen
                             : windowManager.rfind("xfwm4", 0) == 0 || windowManager == "kwin"
                                 ? "xorg"
                                 : "xvfb";
    int width = 0, height = 0;
    for (const auto& m : monitors)
        width = std::max(width, m.x + m.width), height = std::max(height, m.y + m.height);
    // -noreset: a reset when the last client leaves would drop the monitors.
    std::vector<std::string> argv{"-displayfd", "1", "-noreset", "-nolisten", "tcp"};
    SpawnOptions so{{}, dir + "/" + kind + ".stderr", true, false};
    if (kind == "xvfb") {
        argv.insert(argv.begin(), "Xvfb");
        argv.insert(argv.end(),
                    {"-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24"});
    } else if (kind == "xorg" && monitors.size() <= 16) {
        std::ofstream(dir + "/xorg.conf") << xorgConfig(width, height, monitors);
        // Keeps the host's /etc/X11/xorg.conf.d out (an empty one counts as missing).
        std::filesystem::create_directories(dir + "/xorg.conf.d");
        std::ofstream(dir + "/xorg.conf.d/00-nothing.conf") << "# all is in ../xorg.conf\n";
        // No console: the VTs are left alone, and a container without /dev/tty0 works.
        argv.insert(argv.begin(), "Xorg");
        argv.insert(argv.end(),
                    {"-config", dir + "/xorg.conf", "-configdir", dir + "/xorg.conf.d", "-logfile",
                     dir + "/xorg.log", "-keeptty", "-sharevts", "-novtswitch"});
    } else {
        *error = "cannot start X server \"" + kind +
                 "\" (VORTAXIS_TEST_SERVER: xvfb or xorg; "
                 "Xorg's dummy driver has 16 outputs)";
        return std::nullopt;
    }
    auto process = Process::spawn(argv, so);
    // The display number comes on stdout once the server accepts clients.
    const auto number = process ? process->readLine(deadlineIn(kWait)) : std::nullopt;
    if (!number || number->empty()) {
        // The test's directory goes with the desktop, so say here what went wrong.
        *error = argv[0] + " did not report a display within 2 s:\n" + errorLines(so.logFile) +
                 errorLines(dir + "/xorg.log");
        return std::nullopt;
    }
    return DisplayServer{std::move(*process), ":" + *number, kind};
}

} // namespace vx::test
