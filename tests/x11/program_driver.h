// The real program as a process on a test desktop: started with --verbose,
// read through its status and aim lines, played with XTest gestures, and
// weighed by the X resources it holds. ProgramTest is the fixture of every
// end-to-end test: an xterm in front, the program watching.
#pragma once

#include "core/session/layout_sector.h"
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <cmath>
#include <map>
#include <regex>
#include <xcb/res.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {

inline constexpr std::uint32_t leftControl = 29, leftAlt = 56;
// The read-back tolerance, and with it the character cells xterm sizes itself by.
inline constexpr double readBackTolerance = 24, terminalTolerance = 24 + 13;
inline const MonitorSpec leftMonitor{"LEFT", 0, 0, 1280, 1024};
inline const MonitorSpec rightMonitor{"RIGHT", 1280, 0, 1280, 1024};

// The program's command line with stderr joined to stdout.
inline std::vector<std::string> programArgv(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", VORTAXIS_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

class ProgramDriver {
public:
    static std::optional<ProgramDriver> start(Desktop& desktop,
                                              const std::vector<std::string>& env = {}) {
        SpawnOptions options;
        options.env = desktop.env();
        options.env.insert(options.env.end(), env.begin(), env.end());
        options.captureStdout = true;
        auto process = Process::spawn(programArgv({"--verbose"}), options);
        if (!process)
            return std::nullopt;
        return ProgramDriver(desktop, std::move(*process));
    }

    // Reads lines until one matches `pattern`; the matching line, or nothing.
    std::optional<std::string> waitForLine(const std::string& pattern,
                                           std::chrono::milliseconds timeout = kWait) {
        const std::regex re(pattern);
        const auto deadline = deadlineIn(timeout);
        while (auto line = process.readLine(deadline)) {
            lines.push_back(*line);
            if (std::regex_search(*line, re))
                return line;
        }
        return std::nullopt;
    }
    // The last lines it said (a soak says thousands).
    std::string transcript() const {
        std::string all;
        for (auto i = lines.size() > 60 ? lines.size() - 60 : 0; i < lines.size(); ++i)
            all += "  | " + lines[i] + "\n";
        return all;
    }

    // The keys a gesture holds: the default trigger unless the test chose another.
    std::vector<std::uint32_t> trigger{leftControl, leftAlt};

    // --- gestures, at root pixels ---
    ::testing::AssertionResult open(int x, int y) {
        fakeMotion(desktop_->conn(), x, y);
        for (const auto key : trigger)
            fakeKey(desktop_->conn(), key, true);
        if (!waitForLine("^status: (Aim|Screen)"))
            return ::testing::AssertionFailure() << "the menu did not open";
        return ::testing::AssertionSuccess();
    }
    // Points from (cx, cy) towards `s`, far enough to leave the centre and the menu.
    ::testing::AssertionResult aim(int cx, int cy, LayoutSector s) {
        const double a = centerAngleDegrees(s) * M_PI / 180.0;
        fakeMotion(desktop_->conn(), cx + static_cast<int>(std::lround(90 * std::cos(a))),
                   cy - static_cast<int>(std::lround(90 * std::sin(a))));
        if (!waitForLine("^aim: " + title(s) + "$"))
            return ::testing::AssertionFailure() << "no aim at " << title(s);
        return ::testing::AssertionSuccess();
    }
    // Lets go of the trigger; the status line that followed, if one came.
    std::optional<std::string> release(const std::string& expected = ".*") {
        letGo();
        return waitForLine("^status: (" + expected + ")");
    }
    void letGo() {
        for (auto key = trigger.rbegin(); key != trigger.rend(); ++key)
            fakeKey(desktop_->conn(), *key, false);
    }

    // Resources by type, over every connection the process has open.
    std::optional<std::map<std::string, std::uint32_t>> xResources() {
        auto& c = desktop_->conn();
        auto clients = c.reply(xcb_res_query_clients(c.raw()), xcb_res_query_clients_reply);
        if (!clients)
            return std::nullopt;
        std::map<std::string, std::uint32_t> counts;
        auto it = xcb_res_query_clients_clients_iterator(clients.get());
        for (; it.rem > 0; xcb_res_client_next(&it)) {
            const auto base = it.data->resource_base;
            if (desktop_->ownerPid(base) != process.pid())
                continue;
            auto resources = c.reply(xcb_res_query_client_resources(c.raw(), base),
                                     xcb_res_query_client_resources_reply);
            if (!resources)
                return std::nullopt;
            auto types = xcb_res_query_client_resources_types_iterator(resources.get());
            for (; types.rem > 0; xcb_res_type_next(&types))
                counts[c.atomName(types.data->resource_type).value_or("?")] += types.data->count;
        }
        return counts;
    }

    Process process;
    std::vector<std::string> lines;

private:
    ProgramDriver(Desktop& desktop, Process p) : process(std::move(p)), desktop_(&desktop) {}
    Desktop* desktop_;
};

// The slot of a sector in a monitor's visible area, in root pixels (the
// primary monitor's bottom edge is at 1024).
inline Rect slotOf(LayoutSector s, const MonitorSpec& m) {
    const double primaryBottom = 1024;
    const Rect r = frame(s, Rect(m.x, primaryBottom - (m.y + m.height), m.width, m.height));
    return Rect(r.origin.x, primaryBottom - r.maxY(), r.width(), r.height());
}

// One pixel as the screen shows it.
struct Pixel {
    int r = 0, g = 0, b = 0;
    bool isRed() const { return r > 120 && r > g + 60 && r > b + 60; }
    bool isGreen() const { return g > 150 && g > r + 60 && g > b + 50; }
    bool isBlue() const { return b > r + 80; }
    bool operator==(const Pixel& o) const {
        return std::abs(r - o.r) < 8 && std::abs(g - o.g) < 8 && std::abs(b - o.b) < 8;
    }
};

// The whole test screen as the server composes it (root window, inferiors included).
class ScreenShot {
public:
    explicit ScreenShot(x11::Connection& c) {
        auto reply = c.reply(
            xcb_get_image(c.raw(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), 0, 0, 2560, 1024, ~0u),
            xcb_get_image_reply);
        if (reply && xcb_get_image_data_length(reply.get()) == 2560 * 1024 * 4)
            bytes_.assign(xcb_get_image_data(reply.get()),
                          xcb_get_image_data(reply.get()) + 2560 * 1024 * 4);
    }
    // Root coordinates; 32-bit pixels in BGRX order.
    Pixel at(int x, int y) const {
        const auto i = static_cast<std::size_t>((y * 2560 + x) * 4);
        return bytes_.empty() ? Pixel{} : Pixel{bytes_[i + 2], bytes_[i + 1], bytes_[i]};
    }

private:
    std::vector<std::uint8_t> bytes_;
};

class ProgramTest : public DesktopTest {
protected:
    // An xterm that keeps what is typed into it, then the program, ready;
    // without a window manager it says it cannot arrange anything.
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        const bool managed = !options().windowManager.empty();
        if (managed) {
            auto term = desktop().launch({"xterm", "-geometry", "80x24+100+100", "-e", "sh", "-c",
                                          "cat > \"$HOME/typed.txt\""});
            ASSERT_TRUE(term) << "xterm did not come up";
            xterm.emplace(std::move(*term));
        }
        beforeProgram();
        auto program = ProgramDriver::start(desktop(), programEnv);
        ASSERT_TRUE(program);
        vortaxis.emplace(std::move(*program));
        ASSERT_TRUE(
            vortaxis->waitForLine(managed ? "^status: Ready" : "^status: No window access"));
    }
    // Runs before the program starts; may add to what its environment holds.
    virtual void beforeProgram() {}
    std::vector<std::string> programEnv;
    void TearDown() override {
        if (HasFailure() && vortaxis)
            std::cerr << "vortaxis said:\n" << vortaxis->transcript();
        vortaxis.reset();
        xterm.reset();
        DesktopTest::TearDown();
    }
    x11::Connection& c() { return desktop().conn(); }

    // Brings `client` to the front the way a pager does, and waits for it.
    ::testing::AssertionResult activate(xcb_window_t client) {
        auto done = desktop().tool({"wmctrl", "-i", "-a", std::to_string(client)});
        if (!done || done->exitCode != 0)
            return ::testing::AssertionFailure() << "wmctrl could not activate " << client;
        if (!desktop().waitUntil([&] {
                return c().cardinal(c().root(), c().atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW) ==
                       client;
            }))
            return ::testing::AssertionFailure() << "window " << client << " did not become active";
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult landsIn(const Rect& expected, xcb_window_t client = 0,
                                       double tolerance = terminalTolerance) {
        std::optional<Rect> seen;
        if (desktop().waitUntil([&] {
                seen = desktop().oracleFrame(client ? client : xterm->window);
                return seen && isNear(*seen, expected, tolerance);
            }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "frame " << seen.value_or(Rect()) << " is not near " << expected;
    }
    // A whole gesture from the centre of `m` towards `s`: it must say so and
    // put the front window into the slot of `s` on `visible`.
    ::testing::AssertionResult snaps(LayoutSector s, const MonitorSpec& m, xcb_window_t client = 0,
                                     double tolerance = terminalTolerance,
                                     const MonitorSpec* visible = nullptr) {
        const int cx = m.x + m.width / 2, cy = m.y + m.height / 2;
        if (auto opened = vortaxis->open(cx, cy); !opened)
            return opened;
        if (auto aimed = vortaxis->aim(cx, cy, s); !aimed)
            return aimed;
        if (!vortaxis->release("Snapped · " + title(s)))
            return ::testing::AssertionFailure() << "no snap to " << title(s) << " on " << m.name;
        return landsIn(slotOf(s, visible ? *visible : m), client, tolerance);
    }

    std::optional<Client> xterm;
    std::optional<ProgramDriver> vortaxis;
};

} // namespace vx::test
#endif
