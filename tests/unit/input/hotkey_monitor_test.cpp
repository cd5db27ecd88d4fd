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
#include <vector>

using namespace vx;
using namespace std::chrono_literals;
using vx::test::FakeKeySource;

namespace {

constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        cmd = modifier::command;
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
        auto tasks = std::exchange(held, {});
        for (auto& task : tasks)
            task();
    }
};

class HotkeyMonitorTest : public ::testing::Test {
protected:
    HoldingRunLoop loop;
    FakeKeySource keys;
    HotkeyMonitor monitor{keys, loop};
    HotkeyBinding binding = HotkeyBinding::defaultBinding();
    double delay = 0.2;
    std::string reports; // "B" per hold began, "E" per hold ended

    void SetUp() override {
        monitor.setBindingProvider([this] { return binding; });
        monitor.setHoldDelayProvider([this] { return delay; });
        monitor.setOnHoldBegan([this] { reports += "B"; });
        monitor.setOnHoldEnded([this] { reports += "E"; });
        monitor.start();
    }
    void wait(double seconds) { loop.clock.advance(Seconds(seconds)); }
};

} // namespace

TEST_F(HotkeyMonitorTest, LoneControlBeginsAfterTheDelayAndShortPressesReportNothing) {
    keys.flags(ctrl);
    wait(0.1);
    keys.flags(0);
    wait(0.5);
    EXPECT_EQ(reports, "");

    keys.flags(ctrl);
    wait(0.199);
    EXPECT_EQ(reports, "");
    wait(0.001);
    EXPECT_EQ(reports, "B");
    wait(0.1);
    keys.flags(0);
    EXPECT_EQ(reports, "BE");
    EXPECT_FALSE(monitor.isTriggerDown());
    EXPECT_EQ(loop.clock.activeTimerCount(), 0);
}

TEST_F(HotkeyMonitorTest, ExtraModifierCancelsArmingAndLettingGoReArms) {
    keys.flags(ctrl);
    wait(0.1);
    keys.flags(ctrl | shift); // not exactly the binding: the pending hold is off
    wait(0.3);
    EXPECT_EQ(reports, "");
    keys.flags(ctrl); // exact set again: a fresh full delay
    wait(0.19);
    EXPECT_EQ(reports, "");
    wait(0.01);
    EXPECT_EQ(reports, "B");

    // During a hold, shift down and up changes nothing; the release ends it once.
    keys.flags(ctrl | shift);
    keys.flags(ctrl);
    wait(1);
    keys.flags(0);
    EXPECT_EQ(reports, "BE");
}

TEST_F(HotkeyMonitorTest, LoneModifierIgnoresKeysAndCapsLock) {
    keys.flags(ctrl | modifier::capsLock | 0x100); // bits outside the four never count
    wait(0.05);
    keys.down(keyC, ctrl);
    keys.up(keyC, ctrl);
    wait(0.2);
    EXPECT_EQ(reports, "B");
    keys.down(keyC, 0); // a key event with no modifiers is not a release either
    EXPECT_EQ(reports, "B");
    keys.flags(modifier::capsLock);
    EXPECT_EQ(reports, "BE");
}

TEST_F(HotkeyMonitorTest, MultiModifierBindingHoldsWhileAnyOfItsModifiersIsDown) {
    binding = {ctrl | opt, std::nullopt};
    keys.flags(ctrl);
    wait(0.5);
    EXPECT_FALSE(monitor.isTriggerDown());
    keys.flags(ctrl | opt);
    wait(0.2);
    EXPECT_EQ(reports, "B");
    keys.flags(ctrl); // option released alone: the hold continues
    wait(0.5);
    EXPECT_EQ(reports, "B");
    keys.flags(0);
    EXPECT_EQ(reports, "BE");

    // Armed, then one of the two let go: no hold, and no report on release.
    keys.flags(ctrl | opt);
    wait(0.1);
    keys.flags(opt);
    wait(0.5);
    keys.flags(0);
    EXPECT_EQ(reports, "BE");
}

TEST_F(HotkeyMonitorTest, ComboNeedsExactModifiersAndIgnoresRepeats) {
    binding = {ctrl | opt, space};
    keys.down(space, ctrl | opt | shift); // extra modifier prevents the trigger
    keys.down(space, ctrl);
    keys.down(keyC, ctrl | opt);
    wait(0.5);
    EXPECT_FALSE(monitor.isTriggerDown());

    keys.down(space, ctrl | opt | modifier::capsLock);
    wait(0.1);
    keys.down(space, ctrl | opt, /*isRepeat=*/true); // auto-repeat restarts nothing
    keys.down(keyC, ctrl | opt);                     // other keys never cancel
    wait(0.1);
    EXPECT_EQ(reports, "B");
    keys.flags(ctrl | opt | shift); // extra modifier during the hold: still held
    keys.up(keyC, ctrl | opt | shift);
    EXPECT_EQ(reports, "B");
    keys.flags(ctrl); // option released: the hold ends
    EXPECT_EQ(reports, "BE");
    keys.up(space, ctrl); // the key's own release after that: nothing more
    EXPECT_EQ(reports, "BE");

    keys.down(space, ctrl | opt);
    wait(0.3);
    keys.up(space, ctrl | opt);
    EXPECT_EQ(reports, "BEBE");
}

TEST_F(HotkeyMonitorTest, BareKeyEndsOnlyWithItsOwnKeyUp) {
    binding = {0, f5};
    keys.down(f5, 0);
    wait(0.2);
    keys.flags(ctrl);
    keys.flags(0);
    keys.flags(shift | cmd);
    EXPECT_EQ(reports, "B");
    keys.up(keyC, 0);
    EXPECT_EQ(reports, "B");
    keys.up(f5, shift | cmd);
    EXPECT_EQ(reports, "BE");
}

TEST_F(HotkeyMonitorTest, DelayIsAtLeastOneHundredthOfASecond) {
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
    // The provider is asked at each arming, so a changed setting applies at once.
    delay = 0.6;
    reports.clear();
    keys.flags(ctrl);
    wait(0.5);
    EXPECT_EQ(reports, "");
    wait(0.1);
    EXPECT_EQ(reports, "B");
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
    // The re-armed press of the last case would have begun at its own 0.2 s.
    keys.flags(ctrl);
    wait(0.2);
    EXPECT_EQ(reports, "B");
}

TEST_F(HotkeyMonitorTest, CancelHoldSessionLatchesUntilRelease) {
    keys.flags(ctrl);
    wait(0.2);
    monitor.cancelHoldSession();
    EXPECT_TRUE(monitor.isTriggerDown());
    keys.flags(ctrl); // still down: cannot arm again
    wait(1);
    keys.flags(0);
    EXPECT_EQ(reports, "B"); // no end reported for a cancelled hold
    keys.flags(ctrl);
    wait(0.2);
    keys.flags(0);
    EXPECT_EQ(reports, "BBE");

    // Latched, a changed set with a binding modifier still held also clears it.
    keys.flags(ctrl);
    wait(0.2);
    monitor.cancelHoldSession();
    keys.flags(ctrl | shift);
    EXPECT_FALSE(monitor.isTriggerDown());
    keys.flags(ctrl);
    wait(0.2);
    EXPECT_EQ(reports, "BBEBB");
}

TEST_F(HotkeyMonitorTest, StopEndsEverythingSilentlyAndStartReplacesTheSubscription) {
    keys.flags(ctrl);
    wait(0.2);
    monitor.stop();
    keys.flags(0);
    keys.flags(ctrl);
    wait(1);
    EXPECT_EQ(reports, "B");
    EXPECT_EQ(keys.subscriberCount(), 0u);

    monitor.start();
    monitor.start();
    EXPECT_EQ(keys.subscriberCount(), 1u);
    keys.flags(ctrl); // the earlier press was forgotten by stop: this one arms
    wait(0.2);
    keys.flags(0);
    EXPECT_EQ(reports, "BBE");
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
    EXPECT_EQ(keys.subscriberCount(), 0u);
    loop.runHeld();
    keys.flags(0);
    EXPECT_EQ(began, 1);
}
