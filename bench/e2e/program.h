// The program under measurement, started the way a user's session starts it,
// with its status lines (written to stderr under --verbose) read through a
// pipe the bench polls next to the X connection.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vx::bench {

class Program {
public:
    static std::optional<Program> spawn(const std::string& path,
                                        const std::vector<std::string>& args,
                                        const std::vector<std::string>& env);
    Program(Program&& o) noexcept;
    Program& operator=(Program&&) = delete;
    Program(const Program&) = delete;
    ~Program();

    pid_t pid() const { return pid_; }
    int outputFd() const { return out_; }
    int pidFd() const { return pidfd_; }
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }

    // Reads what is there without blocking; complete lines go to lines().
    void readAvailable();
    const std::vector<std::string>& lines() const { return lines_; }
    // The exit status once the process ended (as waitpid gives it).
    std::optional<int> exitStatus();
    // SIGTERM, then SIGKILL when it has not ended within two seconds.
    void stop();

private:
    Program() = default;
    pid_t pid_ = -1;
    int out_ = -1;
    int pidfd_ = -1;
    std::chrono::steady_clock::time_point startedAt_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::optional<int> status_;
};

} // namespace vx::bench
