// The diagnostic probe's report and its safe report file; see the header.
#include "core/window/window_probe.h"

#include "core/window/window_discovery.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <limits>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

class Report {
public:
    explicit Report(const ProbeLineSink& sink) : sink_(sink) {}
    void line(std::string text) {
        if (sink_)
            sink_(text);
        lines_.push_back(std::move(text));
    }
    std::vector<std::string> take() { return std::move(lines_); }

private:
    const ProbeLineSink& sink_;
    std::vector<std::string> lines_;
};

std::string flag(bool value) {
    return value ? "true" : "false";
}

template <class T> std::string text(T value) {
    return std::to_string(value);
}

void settleFor(const ProbeSettle& settle, int milliseconds) {
    if (settle)
        settle(std::chrono::milliseconds(milliseconds));
}

struct Candidate {
    ProcessID pid = 0;
    WindowID number = 0;
    Rect bounds;
};

// The rect a list entry's bounds give: missing numbers are 0, missing bounds
// the null rect, which prints as (inf, inf, 0.0, 0.0).
Rect listedBounds(const std::optional<WindowListBounds>& bounds) {
    if (!bounds) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return Rect(inf, inf, 0, 0);
    }
    return Rect(bounds->x.value_or(0), bounds->y.value_or(0), bounds->width.value_or(0),
                bounds->height.value_or(0));
}

void reportApplicationWindows(WindowSystem& system, ProcessID pid, Report& report) {
    report.line("--- Client windows pid=" + text(pid) + " ---");
    const auto windows = system.windows(system.applicationElement(pid));
    report.line("  client list status=" + text(windows.status));
    if (!windows.ok())
        return;
    report.line("  count=" + text(windows.value->size()));
    std::size_t index = 0;
    for (const auto& window : *windows.value) {
        const auto role = system.role(window);
        const auto title = system.title(window);
        const auto position = system.position(window);
        const auto size = system.size(window);
        const auto positionSettable = system.isPositionSettable(window);
        const auto sizeSettable = system.isSizeSettable(window);
        const auto id = system.windowID(window);
        report.line("  [" + text(index) + "] role=" + (role.ok() ? *role.value : "?") +
                    " title=" + (title.ok() ? *title.value : "?") +
                    " pos=" + formatPoint(position.ok() ? *position.value : Point{}) +
                    " size=" + formatSize(size.ok() ? *size.value : Size{}) +
                    " setPos=" + flag(positionSettable.ok() && *positionSettable.value) +
                    " setSize=" + flag(sizeSettable.ok() && *sizeSettable.value) +
                    " frame=" + text(id.value.value_or(0)) + " idStatus=" + text(id.status));
        ++index;
    }
}

void tryAccessibilityMove(WindowSystem& system, const Candidate& candidate,
                          const ProbeSettle& settle, Report& report) {
    const auto windows = system.windows(system.applicationElement(candidate.pid));
    if (!windows.ok() || windows.value->empty()) {
        report.line("  no client window to move");
        return;
    }
    const ElementRef window = windows.value->front();
    const Rect& b = candidate.bounds;
    const Point position{b.minX() + 30, b.minY() + 30};
    const Size size{std::max(b.width() / 2, 400.0), std::max(b.height() / 2, 300.0)};
    const AXStatus positionStatus = system.setPosition(window, position);
    const AXStatus sizeStatus = system.setSize(window, size);
    report.line("  set position status=" + text(positionStatus) +
                " size status=" + text(sizeStatus));
    settleFor(settle, 200);
    const auto after = system.position(window);
    const auto afterSize = system.size(window);
    report.line("  after read pos=" + formatPoint(after.ok() ? *after.value : Point{}) +
                " size=" + formatSize(afterSize.ok() ? *afterSize.value : Size{}));
    // Put the window back where the user had it.
    (void)system.setPosition(window, b.origin);
    (void)system.setSize(window, b.size);
}

std::string optionalRect(const std::optional<Rect>& rect) {
    return rect ? formatRect(*rect) : "nil";
}

void tryServerMove(WindowSystem& system, const Candidate& candidate, const ProbeSettle& settle,
                   Report& report) {
    const Rect& b = candidate.bounds;
    const AXStatus moved = system.moveWindow(candidate.number, {b.minX() + 40, b.minY() + 40});
    settleFor(settle, 150);
    report.line("  frame move status=" + text(moved) +
                " after=" + optionalRect(cgWindowBounds(system, candidate.number)));
    const AXStatus grouped = system.moveWindowWithGroup(candidate.number, b.origin);
    settleFor(settle, 150);
    report.line("  frame move with group status=" + text(grouped) +
                " after=" + optionalRect(cgWindowBounds(system, candidate.number)));
    (void)system.moveWindow(candidate.number, b.origin);
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    static constexpr char hex[] = "0123456789abcdef";
    auto bits = engine();
    std::string out;
    for (int i = 0; i < 16; ++i) {
        out += hex[bits & 0xF];
        bits >>= 4;
    }
    return out;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Writes all of `data`, resuming after interruptions and short writes.
bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string formatNumber(double value) {
    std::array<char, 64> buffer{};
    const double magnitude = std::abs(value);
    // Plain decimals for the everyday range, exponent form beyond it.
    const bool plain =
        !std::isfinite(value) || magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 0x1p53);
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    std::string out(buffer.data(), result.ptr);
    if (std::isfinite(value) && out.find_first_of(".e") == std::string::npos)
        out += ".0";
    return out;
}

// Appended piece by piece: a literal put in front of a temporary string makes
// GCC 12 report a false -Wrestrict at -O3.
std::string parenthesized(std::initializer_list<double> values) {
    std::string out = "(";
    for (const double value : values) {
        if (out.size() > 1)
            out += ", ";
        out += formatNumber(value);
    }
    out += ')';
    return out;
}

std::string formatPoint(const Point& p) {
    return parenthesized({p.x, p.y});
}

std::string formatSize(const Size& s) {
    return parenthesized({s.width, s.height});
}

std::string formatRect(const Rect& r) {
    return parenthesized({r.origin.x, r.origin.y, r.size.width, r.size.height});
}

std::vector<std::string> windowProbeReport(WindowSystem& system, AccessTrust& trust,
                                           const ProbeSettle& settle, const ProbeLineSink& onLine) {
    Report report(onLine);

    const bool requested = trust.requestTrust();
    const bool trusted = trust.isTrusted();
    report.line("Window access: " + flag(requested) + " (EWMH window manager=" + flag(trusted) +
                ")");
    if (!requested)
        report.line("No window access on this display \u2014 " + trust.missing() + " Then re-run.");

    report.line("=== Stacking list (WeChat / \u5fae\u4fe1) ===");
    std::vector<Candidate> candidates;
    for (const auto& entry : system.onScreenWindows().value_or(std::vector<WindowListEntry>{})) {
        const std::string name = entry.ownerName.value_or(std::string());
        if (!namesWeChat(name))
            continue;
        const ProcessID pid = entry.ownerPID.value_or(0);
        const WindowID number = entry.number.value_or(0);
        const std::int64_t layer = entry.layer.value_or(-1);
        const Rect bounds = listedBounds(entry.bounds);
        report.line("  owner=" + name + " pid=" + text(pid) + " wid=" + text(number) +
                    " layer=" + text(layer) + " bounds=" + formatRect(bounds));
        if (layer == 0 && bounds.size.width > 100.0)
            candidates.push_back({pid, number, bounds});
    }

    std::set<ProcessID> pids;
    for (const auto& candidate : candidates)
        pids.insert(candidate.pid);
    for (const auto& application : system.runningApplications()) {
        const std::string path = application.bundlePath.value_or(std::string());
        if (path.find("WeChat.app") == std::string::npos)
            continue;
        pids.insert(application.processID);
        report.line("running: " + application.localizedName.value_or("?") +
                    " pid=" + text(application.processID) + " path=" + path);
    }

    for (const ProcessID pid : pids)
        reportApplicationWindows(system, pid, report);

    if (candidates.empty()) {
        report.line("No on-screen WeChat layer-0 windows found.");
    } else {
        const Candidate& front = candidates.front();
        report.line("=== Try _NET_MOVERESIZE_WINDOW on the client window of pid " +
                    text(front.pid) + " ===");
        tryAccessibilityMove(system, front, settle, report);
        report.line("=== Try moving the frame wid " + text(front.number) + " ===");
        tryServerMove(system, front, settle, report);
    }
    return report.take();
}

std::filesystem::path probeReportDirectory(const char* runtimeDirectory,
                                           const std::filesystem::path& temporaryDirectory) {
    // Only an absolute runtime directory is the user's own; anything else
    // would put the report wherever the process happens to run.
    if (runtimeDirectory && runtimeDirectory[0] == '/')
        return runtimeDirectory;
    return temporaryDirectory;
}

std::filesystem::path probeReportDirectory() {
    std::error_code error;
    auto temporary = std::filesystem::temp_directory_path(error);
    if (error)
        temporary = "/tmp";
    return probeReportDirectory(std::getenv("XDG_RUNTIME_DIR"), temporary);
}

Result<std::filesystem::path, std::error_code>
writeProbeReport(const std::vector<std::string>& lines, const std::filesystem::path& directory) {
    std::string contents;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            contents += '\n';
        contents += lines[i];
    }

    const auto target = directory / probeReportFileName;
    std::filesystem::path temporary;
    int fd = -1;
    // A fresh name nobody can have planted: O_EXCL refuses anything already
    // there, links included, and O_NOFOLLOW makes sure of it.
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temporary = directory / ("." + std::string(probeReportFileName) + "." + randomSuffix());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    S_IRUSR | S_IWUSR);
        if (fd < 0 && errno != EEXIST)
            return fail(lastError());
    }
    if (fd < 0)
        return fail(std::make_error_code(std::errc::file_exists));

    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const std::error_code writeError = written ? std::error_code{} : lastError();
    if (::close(fd) != 0 && written) {
        const auto error = lastError();
        ::unlink(temporary.c_str());
        return fail(error);
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return fail(writeError);
    }
    // rename replaces whatever is under the name (a planted link is replaced
    // as a link, its target untouched) and readers see the old or the new file.
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const auto error = lastError();
        ::unlink(temporary.c_str());
        return fail(error);
    }
    return target;
}

int runWindowProbe(WindowSystem& system, AccessTrust& trust, const ProbeSettle& settle,
                   std::ostream& out, std::ostream& err, const std::filesystem::path& directory) {
    const auto lines = windowProbeReport(system, trust, settle,
                                         [&](const std::string& line) { out << line << '\n'; });
    const auto written = writeProbeReport(lines, directory);
    if (written)
        out << "Wrote " << written->string() << '\n';
    else
        err << "Could not write " << (directory / probeReportFileName).string() << ": "
            << written.error().message() << '\n';
    out.flush();
    err.flush();
    return 0;
}

} // namespace vx
