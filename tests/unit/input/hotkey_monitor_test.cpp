// Hold detection on the virtual clock: when a hold begins and ends for lone
// modifiers, combos and bare keys, and what a release, a cancellation or a stop
// does at each moment, including between the timer firing and its handling.
#include "core/base/virtual_run_loop.h"
#include "core/input/hotkey_monitor.h"
#include "fakes/fake_key_source.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <variant>
#include <vector>

using namespace vx;
using namespace std::chrono_literals;
using vx::test::FakeKeySource;

namespace {

constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        caps = modifier::capsLock;
constexpr KeyCode space = 49, keyC = 8, f5 = 96;

// The virtual clock with one more power: posted tasks can be held back, so a
// test can handle key events between a timer's firing and its posted task.
class HoldingRunLoop final : public RunLoop {
public:
    VirtualRunLoop clock;
    bool holdPosts = false;
    std::vector<std::function<void()>> held;

    void post(std::function<void()> task) override {
        if (holdPosts)
            held.push_back(std::move(task));
        else
            clock.post(std::move(task));
    }
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override {
        return clock.scheduleOnce(interval, std::move(action));
    }
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override {
        return clock.scheduleRepeating(interval, std::move(action));
    }
    TimePoint now() const override { return clock.now(); }
    void runHeld() {
        for (auto& task : std::exchange(held, {}))
            task();
    }
};

// One step of a scenario: a key event, time passing, or the reports so far
// ("B" per hold began, "E" per hold ended).
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
    FakeKeySource keys;
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
                keys.emit(*e);
            else if (auto* w = std::get_if<Wait>(&steps[i]))
                wait(w->seconds);
            else
                EXPECT_EQ(reports, std::get<Reports>(steps[i]).expected) << "at step " << i;
        }
    }
};

} // namespace

TEST_F(HotkeyMonitorTest, Scenarios) {
    struct Scenario {
        const char* name;
        HotkeyBinding binding;
        std::vector<Step> steps;
    };
    const HotkeyBinding control = HotkeyBinding::defaultBinding();
    const Scenario scenarios[] = {
        {"short press reports nothing",
         control,
         {flags(ctrl), Wait{0.1}, flags(0), Wait{0.5}, Reports{""}}},
        {"held past the delay",
         control,
         {flags(ctrl), Wait{0.199}, Reports{""}, Wait{0.001}, Reports{"B"}, Wait{0.1}, flags(0),
          Reports{"BE"}}},
        {"extra modifier cancels arming; letting it go re-arms with a full delay",
         control,
         {flags(ctrl), Wait{0.1}, flags(ctrl | shift), Wait{0.3}, flags(ctrl), Wait{0.19},
          Reports{""}, Wait{0.01}, Reports{"B"}}},
        {"extra modifier during a hold changes nothing",
         control,
         {flags(ctrl), Wait{0.2}, flags(ctrl | shift), flags(ctrl), Wait{1}, flags(0),
          Reports{"BE"}}},
        {"keys and bits outside the four do not count",
         control,
         {flags(ctrl | caps | 0x100), Wait{0.05}, down(keyC, ctrl), up(keyC, ctrl), Wait{0.15},
          down(keyC, 0), Reports{"B"}, flags(caps), Reports{"BE"}}},
        {"two modifiers: one alone arms nothing",
         {ctrl | opt, {}},
         {flags(ctrl), Wait{0.5}, flags(ctrl | opt), Wait{0.2}, Reports{"B"}, flags(ctrl),
          Wait{0.5}, Reports{"B"}, flags(0), Reports{"BE"}}},
        {"two modifiers: one let go while armed ends it silently",
         {ctrl | opt, {}},
         {flags(ctrl | opt), Wait{0.1}, flags(opt), Wait{0.5}, flags(0), Reports{""}}},
        {"combo needs exactly its modifiers",
         {ctrl | opt, space},
         {down(space, ctrl | opt | shift), down(space, ctrl), down(keyC, ctrl | opt), Wait{0.5},
          Reports{""}, down(space, ctrl | opt | caps), Wait{0.2}, Reports{"B"}}},
        {"combo ignores repeats and other keys, survives extra modifiers",
         {ctrl | opt, space},
         {down(space, ctrl | opt), Wait{0.1}, down(space, ctrl | opt, true), down(keyC, ctrl | opt),
          Wait{0.1}, Reports{"B"}, flags(ctrl | opt | shift), up(keyC, ctrl | opt | shift),
          Reports{"B"}, flags(ctrl), Reports{"BE"}, up(space, ctrl), Reports{"BE"}}},
        {"combo ends with its key",
         {ctrl | opt, space},
         {down(space, ctrl | opt), Wait{0.3}, up(space, ctrl | opt), Reports{"BE"}}},
        {"combo released before the delay",
         {ctrl | opt, space},
         {down(space, ctrl | opt), Wait{0.1}, flags(ctrl), Wait{0.5}, Reports{""}}},
        {"bare key ends only with its own key-up",
         {0, f5},
         {down(f5, 0), Wait{0.2}, flags(ctrl), flags(0), flags(shift), up(keyC, 0), Reports{"B"},
          up(f5, shift), Reports{"BE"}}},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.name);
        monitor.stop();
        monitor.start();
        reports.clear();
        binding = s.binding;
        run(s.steps);
    }
}

TEST_F(HotkeyMonitorTest, DelayIsAtLeastOneHundredthOfASecondAndReadAtEachArming) {
    for (double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(),
                       -std::numeric_limits<double>::infinity()}) {
        reports.clear();
        delay = bad;
        keys.flags(ctrl);
        loop.clock.drain();
        EXPECT_EQ(reports, "") << bad; // never synchronously on the press
        wait(0.0099);
        EXPECT_EQ(reports, "") << bad;
        wait(0.0001);
        EXPECT_EQ(reports, "B") << bad;
        keys.flags(0);
    }
    delay = 0.6;
    reports.clear();
    run({flags(ctrl), Wait{0.5}, Reports{""}, Wait{0.1}, Reports{"B"}});
}

TEST_F(HotkeyMonitorTest, WhatIsHandledBeforeThePostedTimerTaskWins) {
    struct Case {
        const char* name;
        std::function<void()> between; // after the timer fired, before its task
        std::string expected;
        bool triggerDownAfter;
    };
    const Case cases[] = {
        {"nothing", [] {}, "B", true},
        {"release", [&] { keys.flags(0); }, "", false},
        {"cancel", [&] { monitor.cancelHoldSession(); }, "", true},
        {"stop", [&] { monitor.stop(); }, "", false},
        // Released and pressed again: the new arming waits its own full delay.
        {"release and press", [&] { keys.flags(0), keys.flags(ctrl); }, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        monitor.start();
        keys.flags(ctrl);
        loop.holdPosts = true;
        wait(0.2);
        ASSERT_EQ(loop.held.size(), 1u);
        EXPECT_TRUE(monitor.isArmed()); // fired, waiting for its handling
        c.between();
        loop.holdPosts = false;
        loop.runHeld();
        EXPECT_EQ(reports, c.expected);
        EXPECT_EQ(monitor.isTriggerDown(), c.triggerDownAfter);
        wait(0.19);
        EXPECT_EQ(reports, c.expected);
        keys.flags(0);
    }
    run({flags(ctrl), Wait{0.2}, Reports{"B"}});
}

TEST_F(HotkeyMonitorTest, CancelHoldSessionLatchesUntilRelease) {
    keys.flags(ctrl);
    wait(0.2);
    monitor.cancelHoldSession();
    EXPECT_TRUE(monitor.isTriggerDown());
    // Still down: cannot arm again; its release reports nothing; then all is normal.
    run({flags(ctrl), Wait{1}, flags(0), Reports{"B"}, flags(ctrl), Wait{0.2}, flags(0),
         Reports{"BBE"}});
    // Latched, a changed set with a binding modifier still held also clears it.
    keys.flags(ctrl);
    wait(0.2);
    monitor.cancelHoldSession();
    keys.flags(ctrl | shift);
    EXPECT_FALSE(monitor.isTriggerDown());
    run({flags(ctrl), Wait{0.2}, Reports{"BBEBB"}});
}

TEST_F(HotkeyMonitorTest, StopEndsEverythingSilentlyAndStartReplacesTheSubscription) {
    keys.flags(ctrl);
    wait(0.2);
    monitor.stop();
    run({flags(0), flags(ctrl), Wait{1}, Reports{"B"}});
    EXPECT_FALSE(keys.hasSubscriber());
    monitor.start();
    EXPECT_TRUE(keys.hasSubscriber());
    // The press before stop was forgotten: this one arms.
    run({flags(ctrl), Wait{0.2}, flags(0), Reports{"BBE"}});
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
}

TEST(HotkeyMonitorLifetime, DefaultsApplyAndNothingFiresAfterDestruction) {
    HoldingRunLoop loop;
    FakeKeySource keys;
    int began = 0;
    {
        HotkeyMonitor monitor(keys, loop);
        monitor.setBindingProvider({}); // empty: Control alone, 0.2 s
        monitor.setOnHoldBegan([&] { ++began; });
        monitor.start();
        keys.flags(ctrl);
        loop.clock.advance(0.2s);
        EXPECT_EQ(began, 1);
        keys.flags(0);
        keys.flags(ctrl);
        loop.holdPosts = true;
        loop.clock.advance(0.2s); // fired; its task is queued when the monitor goes away
        ASSERT_EQ(loop.held.size(), 1u);
    }
    EXPECT_FALSE(keys.hasSubscriber());
    loop.runHeld();
    keys.flags(0);
    EXPECT_EQ(began, 1);
}
