// The program under measurement, started the way a user's session starts it
// (the X tests' process harness, no shell in between), with its status lines
// (stderr under --verbose) read through a pipe the bench polls next to the X
// connection.
#pragma once

#include "harness/process.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vx::bench {

class Program {
public:
    static std::optional<Program> spawn(const std::string& path,
                                        const std::vector<std::string>& args,
                                        const std::vector<std::string>& env) {
        std::vector<std::string> argv{path};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto startedAt = std::chrono::steady_clock::now();
        auto process = test::Process::spawn(argv, {env, {}, true, true});
        if (!process)
            return std::nullopt;
        return Program(std::move(*process), startedAt);
    }

    pid_t pid() const { return process_.pid(); }
    int outputFd() const { return process_.outputFd(); }
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }

    // Takes what is there without blocking; complete lines go to lines().
    void readAvailable() {
        while (auto line = process_.readLine(std::chrono::steady_clock::now()))
            lines_.push_back(std::move(*line));
    }
    const std::vector<std::string>& lines() const { return lines_; }
    // The exit status once the process ended (as waitpid gives it).
    std::optional<int> exitStatus() { return process_.wait(std::chrono::steady_clock::now()); }
    void stop() { process_.terminate(); }

private:
    Program(test::Process process, std::chrono::steady_clock::time_point startedAt)
        : process_(std::move(process)), startedAt_(startedAt) {}
    test::Process process_;
    std::chrono::steady_clock::time_point startedAt_;
    std::vector<std::string> lines_;
};

} // namespace vx::bench
