// Collects the system log's lines for the length of a test.
#pragma once

#include "core/base/system_log.h"

#include <string>
#include <vector>

namespace vx::test {

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture() {
        installSystemLogSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { installSystemLogSink({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
};

} // namespace vx::test
