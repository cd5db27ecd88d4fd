// Hold detection on the virtual clock: when a hold begins and ends for lone
// modifiers, combos and bare keys, and what a release, a cancellation or a stop
// does at each moment, including between the timer firing and its handling.
#include "core/base/virtual_run_loop.h"
#include "core/input/hotkey_monitor.h"
#include "fakes/fake_key_source.h"

#include <gtest/gtest.h>
#include <limits>
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

// A scenario step: a key event, time passing, or the reports so far ("B" per
// hold began, "E" per hold ended).
struct Wait {
    double seconds;
};
struct Reports {
    const char* expected;
};
using Step = std::variant<KeyEvent, Wait, Reports>;
KeyEvent flags(ModifierFlags m) {
    return {KeyEvent::Type::flagsChanged, 0, m, false};
}
KeyEvent down(KeyCode k, ModifierFlags m, bool repeat = false) {
    return {KeyEvent::Type::keyDown, k, m, repeat};
}
KeyEvent up(KeyCode k, ModifierFlags m) {
    return {KeyEvent::Type::keyUp, k, m, false};
}

class HotkeyMonitorTest : public ::testing::Test {
protected:
    HoldingRunLoop loop;
    test::FakeKeySource keys;
    HotkeyMonitor monitor{keys, loop};
    HotkeyBinding binding = HotkeyBinding::defaultBinding();
    double delay = 0.2;
    std::string reports;

    void SetUp() override {
        monitor.setBindingProvider([this] { return binding; });
        monitor.setHoldDelayProvider([this] { return delay; });
        monitor.setOnHoldBegan([this] { reports += "B"; });
        monitor.setOnHoldEnded([this] { reports += "E"; });
        monitor.start();
    }
    void wait(double seconds) { loop.clock.advance(Seconds(seconds)); }
    void run(const std::vector<Step>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if (auto* e = std::get_if<KeyEvent>(&steps[i]))
                keys.send(*e);
            else if (auto* w = std::get_if<Wait>(&steps[i]))
                wait(w->seconds);
            else
                EXPECT_EQ(reports, std::get<Reports>(steps[i]).expected) << "at step " << i;
        }
    }
};

} // namespace

TEST_F(HotkeyMonitorTest, Scenarios) {
    const HotkeyBinding control = HotkeyBinding::defaultBinding(), two{ctrl | opt, {}},
                        combo{ctrl | opt, space};
    const std::tuple<const char*, HotkeyBinding, std::vector<Step>> scenarios[] = {
        {"short press, then held past the delay",
         control,
         {flags(ctrl), Wait{0.1}, flags(0), Wait{0.5}, flags(ctrl), Wait{0.199}, Reports{""},
          Wait{0.001}, Reports{"B"}, flags(0), Reports{"BE"}}},
        {"extra modifier cancels arming; letting it go re-arms with a full delay",
         control,
         {flags(ctrl), Wait{0.1}, flags(ctrl | shift), Wait{0.3}, flags(ctrl), Wait{0.19},
          Reports{""}, Wait{0.01}, Reports{"B"}, flags(ctrl | shift), flags(ctrl), Reports{"B"}}},
        {"keys and bits outside the four do not count",
         control,
         {flags(ctrl | caps | 0x100), Wait{0.05}, down(keyC, ctrl), up(keyC, ctrl), Wait{0.15},
          Reports{"B"}, flags(caps), Reports{"BE"}}},
        {"two modifiers: one alone arms nothing, the hold lasts until both are let go",
         two,
         {flags(ctrl), Wait{0.5}, flags(ctrl | opt), Wait{0.2}, Reports{"B"}, flags(ctrl),
          Reports{"B"}, flags(0), Reports{"BE"}}},
        {"combo needs exactly its modifiers and is released before the delay",
         combo,
         {down(space, ctrl | opt | shift), down(space, ctrl), down(keyC, ctrl | opt), Wait{0.5},
          down(space, ctrl | opt), Wait{0.1}, flags(ctrl), Wait{0.5}, Reports{""},
          down(space, ctrl | opt | caps), Wait{0.2}, Reports{"B"}}},
        {"combo ignores repeats and other keys, survives extra modifiers",
         combo,
         {down(space, ctrl | opt), Wait{0.1}, down(space, ctrl | opt, true), down(keyC, ctrl | opt),
          Wait{0.1}, Reports{"B"}, flags(ctrl | opt | shift), Reports{"B"}, up(space, ctrl | opt),
          Reports{"BE"}}},
        {"bare key ends only with its own key-up",
         {0, f5},
         {down(f5, 0), Wait{0.2}, flags(ctrl), flags(0), up(keyC, 0), Reports{"B"}, up(f5, shift),
          Reports{"BE"}}},
    };
    for (const auto& [name, b, steps] : scenarios) {
        SCOPED_TRACE(name);
        monitor.stop();
        monitor.start();
        reports.clear();
        binding = b;
        run(steps);
    }
}

TEST_F(HotkeyMonitorTest, DelayIsAtLeastOneHundredthOfASecondAndReadAtEachArming) {
    for (double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), 0.6}) {
        SCOPED_TRACE(bad);
        delay = bad;
        const double full = bad == 0.6 ? 0.6 : 0.01;
        reports.clear(); // never synchronously on the press
        run({flags(ctrl), Reports{""}, Wait{full - 0.0001}, Reports{""}, Wait{0.0001}, Reports{"B"},
             flags(0)});
    }
}

TEST_F(HotkeyMonitorTest, WhatIsHandledBeforeThePostedTimerTaskWins) {
    const std::tuple<const char*, std::function<void()>, std::string, bool> cases[] = {
        {"nothing", [] {}, "B", true},
        {"release", [&] { keys.flags(0); }, "", false},
        {"cancel", [&] { monitor.cancelHoldSession(); }, "", true},
        {"stop", [&] { monitor.stop(); }, "", false},
        // Released and pressed again: the stale task must not start the new arming's hold.
        {"release and press", [&] { keys.flags(0), keys.flags(ctrl); }, "", true},
    };
    for (const auto& [name, between, expected, downAfter] : cases) {
        SCOPED_TRACE(name);
        reports.clear();
        monitor.start();
        keys.flags(ctrl);
        std::vector<std::function<void()>> held;
        loop.held = &held;
        wait(0.2);
        ASSERT_EQ(held.size(), 1u);
        between();
        loop.held = nullptr;
        for (auto& task : held)
            task();
        EXPECT_EQ(reports, expected);
        EXPECT_EQ(monitor.isTriggerDown(), downAfter);
        wait(0.19);
        EXPECT_EQ(reports, expected);
        keys.flags(0);
    }
}

TEST_F(HotkeyMonitorTest, CancelLatchesUntilReleaseAndStopForgetsThePress) {
    keys.flags(ctrl);
    wait(0.2);
    monitor.cancelHoldSession();
    // Still down: cannot arm again; its release reports nothing; then all is normal.
    run({flags(ctrl), Wait{1}, flags(0), Reports{"B"}, flags(ctrl), Wait{0.2}, flags(0),
         Reports{"BBE"}});

    keys.flags(ctrl);
    wait(0.2);
    monitor.stop(); // ends the hold silently
    run({flags(0), flags(ctrl), Wait{1}, Reports{"BBEB"}});
    EXPECT_FALSE(keys.hasSubscriber());
    monitor.start();
    run({flags(ctrl), Wait{0.2}, flags(0), Reports{"BBEBBE"}});
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
}

TEST(HotkeyMonitorLifetime, NothingFiresAfterDestruction) {
    HoldingRunLoop loop;
    test::FakeKeySource keys;
    std::vector<std::function<void()>> held;
    int began = 0;
    {
        HotkeyMonitor monitor(keys, loop);
        monitor.setOnHoldBegan([&] { ++began; });
        monitor.start(); // no providers: Control alone, 0.2 s
        keys.flags(ctrl);
        loop.held = &held;
        loop.clock.advance(Seconds(0.2)); // fired; its task is queued when the monitor goes away
        ASSERT_EQ(held.size(), 1u);
    }
    EXPECT_FALSE(keys.hasSubscriber());
    held.front()();
    EXPECT_EQ(began, 0);
}
