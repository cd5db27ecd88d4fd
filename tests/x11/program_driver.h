// The real program on a test desktop, started with --verbose, read through its
// status and aim lines and played with XTest gestures; an xterm in front.
#pragma once

#include "core/session/layout_sector.h"
#include "harness/desktop_test.h"

#include <cmath>
#include <regex>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {

inline constexpr std::uint32_t leftControl = 29, leftAlt = 56;
// The read-back tolerance, and with it the character cells xterm sizes itself by.
inline constexpr double readBackTolerance = 24, terminalTolerance = 24 + 13;
inline const MonitorSpec leftMonitor{"LEFT", 0, 0, 1280, 1024};
inline const MonitorSpec rightMonitor{"RIGHT", 1280, 0, 1280, 1024};

inline std::vector<std::string> programArgv(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{VORTAXIS_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

// The slot of a sector in a monitor's visible area, in root pixels (the
// primary monitor's bottom edge is at 1024).
inline Rect slotOf(LayoutSector s, const MonitorSpec& m) {
    const Rect r = frame(s, Rect(m.x, 1024 - (m.y + m.height), m.width, m.height));
    return Rect(r.origin.x, 1024 - r.maxY(), r.width(), r.height());
}

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool isRed() const { return r > 120 && r > g + 60 && r > b + 60; }
    bool isGreen() const { return g > 150 && g > r + 60 && g > b + 50; }
    int distance(const Pixel& o) const {
        return std::abs(r - o.r) + std::abs(g - o.g) + std::abs(b - o.b);
    }
    bool operator==(const Pixel& o) const {
        return std::abs(r - o.r) < 8 && std::abs(g - o.g) < 8 && std::abs(b - o.b) < 8;
    }
};

// The whole test screen as the server composes it (root window, inferiors
// included); 32-bit pixels in BGRX order.
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
    Pixel at(int x, int y) const {
        const auto i = static_cast<std::size_t>((y * 2560 + x) * 4);
        return bytes_.empty() ? Pixel{} : Pixel{bytes_[i + 2], bytes_[i + 1], bytes_[i]};
    }
    // How many pixels of `r` satisfy `p`.
    int count(const Rect& r, const std::function<bool(const Pixel&)>& p) const {
        int n = 0;
        for (auto y = static_cast<int>(r.minY()); y < r.maxY(); ++y)
            for (auto x = static_cast<int>(r.minX()); x < r.maxX(); ++x)
                n += p(at(x, y));
        return n;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

class ProgramTest : public DesktopTest {
protected:
    // An xterm whose `cat` a Control-C ends, then the program, ready.
    void SetUp() override {
        DesktopTest::SetUp();
        if (HasFatalFailure())
            return;
        xterm = desktop().launch({"xterm", "-geometry", "80x24+100+100", "-e", "cat"});
        ASSERT_TRUE(xterm) << "xterm did not come up";
        beforeProgram();
        auto env = desktop().env();
        env.insert(env.end(), programEnv.begin(), programEnv.end());
        program = Process::spawn(programArgv({"--verbose"}), {env, {}, true, true});
        ASSERT_TRUE(program);
        ASSERT_TRUE(waitForLine("^status: Ready"));
    }
    // Runs before the program starts; may add to its environment.
    virtual void beforeProgram() {}
    void TearDown() override {
        if (HasFailure()) {
            std::cerr << "vortaxis said (its last lines):\n";
            for (auto i = said.size() > 60 ? said.size() - 60 : 0; i < said.size(); ++i)
                std::cerr << "  | " << said[i] << "\n";
        }
        program.reset();
        xterm.reset();
        DesktopTest::TearDown();
    }

    // Reads the program's lines until one matches `pattern`; that line, or nothing.
    std::optional<std::string> waitForLine(const std::string& pattern,
                                           std::chrono::milliseconds timeout = kWait) {
        const std::regex re(pattern);
        const auto deadline = deadlineIn(timeout);
        while (auto line = program->readLine(deadline)) {
            said.push_back(*line);
            if (std::regex_search(*line, re))
                return line;
        }
        return std::nullopt;
    }
    bool menuOpened(std::chrono::milliseconds within = kWait) {
        return waitForLine("^status: (Aim|Screen)", within).has_value();
    }
    // --- gestures, at root pixels ---
    static ::testing::AssertionResult check(bool ok, const std::string& failure) {
        return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << failure;
    }
    ::testing::AssertionResult open(int x, int y) {
        fakeMotion(c(), x, y);
        fakeKeys(c(), trigger, true);
        return check(menuOpened(), "the menu did not open");
    }
    // Points from (cx, cy) towards `s`, far enough to leave the centre and the menu.
    ::testing::AssertionResult aim(int cx, int cy, LayoutSector s) {
        const double a = centerAngleDegrees(s) * M_PI / 180.0;
        fakeMotion(c(), cx + static_cast<int>(std::lround(90 * std::cos(a))),
                   cy - static_cast<int>(std::lround(90 * std::sin(a))));
        return check(waitForLine("^aim: " + title(s) + "$").has_value(), "no aim at " + title(s));
    }
    // Lets go of the trigger; the status line that followed, if one came.
    std::optional<std::string> release(const std::string& expected = ".*") {
        letGo();
        return waitForLine("^status: (" + expected + ")");
    }
    void letGo() {
        fakeKeys(c(), std::vector<std::uint32_t>(trigger.rbegin(), trigger.rend()), false);
    }

    // Brings `client` to the front the way a pager does, and waits for it.
    ::testing::AssertionResult activate(xcb_window_t client) {
        const auto active = c().atom("_NET_ACTIVE_WINDOW");
        return check(desktop().ran({"wmctrl", "-i", "-a", std::to_string(client)}) &&
                         desktop().waitUntil([&] {
                             return c().cardinal(c().root(), active, XCB_ATOM_WINDOW) == client;
                         }),
                     "window " + std::to_string(client) + " did not become active");
    }
    ::testing::AssertionResult landsIn(const Rect& expected, xcb_window_t client = 0,
                                       double tolerance = terminalTolerance) {
        std::optional<Rect> seen;
        const bool near = desktop().waitUntil([&] {
            seen = desktop().oracleFrame(client ? client : xterm->window);
            return seen && std::abs(seen->minX() - expected.minX()) <= tolerance &&
                   std::abs(seen->minY() - expected.minY()) <= tolerance &&
                   std::abs(seen->maxX() - expected.maxX()) <= tolerance &&
                   std::abs(seen->maxY() - expected.maxY()) <= tolerance;
        });
        return check(near, "frame " + ::testing::PrintToString(seen.value_or(Rect())) +
                               " is not near " + ::testing::PrintToString(expected));
    }
    // A whole gesture from the centre of `m` towards `s`: it must say so and
    // put the front window into the slot of `s` on `m`.
    ::testing::AssertionResult snaps(LayoutSector s, const MonitorSpec& m, xcb_window_t client = 0,
                                     double tolerance = terminalTolerance) {
        const int cx = m.x + m.width / 2, cy = m.y + m.height / 2;
        if (auto opened = open(cx, cy); !opened)
            return opened;
        if (auto aimed = aim(cx, cy, s); !aimed)
            return aimed;
        if (!release("Snapped · " + title(s)))
            return check(false, "no snap to " + title(s) + " on " + m.name);
        return landsIn(slotOf(s, m), client, tolerance);
    }

    // The keys a gesture holds: the default trigger unless the test chose another.
    std::vector<std::uint32_t> trigger{leftControl, leftAlt};
    std::vector<std::string> programEnv;
    std::optional<Client> xterm;
    std::optional<Process> program;
    std::vector<std::string> said;
};

} // namespace vx::test
#endif
