// Starts of the real program racing for one desktop: exactly one runs and the
// others hand over to it and leave; what a killed instance left behind does
// not keep the next start from running.
#include "program_driver.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

// Bounds a whole race: the starts that lose it wait for the winner's start-up.
constexpr auto raceBound = std::chrono::milliseconds(20000);

class SingleInstanceTest : public DesktopTest {
protected:
    // A runtime folder of the test's own, so it knows where the lock lives.
    std::string runtime() const { return desktop_->tempDir() + "/run"; }
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(::mkdir(runtime().c_str(), 0700), 0);
    }
    std::optional<Process> start() {
        SpawnOptions options;
        options.env = desktop().env();
        options.env.push_back("XDG_RUNTIME_DIR=" + runtime());
        options.captureStdout = true;
        return Process::spawn(programArgv({"--verbose"}), options);
    }
    // "running" once it said it is ready, "handed over" once it said so and
    // left with status 0, else what happened.
    static std::string outcome(Process& process, Deadline deadline) {
        std::string said;
        while (auto line = process.readLine(deadline)) {
            if (line->rfind("status: Ready", 0) == 0)
                return "running";
            said += *line + "\n";
        }
        const auto status = process.wait(deadline);
        if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0 &&
            said.find("already running") != std::string::npos)
            return "handed over";
        return "status " + (status ? std::to_string(*status) : std::string("none")) + ", said:\n" +
               said;
    }
    bool leftBehind(std::filesystem::file_type type, const std::string& suffix) const {
        for (const auto& entry : std::filesystem::directory_iterator(runtime())) {
            const std::string name = entry.path().filename().string();
            if (entry.symlink_status().type() == type && name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                return true;
        }
        return false;
    }
};

TEST_F(SingleInstanceTest, OfFourSimultaneousStartsExactlyOneRunsAndTheOthersHandOver) {
    std::vector<Process> starts;
    for (int i = 0; i < 4; ++i) {
        auto process = start();
        ASSERT_TRUE(process);
        starts.push_back(std::move(*process));
    }
    const auto deadline = deadlineIn(raceBound);
    std::vector<std::string> outcomes;
    std::string all;
    for (auto& process : starts) {
        outcomes.push_back(outcome(process, deadline));
        all += "  " + outcomes.back() + "\n";
    }
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), "running"), 1) << all;
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), "handed over"), 3) << all;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (outcomes[i] == "running") {
            EXPECT_TRUE(starts[i].running()) << "the instance that won did not stay";
        }
    }
    auto later = start();
    ASSERT_TRUE(later);
    EXPECT_EQ(outcome(*later, deadlineIn(raceBound)), "handed over");
}

TEST_F(SingleInstanceTest, WhatAKilledInstanceLeftDoesNotBlockTheNextStart) {
    auto killed = start();
    ASSERT_TRUE(killed);
    ASSERT_EQ(outcome(*killed, deadlineIn(raceBound)), "running");
    killed->kill(SIGKILL);
    ASSERT_TRUE(killed->wait(deadlineIn(kWait)));
    ASSERT_TRUE(leftBehind(std::filesystem::file_type::regular, ".lock"));
    ASSERT_TRUE(leftBehind(std::filesystem::file_type::socket, ""));

    auto next = start();
    ASSERT_TRUE(next);
    EXPECT_EQ(outcome(*next, deadlineIn(raceBound)), "running");
    auto later = start();
    ASSERT_TRUE(later);
    EXPECT_EQ(outcome(*later, deadlineIn(raceBound)), "handed over");
}

// Anyone of this user may connect to the running one: a sender of endless
// bytes without a line end, and clients that say nothing, cost it neither
// memory nor descriptors.
TEST_F(SingleInstanceTest, ClientsThatFloodOrSayNothingAreDropped) {
    auto running = start();
    ASSERT_TRUE(running);
    ASSERT_EQ(outcome(*running, deadlineIn(raceBound)), "running");
    std::string path;
    for (const auto& entry : std::filesystem::directory_iterator(runtime()))
        if (entry.symlink_status().type() == std::filesystem::file_type::socket)
            path = entry.path().string();
    ASSERT_FALSE(path.empty());
    const std::string proc = "/proc/" + std::to_string(running->pid());
    // The peak: what a flood made it hold, even once it let go.
    auto residentKiB = [&] {
        std::ifstream in(proc + "/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stol(line.substr(6));
        return 0L;
    };
    auto descriptors = [&] {
        const std::filesystem::directory_iterator fds(proc + "/fd");
        return std::distance(std::filesystem::begin(fds), std::filesystem::end(fds));
    };
    auto connectTo = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    auto waitFor = [](int fd, short events, Deadline deadline) {
        pollfd p{fd, events, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count()))) > 0 ? p.revents
                                                                                         : 0;
    };
    const long residentBefore = residentKiB();
    const auto descriptorsBefore = descriptors();

    std::vector<int> silent;
    for (int i = 0; i < 20; ++i)
        silent.push_back(connectTo());
    const int flood = connectTo();
    const std::string block(64 * 1024, 'x');
    const auto deadline = deadlineIn(std::chrono::milliseconds(10000));
    bool dropped = false;
    for (std::size_t sent = 0; !dropped && sent < (300u << 20);) {
        if (!(waitFor(flood, POLLOUT, deadline) & POLLOUT))
            break;
        const auto n = ::send(flood, block.data(), block.size(), MSG_NOSIGNAL);
        dropped = n < 0 && (errno == EPIPE || errno == ECONNRESET);
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    EXPECT_TRUE(dropped) << "the endless line was read on";
    EXPECT_LT(residentKiB() - residentBefore, 8 * 1024);
    for (const int fd : silent) {
        char c;
        EXPECT_TRUE(waitFor(fd, POLLIN, deadline) & (POLLIN | POLLHUP));
        EXPECT_EQ(::read(fd, &c, 1), 0) << "a silent client was kept";
        ::close(fd);
    }
    ::close(flood);
    EXPECT_LE(descriptors(), descriptorsBefore);
    EXPECT_TRUE(running->running());
}

// Without a runtime folder of the session's, the lock must not sit in the
// shared temp folder, where another user could make it first.
TEST_F(SingleInstanceTest, ALockPlantedInTheSharedTempFolderDoesNotKeepItFromStarting) {
    const std::string shared = desktop_->tempDir() + "/shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    std::string display;
    for (const auto& variable : desktop().env())
        if (variable.rfind("DISPLAY=", 0) == 0)
            display = variable.substr(variable.find(':'));
    std::replace(display.begin(), display.end(), ':', '_');
    // Naming a live process (this one), as a lock held by someone else does.
    const std::string planted =
        shared + "/vortaxis-" + std::to_string(::getuid()) + "-" + display + ".lock";
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::ofstream(planted) << ::getpid() << "\n"
                           << std::filesystem::read_symlink("/proc/self/exe").filename().string()
                           << "\n"
                           << host << "\n";
    ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);

    SpawnOptions options;
    options.env = desktop().env();
    options.env.push_back("TMPDIR=" + shared);
    options.captureStdout = true;
    auto process = Process::spawn(programArgv({"--verbose"}), options);
    ASSERT_TRUE(process);
    EXPECT_EQ(outcome(*process, deadlineIn(raceBound)), "running");
}

} // namespace
} // namespace vx::test
#endif
