// vortaxis: the program's entry. Arguments first (--help and --version need no
// display), then the diagnostic mode, then the tray program.
#include "app/command_line.h"
#include "app/vortaxis_app.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const auto line = vx::parseCommandLine(arguments, &error);
    if (!line) {
        std::cerr << "vortaxis: " << error << '\n' << vx::usageText();
        return 2;
    }
    if (line->help) {
        std::cout << vx::usageText();
        return 0;
    }
    if (line->version) {
        std::cout << "vortaxis " << VORTAXIS_VERSION << '\n';
        return 0;
    }
    return vx::runVortaxis(*line, argc, argv);
}
