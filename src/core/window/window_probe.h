// The diagnostic probe: looks at the on-screen windows of one messaging
// application whose windows are hard to reach, tries the accessibility and the
// window-server moves on them, and reports every answer line by line. The
// report is a fixed-format developer diagnostic, compared across machines, so
// its lines are not translated.
#pragma once

#include "core/base/geometry.h"
#include "core/base/result.h"
#include "core/window/access_trust.h"
#include "core/window/window_system.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace vx {

// Lets the window manager answer a move before the probe reads the result.
// Core never blocks: the platform runs its event loop (waiting for the
// configure notifications, at most `atMost`) and returns; tests apply the moves
// their fake desktop holds back.
using ProbeSettle = std::function<void(std::chrono::milliseconds atMost)>;

// Hears each report line the moment it is produced.
using ProbeLineSink = std::function<void(const std::string& line)>;

inline constexpr const char* probeReportFileName = "vortaxis-wechat-probe.txt";

// Runs the whole probe and returns the report's lines.
std::vector<std::string> windowProbeReport(WindowSystem& system, AccessTrust& trust,
                                           const ProbeSettle& settle,
                                           const ProbeLineSink& onLine = {});

// The user's own runtime directory when there is one ($XDG_RUNTIME_DIR), else
// the temporary directory.
std::filesystem::path probeReportDirectory();
std::filesystem::path probeReportDirectory(const char* runtimeDirectory,
                                           const std::filesystem::path& temporaryDirectory);

// Writes `lines` joined by newlines to `directory`/vortaxis-wechat-probe.txt:
// into a new private file first, then renamed over the name, so a reader never
// sees half a report and a link planted under the name is replaced, never
// followed. Answers the report's path.
Result<std::filesystem::path, std::error_code>
writeProbeReport(const std::vector<std::string>& lines, const std::filesystem::path& directory);

// The diagnostic mode from start to end: prints each line to `out`, writes the
// report, prints where it went (or, to `err`, why it could not), and answers the
// process's exit status, which is 0.
int runWindowProbe(WindowSystem& system, AccessTrust& trust, const ProbeSettle& settle,
                   std::ostream& out, std::ostream& err,
                   const std::filesystem::path& directory = probeReportDirectory());

// Number forms of the report: doubles always with a fractional part (40.0),
// points, sizes and rects in parentheses separated by ", ".
std::string formatNumber(double value);
std::string formatPoint(const Point& point);
std::string formatSize(const Size& size);
std::string formatRect(const Rect& rect);

} // namespace vx
