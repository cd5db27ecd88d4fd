// Starts racing for one desktop: one runs, the others hand over and leave;
// local clients cannot make it hold memory or descriptors; neither a killed
// instance's leftovers nor a planted lock keep the next start from running.
#include "program_driver.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

namespace fs = std::filesystem;
// Bounds a whole race: the starts that lose it wait for the winner's start-up.
constexpr auto raceBound = 20000ms;

class SingleInstanceTest : public DesktopTest {
protected:
    // A runtime folder of the test's own, so it knows where the lock lives.
    std::string runtime() const { return desktop_->tempDir() + "/run"; }
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(::mkdir(runtime().c_str(), 0700), 0);
    }
    std::optional<Process> start(const std::string& env = "") {
        auto all = desktop().env();
        all.push_back(env.empty() ? "XDG_RUNTIME_DIR=" + runtime() : env);
        return Process::spawn(programArgv({"--verbose"}), {all, {}, true, true});
    }
    // "running", "handed over" (said so, left with 0), or what happened.
    static std::string outcome(std::optional<Process>& process) {
        const auto deadline = deadlineIn(raceBound);
        std::string said;
        while (auto line = process ? process->readLine(deadline) : std::nullopt) {
            if (line->rfind("status: Ready", 0) == 0)
                return "running";
            said += *line + "\n";
        }
        const auto status = process ? process->wait(deadline) : std::nullopt;
        if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0 &&
            said.find("already running") != std::string::npos)
            return "handed over";
        return "status " + (status ? std::to_string(*status) : "none") + ", said:\n" + said;
    }
    // The running one's socket, once a start made it.
    std::string socketPath() const {
        for (const auto& entry : fs::directory_iterator(runtime()))
            if (entry.symlink_status().type() == fs::file_type::socket)
                return entry.path().string();
        return "";
    }
};

// A sender of an endless line and clients that say nothing cost the running
// one neither memory nor descriptors. Killed, it leaves lock and socket behind.
TEST_F(SingleInstanceTest, OneOfFourStartsRunsDropsClientsThatFloodOrSayNothingAndCanBeKilled) {
    std::vector<std::optional<Process>> starts;
    for (int i = 0; i < 4; ++i)
        starts.push_back(start());
    std::string all;
    std::optional<Process>* winner = nullptr;
    int handedOver = 0;
    for (auto& process : starts) {
        const auto o = outcome(process);
        all += "  " + o + "\n";
        handedOver += o == "handed over";
        if (o == "running")
            winner = winner ? nullptr : &process;
    }
    ASSERT_TRUE(winner && handedOver == 3) << all;
    auto& running = *winner;

    const std::string path = socketPath(), proc = "/proc/" + std::to_string(running->pid());
    // The peak: what a flood made it hold, even once it let go.
    auto residentKiB = [&] {
        std::ifstream in(proc + "/status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stol(line.substr(6));
        return 0L;
    };
    auto descriptors = [&] {
        const fs::directory_iterator fds(proc + "/fd");
        return std::distance(fs::begin(fds), fs::end(fds));
    };
    auto connectTo = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    const auto deadline = deadlineIn(10000ms);
    auto ready = [&](int fd, short events) { return pollFor(fd, deadline, events) > 0; };
    const long residentBefore = residentKiB();
    const auto descriptorsBefore = descriptors();
    std::vector<int> silent;
    for (int i = 0; i < 20; ++i)
        silent.push_back(connectTo());
    const int flood = connectTo();
    const std::string block(64 * 1024, 'x');
    bool dropped = false;
    for (std::size_t sent = 0; !dropped && sent < (300u << 20) && ready(flood, POLLOUT);) {
        const auto n = ::send(flood, block.data(), block.size(), MSG_NOSIGNAL);
        dropped = n < 0 && (errno == EPIPE || errno == ECONNRESET);
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    EXPECT_TRUE(dropped) << "the endless line was read on";
    EXPECT_LT(residentKiB() - residentBefore, 8 * 1024);
    for (const int fd : silent) {
        char c;
        EXPECT_TRUE(ready(fd, POLLIN));
        EXPECT_EQ(::read(fd, &c, 1), 0) << "a silent client was kept";
        ::close(fd);
    }
    ::close(flood);
    // A client sees its end before the instance has closed its side.
    EXPECT_TRUE(desktop().waitUntil([&] { return descriptors() <= descriptorsBefore; }))
        << descriptors() << " descriptors, " << descriptorsBefore << " before the clients";
    ASSERT_TRUE(running->running()) << "the instance that won did not stay";

    running->kill(SIGKILL);
    ASSERT_TRUE(running->wait(deadlineIn(kWait)));
    ASSERT_FALSE(socketPath().empty());
    auto next = start();
    EXPECT_EQ(outcome(next), "running");
    auto later = start();
    EXPECT_EQ(outcome(later), "handed over");
}

// Without a runtime folder of the session's, the lock must not sit in the
// shared temp folder, where another user could make it first.
TEST_F(SingleInstanceTest, ALockPlantedInTheSharedTempFolderDoesNotKeepItFromStarting) {
    const std::string shared = desktop_->tempDir() + "/shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    std::string display = desktop().display();
    std::replace(display.begin(), display.end(), ':', '_');
    // Naming a live process (this one), as a lock held by someone else does.
    const std::string planted =
        shared + "/vortaxis-" + std::to_string(::getuid()) + "-" + display + ".lock";
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::ofstream(planted) << ::getpid() << "\n"
                           << fs::read_symlink("/proc/self/exe").filename().string() << "\n"
                           << host << "\n";
    ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);
    auto process = start("TMPDIR=" + shared);
    EXPECT_EQ(outcome(process), "running");
}

} // namespace
} // namespace vx::test
#endif
