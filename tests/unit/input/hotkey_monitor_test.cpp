// Hold detection on the virtual clock: when a hold begins and ends for each kind
// of trigger, and what other input, a release, a cancel or a stop does to it.
#include "core/input/hotkey_monitor.h"
#include "fakes/fake_key_source.h"
#include "fakes/spy_run_loop.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <variant>
#include <vector>

using namespace vx;

namespace {

constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        caps = modifier::capsLock;
constexpr KeyCode space = 49, keyC = 8, keyT = 17, f5 = 96;

struct Rig {
    test::SpyRunLoop loop;
    test::FakeKeySource keys;
    std::optional<HotkeyMonitor> monitor{std::in_place, keys, loop};
    std::vector<std::function<void()>> held;
};
// A scenario step: a key event, seconds passing, the reports so far ("B" per
// hold began, "E" per hold ended), or an action.
using Act = void (*)(Rig&);
using Step = std::variant<KeyEvent, double, const char*, Act>;
const Act cancel = [](Rig& r) { r.monitor->cancelHoldSession(); };
const Act stop = [](Rig& r) { r.monitor->stop(); };
const Act restart = [](Rig& r) { r.monitor->start(); };
const Act destroy = [](Rig& r) { r.monitor.reset(); };
const Act runHeld = [](Rig& r) {
    r.loop.held = nullptr;
    EXPECT_EQ(r.held.size(), 1u);
    for (auto& task : std::exchange(r.held, {}))
        task();
};
using T = KeyEvent::Type;
const auto flags = [](ModifierFlags m) { return KeyEvent{T::flagsChanged, 0, m, false}; };
const auto down = [](KeyCode k, ModifierFlags m) { return KeyEvent{T::keyDown, k, m, false}; };
const auto repeat = [](KeyCode k, ModifierFlags m) { return KeyEvent{T::keyDown, k, m, true}; };
const auto up = [](KeyCode k, ModifierFlags m) { return KeyEvent{T::keyUp, k, m, false}; };
const auto click = [](ModifierFlags m) { return KeyEvent{T::pointerPress, 0, m, false}; };

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    HotkeyBinding binding{ctrl, {}};
    double delay = 0.2;
};

void run(const Scenario& s) {
    SCOPED_TRACE(s.name);
    Rig rig;
    std::string reports;
    rig.monitor->setBindingProvider([&] { return s.binding; });
    rig.monitor->setHoldDelayProvider([&] { return s.delay; });
    rig.monitor->setOnHoldBegan([&] { reports += "B"; });
    rig.monitor->setOnHoldEnded([&] { reports += "E"; });
    rig.monitor->start();
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
        const Step& step = s.steps[i];
        if (auto* e = std::get_if<KeyEvent>(&step))
            rig.keys.send(*e);
        else if (auto* seconds = std::get_if<double>(&step))
            rig.loop.clock.advance(Seconds(*seconds));
        else if (auto* expected = std::get_if<const char*>(&step))
            EXPECT_EQ(reports, *expected) << "at step " << i;
        else
            std::get<Act>(step)(rig);
    }
    if (rig.monitor) // the events above end with everything released
        EXPECT_EQ(rig.loop.clock.activeTimerCount(), 0);
    else
        EXPECT_FALSE(rig.keys.hasSubscriber());
}

// The timer fired and posted its handling; `between` happens before it runs.
std::vector<Step> beforeTheFiredTask(std::vector<Step> between, const char* expected,
                                     std::vector<Step> after = {}) {
    std::vector<Step> steps{flags(ctrl), Act([](Rig& r) { r.loop.held = &r.held; }), 0.2};
    steps.insert(steps.end(), between.begin(), between.end());
    steps.insert(steps.end(), {runHeld, 0.19, expected});
    steps.insert(steps.end(), after.begin(), after.end());
    return steps;
}

} // namespace

TEST(HotkeyMonitor, EachKindOfTriggerAndWhatEndsItsHold) {
    const HotkeyBinding alone{ctrl, {}}, combo{ctrl | opt, space};
    const Scenario scenarios[] = {
        {"short press, then held past the delay",
         {flags(ctrl), 0.1, flags(0), 0.5, flags(ctrl), 0.199, "", 0.001, "B", flags(0), "BE"}},
        {"extra modifier cancels arming; letting it go re-arms with a full delay",
         {flags(ctrl), 0.1, flags(ctrl | shift), 0.3, flags(ctrl), 0.19, "", 0.01, "B",
          flags(ctrl | shift), flags(ctrl), "B"}},
        {"bits outside the four do not count",
         {flags(ctrl | caps | 0x100), 0.2, "B", flags(caps), "BE"}},
        {"two modifiers: one alone arms nothing, the hold lasts until both are let go",
         {flags(ctrl), 0.5, flags(ctrl | opt), 0.2, "B", flags(ctrl), "B", flags(0), "BE"},
         {ctrl | opt, {}}},
        {"the delay is read at each arming", {flags(ctrl), 0.59, "", 0.01, "B"}, alone, 0.6},
        {"combo needs exactly its modifiers and is released before the delay",
         {down(space, ctrl | opt | shift), down(space, ctrl), down(keyC, ctrl | opt), 0.5,
          down(space, ctrl | opt), 0.1, flags(ctrl), 0.5, "", down(space, ctrl | opt | caps), 0.2,
          "B"},
         combo},
        {"combo ignores repeats and other keys, survives extra modifiers",
         {down(space, ctrl | opt), 0.1, repeat(space, ctrl | opt), down(keyC, ctrl | opt), 0.1, "B",
          flags(ctrl | opt | shift), "B", up(space, ctrl | opt), "BE"},
         combo},
        {"bare key ends only with its own key-up",
         {down(f5, 0), 0.2, flags(ctrl), flags(0), up(keyC, 0), "B", up(f5, shift), "BE"},
         {0, f5}},
        // A release, cancel or stop at each moment, even after the timer fired.
        {"fired task runs", beforeTheFiredTask({}, "B")},
        {"release wins over the fired task", beforeTheFiredTask({flags(0)}, "")},
        {"cancel wins", beforeTheFiredTask({cancel}, "")},
        {"destruction wins", beforeTheFiredTask({destroy}, "")},
        // The stale task must not start the new arming's hold early, nor at all.
        {"release and press again", beforeTheFiredTask({flags(0), flags(ctrl)}, "", {0.01, "B"})},
        {"cancel latches until release",
         {flags(ctrl), 0.2, cancel, flags(ctrl), 1.0, flags(0), "B", flags(ctrl), 0.2, flags(0),
          "BBE"}},
        {"stop ends the hold silently and forgets the press",
         {flags(ctrl), 0.2, stop, flags(0), flags(ctrl), 1.0, "B", restart, flags(ctrl), 0.2,
          flags(0), "BBE"}},
    };
    for (const auto& s : scenarios)
        run(s);
}

// A lone-modifier trigger is those modifiers alone: a key or a click (a wheel
// step is one) while the delay runs makes them a shortcut's, until let go.
TEST(HotkeyMonitor, KeysAndClicksDuringTheDelaySpoilALoneModifierPress) {
    const HotkeyBinding combo{ctrl | opt, space};
    const Scenario scenarios[] = {
        {"Ctrl+C: no hold, not even after another modifier comes and goes",
         {flags(ctrl), 0.1, down(keyC, ctrl), up(keyC, ctrl), 1.0, flags(ctrl | shift), flags(ctrl),
          1.0, "", flags(0), flags(ctrl), 0.2, "B", flags(0), "BE"}},
        {"Ctrl+click and Ctrl+wheel",
         {flags(ctrl), 0.19, click(ctrl), 1.0, "", flags(0), flags(ctrl), 0.2, "B", flags(0),
          "BE"}},
        {"Ctrl+Alt+T with the default binding",
         {flags(ctrl), flags(ctrl | opt), 0.1, down(keyT, ctrl | opt), 1.0, flags(ctrl), flags(0),
          "", flags(opt), flags(ctrl | opt), 0.2, "B", flags(0), "BE"},
         HotkeyBinding::defaultBinding()},
        {"a key held from before and key-ups spoil nothing",
         {down(keyC, 0), flags(ctrl), up(keyC, ctrl), 0.2, "B", flags(0), "BE"}},
        {"once the menu is open, keys and clicks belong to the gesture",
         {flags(ctrl), 0.2, down(keyC, ctrl), click(ctrl), 1.0, "B", flags(0), "BE"}},
        {"a combo is chosen on purpose: clicks do not spoil it",
         {down(space, ctrl | opt), click(ctrl | opt), 0.2, "B", up(space, ctrl | opt), "BE"},
         combo},
    };
    for (const auto& s : scenarios)
        run(s);
}
