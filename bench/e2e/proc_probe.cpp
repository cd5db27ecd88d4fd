// Sums the per-thread figures: Qt runs a thread of its own next to the main
// one, and a wake-up there counts as much as one on the main thread.
#include "proc_probe.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace vx::bench {

namespace {

// The number after `key:` in a /proc status file.
std::optional<std::uint64_t> statusField(const std::filesystem::path& file,
                                         const std::string& key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1));
    }
    return std::nullopt;
}

} // namespace

std::optional<ProcSample> sampleProcess(pid_t pid) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path("/proc") / std::to_string(pid);
    std::error_code ec;
    ProcSample sample;
    auto rss = statusField(dir / "status", "VmRSS");
    if (!rss)
        return std::nullopt;
    sample.rssKiB = *rss;
    for (const auto& task : fs::directory_iterator(dir / "task", ec)) {
        // schedstat: nanoseconds on the CPU, waiting, time slices.
        std::ifstream schedstat(task.path() / "schedstat");
        std::uint64_t ns = 0;
        if (schedstat >> ns)
            sample.cpuNs += ns;
        sample.voluntarySwitches +=
            statusField(task.path() / "status", "voluntary_ctxt_switches").value_or(0);
        sample.involuntarySwitches +=
            statusField(task.path() / "status", "nonvoluntary_ctxt_switches").value_or(0);
        ++sample.threads;
    }
    if (ec)
        return std::nullopt;
    return sample;
}

} // namespace vx::bench
