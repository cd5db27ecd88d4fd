// Spawning, reading and stopping the measured program, without signals
// handlers of our own: its end is seen on a pidfd.
#include "program.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace vx::bench {

std::optional<Program> Program::spawn(const std::string& path, const std::vector<std::string>& args,
                                      const std::vector<std::string>& env) {
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const auto name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& mine : env)
            replaced = replaced || mine.rfind(name, 0) == 0;
        if (!replaced)
            envStrings.push_back(entry);
    }
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> cenv;
    for (auto& e : envStrings)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    Program p;
    p.startedAt_ = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&p.pid_, path.c_str(), &actions, nullptr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    p.out_ = pipeFds[0];
    p.pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, p.pid_, 0));
    return p;
}

Program::Program(Program&& o) noexcept
    : pid_(std::exchange(o.pid_, -1)), out_(std::exchange(o.out_, -1)),
      pidfd_(std::exchange(o.pidfd_, -1)), startedAt_(o.startedAt_),
      partial_(std::move(o.partial_)), lines_(std::move(o.lines_)), status_(o.status_) {}

Program::~Program() {
    if (pid_ > 0)
        stop();
    if (out_ >= 0)
        ::close(out_);
    if (pidfd_ >= 0)
        ::close(pidfd_);
}

void Program::readAvailable() {
    if (out_ < 0)
        return;
    char buffer[4096];
    for (;;) {
        const auto n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        partial_.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t end;
    while ((end = partial_.find('\n')) != std::string::npos) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
}

std::optional<int> Program::exitStatus() {
    if (!status_ && pid_ > 0) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = status;
    }
    return status_;
}

void Program::stop() {
    if (exitStatus())
        return;
    ::kill(pid_, SIGTERM);
    pollfd p{pidfd_, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0)
        ::kill(pid_, SIGKILL);
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_)
        status_ = status;
}

} // namespace vx::bench
