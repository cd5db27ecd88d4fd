// Where log lines go: stderr until the application installs its own sink.
#include "core/base/system_log.h"

#include <cstdio>
#include <string>

namespace vx {
namespace {
SystemLogSink& currentSink() {
    static SystemLogSink sink;
    return sink;
}
} // namespace

void installSystemLogSink(SystemLogSink sink) {
    currentSink() = std::move(sink);
}

void systemLog(std::string_view line) {
    if (const auto& sink = currentSink()) {
        sink(line);
        return;
    }
    const std::string text = std::string(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace vx
