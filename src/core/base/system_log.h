// The program's few operational log lines (a capture that could not start, a
// setting that could not be saved). Core only formats them; where they go is
// the application's choice, so core needs nothing beyond the standard library.
#pragma once

#include <functional>
#include <string_view>

namespace vx {

using SystemLogSink = std::function<void(std::string_view line)>;

// Replaces where log lines go (main thread, at start-up or in tests); an empty
// sink restores the default, which writes each line to stderr.
void installSystemLogSink(SystemLogSink sink);

// Writes one line, without a trailing newline of its own.
void systemLog(std::string_view line);

} // namespace vx
