// Spawning and reaping the processes of an X test with bounded waits.
#include "harness/process.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vx::test {
namespace {

int pollFor(int fd, Deadline deadline) {
    for (;;) {
        auto now = std::chrono::steady_clock::now();
        auto ms = now >= deadline
                      ? 0
                      : std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd p{fd, POLLIN, 0};
        int n = ::poll(&p, 1, static_cast<int>(ms));
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

} // namespace

std::optional<Process> Process::spawn(const std::vector<std::string>& argv,
                                      const SpawnOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        auto name = entry.substr(0, entry.find('=') + 1);
        bool replaced = std::any_of(options.env.begin(), options.env.end(),
                                    [&](auto& o) { return o.compare(0, name.size(), name) == 0; });
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), options.env.begin(), options.env.end());

    std::vector<char*> cargv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    int outPipe[2] = {-1, -1};
    if (options.captureStdout && ::pipe2(outPipe, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = options.logFile.empty() ? "/dev/null" : options.logFile;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (options.captureStdout) {
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
    }
    if (options.captureStdout && options.joinStderr)
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Own process group, so a terminal's Control-C during a test run reaches
    // only the test, which then ends its children itself.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);

    pid_t pid = -1;
    int rc = posix_spawnp(&pid, cargv[0], &actions, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (outPipe[1] >= 0)
        ::close(outPipe[1]);
    if (rc != 0) {
        if (outPipe[0] >= 0)
            ::close(outPipe[0]);
        return std::nullopt;
    }
    Process p;
    p.pid_ = pid;
    p.pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    p.out_ = outPipe[0];
    return p;
}

Process::Process(Process&& o) noexcept {
    *this = std::move(o);
}

Process& Process::operator=(Process&& o) noexcept {
    if (this != &o) {
        release();
        pid_ = std::exchange(o.pid_, -1);
        pidfd_ = std::exchange(o.pidfd_, -1);
        out_ = std::exchange(o.out_, -1);
        buffered_ = std::move(o.buffered_);
        status_ = o.status_;
    }
    return *this;
}

Process::~Process() {
    release();
}

void Process::release() {
    if (pid_ > 0)
        terminate();
    if (pidfd_ >= 0)
        ::close(pidfd_);
    if (out_ >= 0)
        ::close(out_);
    pid_ = pidfd_ = out_ = -1;
}

bool Process::running() {
    if (status_ || pid_ <= 0)
        return false;
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = st;
        return false;
    }
    return true;
}

std::optional<int> Process::wait(Deadline deadline) {
    for (;;) {
        if (!running())
            return status_;
        if (pidfd_ < 0 || pollFor(pidfd_, deadline) <= 0)
            return running() ? std::nullopt : status_;
    }
}

void Process::kill(int signal) {
    if (pid_ > 0 && running())
        ::kill(pid_, signal);
}

void Process::terminate() {
    if (pid_ <= 0 || !running())
        return;
    ::kill(pid_, SIGTERM);
    if (!wait(deadlineIn(std::chrono::milliseconds(1000)))) {
        ::kill(pid_, SIGKILL);
        wait(deadlineIn(std::chrono::milliseconds(2000)));
    }
}

// Reads what the child wrote so far into the buffer; 0 at its end, -1 at the deadline.
long Process::fill(Deadline deadline) {
    if (out_ < 0 || pollFor(out_, deadline) <= 0)
        return -1;
    char buf[4096];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n > 0)
        buffered_.append(buf, static_cast<std::size_t>(n));
    return n < 0 ? -1 : n;
}

std::optional<std::string> Process::readLine(Deadline deadline) {
    for (;;) {
        if (auto nl = buffered_.find('\n'); nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        if (fill(deadline) <= 0)
            return std::nullopt;
    }
}

std::optional<std::string> Process::readAll(Deadline deadline) {
    for (;;) {
        const long n = fill(deadline);
        if (n == 0)
            return std::exchange(buffered_, {});
        if (n < 0)
            return std::nullopt;
    }
}

std::optional<CommandResult> run(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& env, Deadline deadline) {
    SpawnOptions o;
    o.env = env;
    o.captureStdout = true;
    auto p = Process::spawn(argv, o);
    if (!p)
        return std::nullopt;
    auto out = p->readAll(deadline);
    auto status = p->wait(deadline);
    if (!out || !status)
        return std::nullopt;
    return CommandResult{WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, *out};
}

} // namespace vx::test
