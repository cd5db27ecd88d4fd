// Arguments are read by hand: the toolkit's own parser would need the
// application object, which needs a display, and --help must not.
#include "command_line.h"

#include "core/base/localization.h"

namespace vx {

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& arguments,
                                            std::string* error) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h")
            line.help = true;
        else if (arg == "--version")
            line.version = true;
        else if (arg == "--verbose" || arg == "-v")
            line.verbose = true;
        else if (arg == "--probe-wechat")
            line.probe = true;
        else if (arg == "--display" && i + 1 < arguments.size())
            line.display = arguments[++i];
        else if (arg.rfind("--display=", 0) == 0)
            line.display = arg.substr(10);
        else {
            if (error)
                *error = localized("unknown argument: %1", {arg});
            return std::nullopt;
        }
    }
    return line;
}

std::string usageText() {
    return localized("Usage: vortaxis [--verbose] [--display NAME]\n"
                     "Hold the trigger (Control by default), aim, release: the front window\n"
                     "snaps into that half or quarter of the monitor.\n"
                     "\n"
                     "  --verbose       write every status and aim change as one line on stderr\n"
                     "  --display NAME  the X display to use (default: $DISPLAY)\n"
                     "  --probe-wechat  write a window diagnostic report and exit\n"
                     "  --version       print the version and exit\n"
                     "  --help          print this text and exit\n");
}

} // namespace vx
