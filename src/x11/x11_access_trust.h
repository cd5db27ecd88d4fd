// The AccessTrust seam on X11: we may read and move other applications'
// windows when there is an X11 display run by an EWMH window manager that
// publishes the active window and the stacking list. Nothing to grant by
// hand; when it is missing we say what is missing.
#pragma once

#include "core/window/access_trust.h"
#include "x11/connection.h"

#include <functional>
#include <string>
#include <vector>

namespace vx::x11 {

class X11AccessTrust : public AccessTrust {
public:
    // Starts a helper program without waiting for it; false when it cannot be started.
    using Launcher = std::function<bool(const std::vector<std::string>& argv)>;

    // `conn` is null when no display could be opened. `readme` is the page
    // openSettings() shows.
    explicit X11AccessTrust(Connection* conn, std::string readme = defaultReadme());
    static std::string defaultReadme();

    bool isTrusted() override { return missing().empty(); }
    // Tells the user what is missing with a desktop notification (notify-send),
    // or a line on stderr where there is none.
    bool requestTrust() override;
    // Opens the README's section on window access with xdg-open.
    void openSettings() override;

    // The user-visible reason we are not trusted; empty when we are.
    std::string missing() override;

    void setLauncher(Launcher launcher) { launch_ = std::move(launcher); }
    // Double-forks and execs argv[0] from PATH; the child is never waited for.
    static bool launchDetached(const std::vector<std::string>& argv);

private:
    std::string missingManager();

    Connection* conn_;
    std::string readme_;
    Launcher launch_ = launchDetached;
};

} // namespace vx::x11
