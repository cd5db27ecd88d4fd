// What the kernel says a process has spent, read from /proc: CPU time of all
// its threads in nanoseconds, context switches (each voluntary one is a sleep
// and a later wake-up) and resident memory. Nothing is asked of the process.
#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace vx::bench {

struct ProcSample {
    std::uint64_t cpuNs = 0;
    std::uint64_t voluntarySwitches = 0;
    std::uint64_t involuntarySwitches = 0;
    std::uint64_t rssKiB = 0;
    int threads = 0;
};

// Nothing once the process has gone.
std::optional<ProcSample> sampleProcess(pid_t pid);

} // namespace vx::bench
