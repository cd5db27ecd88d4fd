// Spawning and reaping the processes of an X test with bounded waits.
#include "harness/process.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vx::test {

int pollFor(int fd, Deadline deadline, short events) {
    int n;
    do {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, events, 0};
        n = ::poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
    } while (n < 0 && errno == EINTR);
    return n;
}

std::optional<Process> Process::spawn(const std::vector<std::string>& argv,
                                      const SpawnOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e), name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(options.env.begin(), options.env.end(),
                         [&](auto& o) { return o.compare(0, name.size(), name) == 0; }))
            env.push_back(entry);
    }
    env.insert(env.end(), options.env.begin(), options.env.end());
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    for (auto& e : env)
        cenv.push_back(e.data());
    cargv.push_back(nullptr);
    cenv.push_back(nullptr);

    int pipe[2] = {-1, -1};
    if (options.captureStdout && ::pipe2(pipe, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = options.logFile.empty() ? "/dev/null" : options.logFile;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    for (const int fd : {1, 2}) {
        if (options.captureStdout && (fd == 1 || options.joinStderr))
            posix_spawn_file_actions_adddup2(&actions, pipe[1], fd);
        else
            posix_spawn_file_actions_addopen(&actions, fd, log.c_str(),
                                             O_WRONLY | O_CREAT | O_APPEND, 0644);
    }
    // Own process group, so a terminal's Control-C during a test run reaches
    // only the test, which then ends its children itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, cargv[0], &actions, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (pipe[1] >= 0)
        ::close(pipe[1]);
    Process p;
    p.out_ = pipe[0]; // closed with p when the spawn failed
    if (rc != 0)
        return std::nullopt;

    p.pid_ = pid;
    p.pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    return p;
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

void Process::release() {
    if (pid_ > 0)
        terminate();
    for (const int fd : {pidfd_, out_})
        if (fd >= 0)
            ::close(fd);
    pid_ = pidfd_ = out_ = -1;
}

bool Process::running() {
    if (status_ || pid_ <= 0)
        return false;
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) != pid_)
        return true;
    status_ = st;
    return false;
}

std::optional<int> Process::wait(Deadline deadline) {
    while (running())
        if (pidfd_ < 0 || pollFor(pidfd_, deadline) <= 0)
            return running() ? std::nullopt : status_;
    return status_;
}

void Process::kill(int signal) {
    if (pid_ > 0 && running())
        ::kill(pid_, signal);
}

void Process::terminate() {
    kill(SIGTERM);
    if (pid_ > 0 && !wait(deadlineIn(std::chrono::milliseconds(1000)))) {
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
    std::size_t nl;
    while ((nl = buffered_.find('\n')) == std::string::npos)
        if (fill(deadline) <= 0)
            return std::nullopt;
    std::string line = buffered_.substr(0, nl);
    buffered_.erase(0, nl + 1);
    return line;
}

std::optional<std::string> Process::readAll(Deadline deadline) {
    for (long n; (n = fill(deadline)) != 0;)
        if (n < 0)
            return std::nullopt;
    return std::exchange(buffered_, {});
}

std::optional<CommandResult> run(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& env, Deadline deadline,
                                 bool joinStderr) {
    auto p = Process::spawn(argv, {env, {}, true, joinStderr});
    const auto out = p ? p->readAll(deadline) : std::nullopt;
    const auto status = out ? p->wait(deadline) : std::nullopt;
    if (!status)
        return std::nullopt;
    return CommandResult{WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, *out};
}

} // namespace vx::test
