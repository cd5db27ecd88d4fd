// The program's arguments: --help, --version, --verbose, and the diagnostic
// mode. Parsed before anything else starts, so --help works without a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vx {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool verbose = false;
    bool probe = false;
    std::optional<std::string> display; // --display NAME, else $DISPLAY
};

// Nothing and the reason in `error` for an argument it does not know.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments,
                                            std::string* error);

std::string usageText();

} // namespace vx
