// Hold detection on the virtual clock: when a hold begins and ends for lone
// modifiers, combos and bare keys, and what a release, a cancellation or a stop
// does at each moment, including between the timer firing and its handling.
#include "core/base/virtual_run_loop.h"
#include "core/input/hotkey_monitor.h"
#include "fakes/fake_key_source.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using namespace vx;

namespace {

constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        caps = modifier::capsLock;
constexpr KeyCode space = 49, keyC = 8, f5 = 96;

// The virtual clock, but posted tasks can be held back so that a test can send
// key events between a timer's firing and the handling it posted.
class HoldingRunLoop final : public RunLoop {
public:
    VirtualRunLoop clock;
    std::vector<std::function<void()>>* held = nullptr;

    void post(std::function<void()> task) override {
        held ? held->push_back(std::move(task)) : clock.post(std::move(task));
    }
    std::unique_ptr<Timer> scheduleOnce(Seconds s, std::function<void()> a) override {
        return clock.scheduleOnce(s, std::move(a));
    }
    std::unique_ptr<Timer> scheduleRepeating(Seconds s, std::function<void()> a) override {
        return clock.scheduleRepeating(s, std::move(a));
    }
    TimePoint now() const override { return clock.now(); }
};

// A scenario step: a key event, time passing, the reports so far ("B" per hold
// began, "E" per hold ended), or an action.
struct Wait {
    double seconds;
};
struct Reports {
    const char* expected;
};
enum class Act { cancel, stop, start, destroy, holdPosts, runHeld };
using Step = std::variant<KeyEvent, Wait, Reports, Act>;
KeyEvent flags(ModifierFlags m) {
    return {KeyEvent::Type::flagsChanged, 0, m, false};
}
KeyEvent down(KeyCode k, ModifierFlags m, bool repeat = false) {
    return {KeyEvent::Type::keyDown, k, m, repeat};
}
KeyEvent up(KeyCode k, ModifierFlags m) {
    return {KeyEvent::Type::keyUp, k, m, false};
}

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    HotkeyBinding binding = HotkeyBinding::defaultBinding();
    double delay = 0.2;
};

void run(const Scenario& s) {
    SCOPED_TRACE(s.name);
    HoldingRunLoop loop;
    test::FakeKeySource keys;
    std::optional<HotkeyMonitor> monitor{std::in_place, keys, loop};
    std::string reports;
    std::vector<std::function<void()>> held;
    monitor->setBindingProvider([&] { return s.binding; });
    monitor->setHoldDelayProvider([&] { return s.delay; });
    monitor->setOnHoldBegan([&] { reports += "B"; });
    monitor->setOnHoldEnded([&] { reports += "E"; });
    monitor->start();
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
        const Step& step = s.steps[i];
        if (auto* e = std::get_if<KeyEvent>(&step))
            keys.send(*e);
        else if (auto* w = std::get_if<Wait>(&step))
            loop.clock.advance(Seconds(w->seconds));
        else if (auto* r = std::get_if<Reports>(&step))
            EXPECT_EQ(reports, r->expected) << "at step " << i;
        else
            switch (std::get<Act>(step)) {
            case Act::cancel:
                monitor->cancelHoldSession();
                break;
            case Act::stop:
                monitor->stop();
                break;
            case Act::start:
                monitor->start();
                break;
            case Act::destroy:
                monitor.reset();
                break;
            case Act::holdPosts:
                loop.held = &held;
                break;
            case Act::runHeld:
                loop.held = nullptr;
                EXPECT_EQ(held.size(), 1u) << "at step " << i;
                for (auto& task : std::exchange(held, {}))
                    task();
            }
    }
    if (monitor) // the events above end with everything released
        EXPECT_EQ(loop.clock.activeTimerCount(), 0);
    else
        EXPECT_FALSE(keys.hasSubscriber());
}

// The timer fired and posted its handling; `between` happens before it runs.
std::vector<Step> beforeTheFiredTask(std::vector<Step> between, const char* expected) {
    std::vector<Step> steps{flags(ctrl), Act::holdPosts, Wait{0.2}};
    steps.insert(steps.end(), between.begin(), between.end());
    steps.insert(steps.end(), {Act::runHeld, Wait{0.19}, Reports{expected}});
    return steps;
}

} // namespace

TEST(HotkeyMonitor, LoneModifiers) {
    const Scenario scenarios[] = {
        {"short press, then held past the delay",
         {flags(ctrl), Wait{0.1}, flags(0), Wait{0.5}, flags(ctrl), Wait{0.199}, Reports{""},
          Wait{0.001}, Reports{"B"}, flags(0), Reports{"BE"}}},
        {"extra modifier cancels arming; letting it go re-arms with a full delay",
         {flags(ctrl), Wait{0.1}, flags(ctrl | shift), Wait{0.3}, flags(ctrl), Wait{0.19},
          Reports{""}, Wait{0.01}, Reports{"B"}, flags(ctrl | shift), flags(ctrl), Reports{"B"}}},
        {"keys and bits outside the four do not count",
         {flags(ctrl | caps | 0x100), Wait{0.05}, down(keyC, ctrl), up(keyC, ctrl), Wait{0.15},
          Reports{"B"}, flags(caps), Reports{"BE"}}},
        {"two modifiers: one alone arms nothing, the hold lasts until both are let go",
         {flags(ctrl), Wait{0.5}, flags(ctrl | opt), Wait{0.2}, Reports{"B"}, flags(ctrl),
          Reports{"B"}, flags(0), Reports{"BE"}},
         {ctrl | opt, {}}},
        {"the delay is read at each arming",
         {flags(ctrl), Wait{0.59}, Reports{""}, Wait{0.01}, Reports{"B"}},
         {ctrl, {}},
         0.6},
        {"zero delay: a hundredth of a second, never on the press",
         {flags(ctrl), Reports{""}, Wait{0.0099}, Reports{""}, Wait{0.0001}, Reports{"B"}},
         {ctrl, {}},
         0.0},
        {"not a number: a hundredth too",
         {flags(ctrl), Wait{0.0099}, Reports{""}, Wait{0.0001}, Reports{"B"}},
         {ctrl, {}},
         std::numeric_limits<double>::quiet_NaN()},
    };
    for (const auto& s : scenarios)
        run(s);
}

TEST(HotkeyMonitor, CombosAndBareKeys) {
    const HotkeyBinding combo{ctrl | opt, space};
    const Scenario scenarios[] = {
        {"combo needs exactly its modifiers and is released before the delay",
         {down(space, ctrl | opt | shift), down(space, ctrl), down(keyC, ctrl | opt), Wait{0.5},
          down(space, ctrl | opt), Wait{0.1}, flags(ctrl), Wait{0.5}, Reports{""},
          down(space, ctrl | opt | caps), Wait{0.2}, Reports{"B"}},
         combo},
        {"combo ignores repeats and other keys, survives extra modifiers",
         {down(space, ctrl | opt), Wait{0.1}, down(space, ctrl | opt, true), down(keyC, ctrl | opt),
          Wait{0.1}, Reports{"B"}, flags(ctrl | opt | shift), Reports{"B"}, up(space, ctrl | opt),
          Reports{"BE"}},
         combo},
        {"bare key ends only with its own key-up",
         {down(f5, 0), Wait{0.2}, flags(ctrl), flags(0), up(keyC, 0), Reports{"B"}, up(f5, shift),
          Reports{"BE"}},
         {0, f5}},
    };
    for (const auto& s : scenarios)
        run(s);
}

TEST(HotkeyMonitor, ReleaseCancelAndStopAtEachMoment) {
    const Scenario scenarios[] = {
        {"fired task runs", beforeTheFiredTask({}, "B")},
        {"release wins over the fired task", beforeTheFiredTask({flags(0)}, "")},
        {"cancel wins", beforeTheFiredTask({Act::cancel}, "")},
        {"stop wins", beforeTheFiredTask({Act::stop}, "")},
        {"destruction wins", beforeTheFiredTask({Act::destroy}, "")},
        // The stale task must not start the new arming's hold early, nor at all.
        {"release and press again",
         [] {
             auto steps = beforeTheFiredTask({flags(0), flags(ctrl)}, "");
             steps.insert(steps.end(), {Wait{0.01}, Reports{"B"}});
             return steps;
         }()},
        {"cancel latches until release",
         {flags(ctrl), Wait{0.2}, Act::cancel, flags(ctrl), Wait{1}, flags(0), Reports{"B"},
          flags(ctrl), Wait{0.2}, flags(0), Reports{"BBE"}}},
        {"stop ends the hold silently and forgets the press",
         {flags(ctrl), Wait{0.2}, Act::stop, flags(0), flags(ctrl), Wait{1}, Reports{"B"},
          Act::start, flags(ctrl), Wait{0.2}, flags(0), Reports{"BBE"}}},
    };
    for (const auto& s : scenarios)
        run(s);
}
