// Desktop entries, /proc and install prefixes.
#include "x11/app_info.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace vx::x11 {
namespace fs = std::filesystem;
namespace {

std::vector<fs::path> applicationDirs() {
    std::vector<fs::path> dirs;
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome) {
        dirs.emplace_back(fs::path(dataHome) / "applications");
    } else if (home && *home) {
        dirs.emplace_back(fs::path(home) / ".local/share/applications");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    std::stringstream ss(list);
    std::string d;
    while (std::getline(ss, d, ':')) {
        if (!d.empty()) {
            dirs.emplace_back(fs::path(d) / "applications");
        }
    }
    return dirs;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::optional<DesktopEntry> parseEntry(const fs::path& file) {
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    // Name[ll_CC], then Name[ll], then Name: the order desktop entries define.
    std::string lang;
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* v = std::getenv(var); v && *v) {
            lang = v;
            break;
        }
    }
    lang = lang.substr(0, lang.find_first_of(".@"));
    std::string shortLang = lang.substr(0, lang.find('_'));
    DesktopEntry e;
    e.id = file.stem().string();
    std::string line, plainName, fullName, shortName;
    bool inMain = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        if (!inMain) {
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        while (!value.empty() && value.front() == ' ') {
            value.erase(0, 1);
        }
        if (key == "Name") {
            plainName = value;
        } else if (!lang.empty() && key == "Name[" + lang + "]") {
            fullName = value;
        } else if (!shortLang.empty() && key == "Name[" + shortLang + "]") {
            shortName = value;
        } else if (key == "Icon") {
            e.icon = value;
        }
    }
    e.name = !fullName.empty() ? fullName : !shortName.empty() ? shortName : plainName;
    if (e.name.empty()) {
        return std::nullopt;
    }
    return e;
}

} // namespace

std::optional<DesktopEntry> findDesktopEntry(const std::string& instance,
                                             const std::string& klass) {
    std::vector<std::string> ids;
    for (const auto& s : {klass, lower(klass), instance, lower(instance)}) {
        if (!s.empty() && s.find('/') == std::string::npos &&
            std::find(ids.begin(), ids.end(), s) == ids.end()) {
            ids.push_back(s);
        }
    }
    for (const auto& dir : applicationDirs()) {
        for (const auto& id : ids) {
            std::error_code ec;
            auto file = dir / (id + ".desktop");
            if (fs::is_regular_file(file, ec)) {
                if (auto e = parseEntry(file)) {
                    return e;
                }
            }
        }
    }
    return std::nullopt;
}

bool processExists(ProcessID pid) {
    std::error_code ec;
    return pid > 0 && fs::exists(fs::path("/proc") / std::to_string(pid), ec);
}

std::optional<std::string> processCommand(ProcessID pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    std::ifstream in(fs::path("/proc") / std::to_string(pid) / "comm");
    std::string comm;
    if (!in || !std::getline(in, comm) || comm.empty()) {
        return std::nullopt;
    }
    return comm;
}

std::optional<std::string> processExecutable(ProcessID pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    std::error_code ec;
    auto exe = fs::read_symlink(fs::path("/proc") / std::to_string(pid) / "exe", ec);
    if (ec || exe.empty()) {
        return std::nullopt;
    }
    return exe.string();
}

std::string installPrefix(const std::string& executable) {
    fs::path exe(executable);
    fs::path dir = exe.parent_path();
    static const std::vector<std::string> sharedBins = {
        "/usr/bin", "/bin", "/usr/sbin", "/sbin", "/usr/local/bin", "/usr/games", "/usr/libexec"};
    const char* home = std::getenv("HOME");
    bool shared =
        std::find(sharedBins.begin(), sharedBins.end(), dir.string()) != sharedBins.end() ||
        (home && dir == fs::path(home) / ".local/bin");
    if (shared || dir.empty()) {
        return executable;
    }
    // /opt/app/bin/app: the program's own tree is above its bin directory.
    if (dir.filename() == "bin" && dir.has_parent_path() && dir.parent_path() != "/" &&
        dir.parent_path() != "/usr" && dir.parent_path() != "/usr/local") {
        return dir.parent_path().string();
    }
    return dir.string();
}

} // namespace vx::x11
