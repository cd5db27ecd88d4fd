// End-to-end figures of the real program on a virtual desktop (Xvfb, two
// monitors, a real window manager, input through XTest): start-up, idle
// cost, the aim's cost per frame, hold → menu, release → snap, and the same
// snap done by a key binding that runs wmctrl, all in one run. Prints a
// summary and writes every sample as JSON for scripts/bench.
//
//   vortaxis_e2e_bench [--program PATH] [--gestures N] [--baseline N]
//                      [--idle-seconds S] [--startups N] [--hold-delay S]
//                      [--settle-ms MS] [--json FILE]
#include "harness/desktop.h"
#include "proc_probe.h"
#include "program.h"
#include "scene.h"
#include "stats.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>

namespace vx::bench {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

constexpr xcb_keysym_t keysymControlL = 0xffe3, keysymAltL = 0xffe9;
constexpr xcb_keysym_t keysymF12 = 0xffc9;
// The text of the status line that says the trigger is being watched.
constexpr const char* readyText = "status: Ready \xc2\xb7 hold";
// How far from the menu centre the pointer aims: on the ring, past the centre zone.
constexpr double aimDistance = 70;

struct Options {
    std::string program;
    int gestures = 1000;
    int baseline = 200;
    int idleSeconds = 30;
    int startups = 10;
    // Pause between the aim and the release, to tell the menu's animation
    // apart from the placement in release -> snap.
    int settleMs = 0;
    double holdDelay = 0.2;
    std::string jsonPath;
};

std::optional<Options> parse(int argc, char** argv) {
    Options o;
#ifdef VORTAXIS_PROGRAM
    o.program = VORTAXIS_PROGRAM;
#endif
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string value = argv[++i];
        if (arg == "--program")
            o.program = value;
        else if (arg == "--gestures")
            o.gestures = std::stoi(value);
        else if (arg == "--baseline")
            o.baseline = std::stoi(value);
        else if (arg == "--idle-seconds")
            o.idleSeconds = std::stoi(value);
        else if (arg == "--startups")
            o.startups = std::stoi(value);
        else if (arg == "--settle-ms")
            o.settleMs = std::stoi(value);
        else if (arg == "--hold-delay")
            o.holdDelay = std::stod(value);
        else if (arg == "--json")
            o.jsonPath = value;
        else
            return std::nullopt;
    }
    if (o.program.empty())
        return std::nullopt;
    return o;
}

// The slot of a sector on a monitor, in root pixels: raw values are 45-degree
// steps counter-clockwise from the right, so "top" is the upper half on screen.
RootRect slot(int sector, const test::MonitorSpec& m) {
    const int hw = m.width / 2, hh = m.height / 2;
    switch (sector) {
    case 0:
        return {m.x + hw, m.y, hw, m.height};
    case 1:
        return {m.x + hw, m.y, hw, hh};
    case 2:
        return {m.x, m.y, m.width, hh};
    case 3:
        return {m.x, m.y, hw, hh};
    case 4:
        return {m.x, m.y, hw, m.height};
    case 5:
        return {m.x, m.y + hh, hw, hh};
    case 6:
        return {m.x, m.y + hh, m.width, hh};
    default:
        return {m.x + hw, m.y + hh, hw, hh};
    }
}

std::optional<xcb_window_t> frameOf(x11::Connection& c, xcb_window_t window) {
    for (;;) {
        auto tree = c.reply(xcb_query_tree(c.raw(), window), xcb_query_tree_reply);
        if (!tree)
            return std::nullopt;
        if (tree->parent == tree->root)
            return window;
        window = tree->parent;
    }
}

json summaryJson(const Summary& s) {
    return {
        {"count", s.count}, {"median", s.median}, {"p95", s.p95}, {"p99", s.p99}, {"max", s.max}};
}

void printSummary(const std::string& name, const std::vector<double>& samples) {
    const auto s = summarize(samples);
    std::printf("%-28s n=%-5zu median %7.2f ms  p95 %7.2f ms  p99 %7.2f ms  max %7.2f ms\n",
                name.c_str(), s.count, s.median, s.p95, s.p99, s.max);
}

class Bench {
public:
    Bench(Options options, test::Desktop& desktop, Scene& scene, xcb_window_t client)
        : o_(std::move(options)), desktop_(desktop), scene_(scene), client_(client),
          monitors_(test::DesktopOptions{}.monitors) {}

    int run();

private:
    std::optional<Program> start();
    bool measureStartups();
    bool measureIdle(Program& program);
    bool measureAim(Program& program);
    bool gesture(int index, bool withBaseline);
    bool baselineSnap(int sector, const test::MonitorSpec& m);
    std::string lastStatus() const;
    // The default trigger, Control and Alt. The hold starts when the second
    // key completes the pair and ends when the last one is let go: the time
    // returned is that key's.
    Time holdTrigger(bool press) {
        scene_.pressKey(press ? keysymAltL : keysymControlL, press);
        return scene_.pressKey(press ? keysymControlL : keysymAltL, press);
    }

    Options o_;
    test::Desktop& desktop_;
    Scene& scene_;
    xcb_window_t client_;
    std::vector<test::MonitorSpec> monitors_;
    Program* program_ = nullptr;
    json out_;
    std::vector<double> startup_, holdToMenu_, holdToMap_, releaseToSnap_, releaseToDone_, wmctrl_;
    int failures_ = 0;
};

std::optional<Program> Bench::start() {
    return Program::spawn(o_.program, {"--verbose"}, desktop_.env());
}

std::string Bench::lastStatus() const {
    if (!program_)
        return {};
    for (auto it = program_->lines().rbegin(); it != program_->lines().rend(); ++it) {
        if (it->rfind("status: ", 0) == 0)
            return it->substr(8);
    }
    return {};
}

bool readyLineSeen(const Program& p) {
    for (const auto& line : p.lines()) {
        if (line.rfind(readyText, 0) == 0)
            return true;
    }
    return false;
}

bool Bench::measureStartups() {
    for (int i = 0; i < o_.startups; ++i) {
        auto p = start();
        if (!p)
            return false;
        scene_.setProgram(&*p);
        const bool ready = scene_.pumpUntil([&] { return readyLineSeen(*p); }, 5000ms);
        const auto seenAt = Clock::now();
        scene_.setProgram(nullptr);
        if (!ready) {
            std::cerr << "start-up " << i << ": no ready line; output:\n";
            for (const auto& line : p->lines())
                std::cerr << "  " << line << '\n';
            return false;
        }
        startup_.push_back(millisecondsBetween(p->startedAt(), seenAt));
        p->stop();
    }
    return true;
}

bool Bench::measureIdle(Program& program) {
    scene_.pumpFor(2000ms); // let start-up work finish
    const auto before = sampleProcess(program.pid());
    const auto t0 = Clock::now();
    scene_.pumpFor(std::chrono::seconds(o_.idleSeconds));
    const auto after = sampleProcess(program.pid());
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!before || !after)
        return false;
    const double wakeups =
        static_cast<double>(after->voluntarySwitches - before->voluntarySwitches);
    const double preempted =
        static_cast<double>(after->involuntarySwitches - before->involuntarySwitches);
    out_["idle"] = {
        {"seconds", seconds},
        {"wakeups_per_second", wakeups / seconds},
        {"involuntary_switches_per_second", preempted / seconds},
        {"cpu_percent", static_cast<double>(after->cpuNs - before->cpuNs) / 1e7 / seconds},
        {"rss_mib", static_cast<double>(after->rssKiB) / 1024.0},
        {"threads", after->threads}};
    std::printf("idle %.0f s: %.2f wake-ups/s, CPU %.4f %%, RSS %.1f MiB, %d threads\n", seconds,
                wakeups / seconds, out_["idle"]["cpu_percent"].get<double>(),
                out_["idle"]["rss_mib"].get<double>(), after->threads);
    return true;
}

bool Bench::measureAim(Program& program) {
    const auto& m = monitors_[0];
    const int cx = m.x + m.width / 2, cy = m.y + m.height / 2;
    scene_.movePointer(cx, cy);
    scene_.resetMenu();
    holdTrigger(true);
    if (!scene_.pumpUntil([&] { return scene_.menu().paintedAt.has_value(); }, 2000ms)) {
        std::cerr << "aim: the menu did not open; last status: " << lastStatus() << '\n';
        holdTrigger(false);
        return false;
    }
    scene_.pumpFor(600ms); // opening animations settle
    constexpr double ticksPerSecond = 60;
    constexpr auto phase = 3000ms;
    const double phaseSeconds = std::chrono::duration<double>(phase).count();

    auto before = sampleProcess(program.pid());
    int paints = scene_.menu().paints;
    scene_.pumpFor(phase);
    auto after = sampleProcess(program.pid());
    const double stillUs =
        static_cast<double>(after->cpuNs - before->cpuNs) / 1e3 / (phaseSeconds * ticksPerSecond);
    const int stillPaints = scene_.menu().paints - paints;

    // Moving: a circle on the ring at 120 motion events a second, faster than
    // the aim samples, so every tick sees a new position.
    before = sampleProcess(program.pid());
    paints = scene_.menu().paints;
    const auto t0 = Clock::now();
    int step = 0;
    while (Clock::now() - t0 < phase) {
        const double angle = step * 2 * std::numbers::pi / 240.0;
        scene_.movePointer(cx + static_cast<int>(aimDistance * std::cos(angle)),
                           cy - static_cast<int>(aimDistance * std::sin(angle)));
        ++step;
        const auto next = t0 + step * std::chrono::microseconds(8333);
        scene_.pumpUntil([&] { return Clock::now() >= next; },
                         std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()));
    }
    after = sampleProcess(program.pid());
    const double movingUs =
        static_cast<double>(after->cpuNs - before->cpuNs) / 1e3 / (phaseSeconds * ticksPerSecond);
    const int movingPaints = scene_.menu().paints - paints;

    // Back to the centre and let go: a cancel.
    scene_.movePointer(cx, cy);
    scene_.pumpFor(100ms);
    holdTrigger(false);
    scene_.pumpUntil([&] { return scene_.menu().unmappedAt.has_value(); }, 2000ms);
    out_["aim"] = {{"still_cpu_us_per_tick", stillUs},
                   {"moving_cpu_us_per_tick", movingUs},
                   {"still_repaints", stillPaints},
                   {"moving_repaints", movingPaints},
                   {"phase_seconds", phaseSeconds}};
    std::printf("aim: still %.1f µs CPU/tick, %d repaints in %.0f s; moving %.1f µs CPU/tick, "
                "%d repaints\n",
                stillUs, stillPaints, phaseSeconds, movingUs, movingPaints);
    return true;
}

bool Bench::baselineSnap(int sector, const test::MonitorSpec& m) {
    const auto target = slot(sector, m);
    auto& c = desktop_.conn();
    auto extents = c.cardinals(client_, c.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    int l = 0, r = 0, t = 0, b = 0;
    if (extents && extents->size() == 4) {
        l = static_cast<int>((*extents)[0]);
        r = static_cast<int>((*extents)[1]);
        t = static_cast<int>((*extents)[2]);
        b = static_cast<int>((*extents)[3]);
    }
    scene_.bindKey(keysymF12, [=] {
        std::vector<std::string> argv{
            "wmctrl", "-r", ":ACTIVE:", "-e",
            "0," + std::to_string(target.x) + "," + std::to_string(target.y) + "," +
                std::to_string(target.width - l - r) + "," + std::to_string(target.height - t - b)};
        return argv;
    });
    scene_.expectFrame(target, 2);
    const auto pressedAt = scene_.pressKey(keysymF12, true);
    scene_.pressKey(keysymF12, false);
    if (!scene_.pumpUntil([&] { return scene_.frameReachedAt().has_value(); }, 2000ms)) {
        const auto last = scene_.lastFrame();
        std::cerr << "wmctrl snap to sector " << sector << " missed: frame at " << last.x << ','
                  << last.y << ' ' << last.width << 'x' << last.height << '\n';
        ++failures_;
        return false;
    }
    wmctrl_.push_back(millisecondsBetween(pressedAt, *scene_.frameReachedAt()));
    return true;
}

bool Bench::gesture(int index, bool withBaseline) {
    const int sector = index % 8;
    const auto& m = monitors_[static_cast<std::size_t>((index / 8) % 2)];
    const int cx = m.x + m.width / 2, cy = m.y + m.height / 2;
    const auto target = slot(sector, m);
    scene_.movePointer(cx, cy);
    scene_.resetMenu();
    scene_.expectFrame(target, 2);
    const auto pressedAt = holdTrigger(true);
    if (!scene_.pumpUntil([&] { return scene_.menu().paintedAt.has_value(); }, 2000ms)) {
        std::cerr << "gesture " << index << ": no menu; last status: " << lastStatus() << '\n';
        holdTrigger(false);
        ++failures_;
        scene_.pumpFor(300ms);
        return false;
    }
    const auto expiry = pressedAt + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(o_.holdDelay));
    holdToMenu_.push_back(millisecondsBetween(expiry, *scene_.menu().paintedAt));
    holdToMap_.push_back(millisecondsBetween(expiry, *scene_.menu().mappedAt));

    // Aim, and wait for the program to say it aims there (its verbose "aim:"
    // line) so the release does not race the next aim tick.
    const double angle = sector * std::numbers::pi / 4;
    const auto linesBefore = program_->lines().size();
    scene_.movePointer(cx + static_cast<int>(std::lround(aimDistance * std::cos(angle))),
                       cy - static_cast<int>(std::lround(aimDistance * std::sin(angle))));
    const bool aimed = scene_.pumpUntil(
        [&] {
            const auto& lines = program_->lines();
            for (auto i = linesBefore; i < lines.size(); ++i) {
                if (lines[i].rfind("aim: ", 0) == 0 && lines[i] != "aim: centre")
                    return true;
            }
            return false;
        },
        2000ms);
    if (!aimed)
        std::cerr << "gesture " << index << ": the program did not report its aim\n";

    if (o_.settleMs > 0)
        scene_.pumpFor(std::chrono::milliseconds(o_.settleMs));
    const auto linesAtRelease = program_->lines().size();
    const auto releasedAt = holdTrigger(false);
    const bool snapped =
        scene_.pumpUntil([&] { return scene_.frameReachedAt().has_value(); }, 2000ms);
    scene_.pumpUntil([&] { return scene_.menu().unmappedAt.has_value(); }, 2000ms);
    if (!snapped) {
        const auto last = scene_.lastFrame();
        std::cerr << "gesture " << index << " (sector " << sector << "): frame at " << last.x << ','
                  << last.y << ' ' << last.width << 'x' << last.height << ", wanted " << target.x
                  << ',' << target.y << ' ' << target.width << 'x' << target.height
                  << "; last status: " << lastStatus() << '\n';
        if (failures_++ == 0) {
            std::cerr << "the program said:\n";
            for (const auto& line : program_->lines())
                std::cerr << "  " << line << '\n';
        }
        return false;
    }
    releaseToSnap_.push_back(millisecondsBetween(releasedAt, *scene_.frameReachedAt()));
    // The program is free for the next gesture once it says what it did: a
    // read-back that waits out its deadline shows here, not in the frame.
    const bool said = scene_.pumpUntil(
        [&] {
            const auto& lines = program_->lines();
            for (auto i = linesAtRelease; i < lines.size(); ++i) {
                if (lines[i].rfind("status: ", 0) == 0)
                    return true;
            }
            return false;
        },
        2000ms);
    if (said)
        releaseToDone_.push_back(millisecondsBetween(releasedAt, Clock::now()));
    if (withBaseline)
        baselineSnap((sector + 4) % 8, m);
    return true;
}

int Bench::run() {
    const auto frame = frameOf(desktop_.conn(), client_);
    if (!frame)
        return 1;
    scene_.trackFrame(*frame);

    if (o_.program == "none") {
        // Only the common way, for a machine where the program is not built.
        for (int i = 0; i < o_.baseline; ++i)
            baselineSnap(i % 8, monitors_[static_cast<std::size_t>((i / 8) % 2)]);
        printSummary("wmctrl key binding -> snap", wmctrl_);
        return failures_ == 0 ? 0 : 1;
    }
    if (!measureStartups())
        return 1;
    printSummary("start-up (exec -> armed)", startup_);

    auto program = start();
    if (!program)
        return 1;
    program_ = &*program;
    scene_.setProgram(program_);
    if (!scene_.pumpUntil([&] { return readyLineSeen(*program); }, 5000ms)) {
        std::cerr << "the program did not become ready\n";
        return 1;
    }
    if (!measureIdle(*program) || !measureAim(*program))
        return 1;

    std::optional<ProcSample> warm;
    constexpr int warmUp = 16;
    for (int i = 0; i < o_.gestures; ++i) {
        if (i == warmUp)
            warm = sampleProcess(program->pid());
        gesture(i, i < o_.baseline);
        if (program->exitStatus()) {
            std::cerr << "the program ended during gesture " << i << '\n';
            return 1;
        }
        if ((i + 1) % 100 == 0)
            std::fprintf(stderr, "  %d gestures\n", i + 1);
    }
    const auto end = sampleProcess(program->pid());

    printSummary("hold -> menu painted", holdToMenu_);
    printSummary("hold -> menu mapped", holdToMap_);
    printSummary("release -> snap", releaseToSnap_);
    printSummary("release -> status line", releaseToDone_);
    printSummary("wmctrl key binding -> snap", wmctrl_);
    const double ratio = summarize(wmctrl_).median / summarize(releaseToSnap_).median;
    std::printf("release -> snap is %.1f x faster than the wmctrl binding (medians)\n", ratio);
    if (warm && end) {
        out_["memory"] = {
            {"rss_idle_mib", out_["idle"]["rss_mib"]},
            {"rss_warm_mib", static_cast<double>(warm->rssKiB) / 1024.0},
            {"rss_end_mib", static_cast<double>(end->rssKiB) / 1024.0},
            {"gestures", o_.gestures},
            {"growth_after_warmup_mib",
             (static_cast<double>(end->rssKiB) - static_cast<double>(warm->rssKiB)) / 1024.0}};
        std::printf("memory: RSS idle %.1f MiB, after %d gestures %.1f MiB, after %d %.1f MiB\n",
                    out_["idle"]["rss_mib"].get<double>(), warmUp,
                    static_cast<double>(warm->rssKiB) / 1024.0, o_.gestures,
                    static_cast<double>(end->rssKiB) / 1024.0);
    }
    std::printf("failures: %d of %d gestures\n", failures_, o_.gestures);

    out_["hold_delay_s"] = o_.holdDelay;
    out_["window_manager"] = test::DesktopOptions::defaultWindowManager();
    out_["failures"] = failures_;
    out_["wmctrl_to_vortaxis_ratio"] = ratio;
    for (auto [name, samples] : {std::pair{"startup_ms", &startup_},
                                 {"hold_to_menu_ms", &holdToMenu_},
                                 {"hold_to_map_ms", &holdToMap_},
                                 {"release_to_snap_ms", &releaseToSnap_},
                                 {"release_to_status_ms", &releaseToDone_},
                                 {"wmctrl_snap_ms", &wmctrl_}}) {
        out_[name] = {{"samples", *samples}, {"summary", summaryJson(summarize(*samples))}};
    }
    if (!o_.jsonPath.empty())
        std::ofstream(o_.jsonPath) << out_.dump(1) << '\n';
    scene_.setProgram(nullptr);
    program->stop();
    return 0;
}

} // namespace
} // namespace vx::bench

int main(int argc, char** argv) {
    auto options = vx::bench::parse(argc, argv);
    if (!options) {
        std::cerr << "usage: vortaxis_e2e_bench [--program PATH] [--gestures N] [--baseline N] "
                     "[--idle-seconds S] [--startups N] [--hold-delay S] [--json FILE]\n";
        return 2;
    }
    std::string error;
    auto desktop = vx::test::Desktop::start({}, &error);
    if (!desktop) {
        std::cerr << "no virtual desktop: " << error << '\n';
        return 1;
    }
    // The window every gesture moves: a fixture client, which takes any size
    // exactly (a terminal would round to its character cell).
    // A window manager that has just started may still be busy setting up its
    // key grabs when the window asks to be managed: ask again.
    std::optional<vx::test::Client> fixture;
    for (int attempt = 0; attempt < 5 && !fixture; ++attempt)
        fixture = desktop->launchFixture({"--geometry", "500x400+200+150"});
    if (!fixture) {
        std::cerr << "the target window did not come up\n" << desktop->dump();
        return 1;
    }
    auto scene = vx::bench::Scene::create(*desktop, &error);
    if (!scene) {
        std::cerr << error << '\n';
        return 1;
    }
    vx::bench::Bench bench(*options, *desktop, *scene, fixture->window);
    return bench.run();
}
