// Whether an EWMH window manager lets us at the windows, and telling the user
// when it does not.
#include "x11/x11_access_trust.h"

#include "core/base/localization.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#ifndef VORTAXIS_README_PATH
#define VORTAXIS_README_PATH "README.md"
#endif

namespace vx::x11 {

X11AccessTrust::X11AccessTrust(Connection* conn, std::string readme)
    : conn_(conn), readme_(std::move(readme)) {}

std::string X11AccessTrust::defaultReadme() {
    // An installed program points at its installed copy; a build in the
    // source tree at the tree's own.
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto installed = exe.parent_path().parent_path() / "share/doc/vortaxis/README.md";
        if (std::filesystem::exists(installed, ec)) {
            return installed.string();
        }
    }
    return VORTAXIS_README_PATH;
}

std::string X11AccessTrust::missing() {
    if (const char* type = std::getenv("XDG_SESSION_TYPE");
        type && std::string(type) == "wayland") {
        return localized("This is a Wayland session: Vortaxis can move windows only in an X11 "
                         "session. Log in to an X11 session to use it.");
    }
    if (conn_ == nullptr || conn_->isLost()) {
        return localized("Vortaxis has no X11 display to work on.");
    }
    // Asked at every step of a gesture: the answer stands for the turn.
    return conn_->turnCached<std::string>("trust", [this] { return missingManager(); });
}

std::string X11AccessTrust::missingManager() {
    // The manager's check window must name itself, or the property is a
    // leftover of a manager that has gone.
    auto checkAtom = conn_->atom("_NET_SUPPORTING_WM_CHECK");
    auto checkAsked = conn_->ask(conn_->root(), checkAtom, XCB_ATOM_WINDOW, 1);
    auto supported = supportedAtoms(*conn_);
    auto checkList = conn_->cardinals(checkAsked);
    auto check =
        checkList && !checkList->empty() ? std::optional(checkList->front()) : std::nullopt;
    auto self = check ? conn_->cardinal(*check, checkAtom, XCB_ATOM_WINDOW) : std::nullopt;
    if (!check || !self || *self != *check) {
        return localized("No window manager is running. Vortaxis needs one that follows the "
                         "EWMH standard, such as Openbox, Xfwm4, KWin or Fluxbox.");
    }
    for (const char* needed : {"_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST_STACKING"}) {
        if (std::find(supported.begin(), supported.end(), conn_->atom(needed)) == supported.end()) {
            return localized("The window manager does not publish %1, which Vortaxis needs to "
                             "find and move windows.",
                             {needed});
        }
    }
    return {};
}

bool X11AccessTrust::requestTrust() {
    auto why = missing();
    if (why.empty()) {
        return true;
    }
    auto title = localized("Vortaxis cannot arrange windows here");
    if (!launch_({"notify-send", "--app-name=Vortaxis", title, why})) {
        std::fprintf(stderr, "vortaxis: %s: %s\n", title.c_str(), why.c_str());
    }
    return false;
}

void X11AccessTrust::openSettings() {
    launch_({"xdg-open", "file://" + readme_ + "#window-access"});
}

bool X11AccessTrust::launchDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return false;
    }
    // Report "cannot start" when the program is not on PATH, so the caller
    // can fall back, instead of learning it from a child that exits 127.
    bool found = false;
    if (const char* path = std::getenv("PATH")) {
        std::string p = path;
        for (std::size_t start = 0; start <= p.size() && !found;) {
            auto end = std::min(p.find(':', start), p.size());
            auto candidate = p.substr(start, end - start) + "/" + argv[0];
            found = ::access(candidate.c_str(), X_OK) == 0;
            start = end + 1;
        }
    }
    if (!found) {
        return false;
    }
    std::vector<char*> cargv;
    for (const auto& a : argv) {
        cargv.push_back(const_cast<char*>(a.c_str()));
    }
    cargv.push_back(nullptr);
    pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        // The grandchild is adopted by init, so nobody has to reap it.
        if (::fork() == 0) {
            ::setsid();
            ::execvp(cargv[0], cargv.data());
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

} // namespace vx::x11
