// Child processes of an X test, terminated and reaped when their owner goes.
// Every wait on a child is bounded and blocks on its pidfd or pipe.
#pragma once

#include "x11/connection.h"

#include <optional>
#include <poll.h>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vx::test {

using x11::Deadline;
using x11::deadlineIn;

struct SpawnOptions {
    std::vector<std::string> env; // NAME=value added to (or replacing in) ours
    std::string logFile;          // stdout and stderr go here; /dev/null when empty
    bool captureStdout = false;   // stdout to a pipe readable with readLine()/readAll()
    bool joinStderr = false;      // with captureStdout: stderr into the same pipe
};

class Process {
public:
    static std::optional<Process> spawn(const std::vector<std::string>& argv,
                                        const SpawnOptions& options = {});
    Process(Process&& o) noexcept { *this = std::move(o); }
    Process& operator=(Process&& o) noexcept;
    Process(const Process&) = delete;
    ~Process() { release(); }

    pid_t pid() const { return pid_; }
    // The captured output's end of the pipe, to poll next to other sources; -1 without one.
    int outputFd() const { return out_; }
    bool running();
    // The exit status (as waitpid gives it) once the child ended before the deadline.
    std::optional<int> wait(Deadline deadline);
    // SIGTERM, then SIGKILL when it does not end within a second.
    void terminate();
    void kill(int signal);
    // One line of captured stdout without its newline; or all of it once the child closes it.
    std::optional<std::string> readLine(Deadline deadline);
    std::optional<std::string> readAll(Deadline deadline);

private:
    Process() = default;
    void release();
    long fill(Deadline deadline);
    pid_t pid_ = -1;
    int pidfd_ = -1;
    int out_ = -1;
    std::string buffered_;
    std::optional<int> status_;
};

// poll() on one descriptor until the deadline: > 0 once it is ready.
int pollFor(int fd, Deadline deadline, short events = POLLIN);

struct CommandResult {
    int exitCode = -1;
    std::string output;
};
// Runs a command to the end (stdout captured, stderr too when asked).
std::optional<CommandResult> run(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& env, Deadline deadline,
                                 bool joinStderr = false);

} // namespace vx::test
