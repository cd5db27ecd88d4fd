// The autostart desktop entry: where it lives, what it says, writing it safely.
#include "core/settings/autostart.h"

#include "core/base/localization.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace vx {

std::filesystem::path AutostartEntry::configHome(const std::optional<std::string>& xdgConfigHome,
                                                 const std::optional<std::string>& home) {
    // The base directory rules ignore relative values.
    if (xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/')
        return *xdgConfigHome;
    return std::filesystem::path(home.value_or("")) / ".config";
}

AutostartEntry::AutostartEntry(std::filesystem::path configHome, std::filesystem::path program)
    : configHome_(std::move(configHome)), program_(std::move(program)) {}

std::string AutostartEntry::quoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    if (needsQuotes)
        out += '"';
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    if (needsQuotes)
        out += '"';
    // Desktop entries escape backslashes once more at the file level, and a
    // percent sign would be read as a field code.
    std::string escaped;
    for (const char c : out) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    return escaped;
}

std::string AutostartEntry::contents() const {
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=Vortaxis\n"
         << "Comment=Hold a key, aim, release: the front window snaps into place\n"
         << "Exec=" << quoteExecArgument(program_.string()) << "\n"
         << "Icon=vortaxis\n"
         << "Terminal=false\n"
         << "NoDisplay=true\n"
         << "X-GNOME-Autostart-enabled=true\n"
         // Started before the panel, the toolkit would find no StatusNotifier
         // host and settle for good on the older embedded tray.
         << "X-GNOME-Autostart-Delay=2\n"
         << "X-KDE-autostart-after=panel\n";
    return text.str();
}

bool AutostartEntry::isEnabled() const {
    std::ifstream file(path());
    if (!file)
        return false;
    std::string line;
    while (std::getline(file, line))
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    return true;
}

Status<AutostartError> AutostartEntry::setEnabled(bool enabled) const {
    std::error_code error;
    if (!enabled) {
        std::filesystem::remove(path(), error);
        if (error)
            return fail(AutostartError{
                localized("Couldn’t remove %1: %2", {path().string(), error.message()})});
        return {};
    }
    std::filesystem::create_directories(path().parent_path(), error);
    if (error)
        return fail(AutostartError{
            localized("Couldn’t create %1: %2", {path().parent_path().string(), error.message()})});
    // Write beside and rename, so a full disk never leaves half an entry.
    const auto temporary = std::filesystem::path(path()).concat(".tmp");
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << contents();
        file.flush();
        if (!file) {
            std::filesystem::remove(temporary, error);
            return fail(AutostartError{localized("Couldn’t write %1.", {path().string()})});
        }
    }
    std::filesystem::rename(temporary, path(), error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return fail(AutostartError{localized("Couldn’t write %1.", {path().string()})});
    }
    return {};
}

} // namespace vx
