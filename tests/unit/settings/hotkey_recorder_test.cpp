// The recorder's state table: what each sequence of key events records, and
// which keys the application must swallow on the way.
#include "settings_fakes.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace vx;
using namespace vx::testing;

namespace {

constexpr ModifierFlags ctrl = modifier::control;
constexpr ModifierFlags opt = modifier::option;
constexpr ModifierFlags shift = modifier::shift;
constexpr ModifierFlags cmd = modifier::command;
constexpr ModifierFlags caps = modifier::capsLock;
constexpr KeyCode space = 49, escape = 53, f5 = 96, leftControl = 59, leftShift = 56, capsKey = 57;

struct Step {
    enum Kind { down, repeat, up, flags, click } kind;
    KeyCode code = 0;
    ModifierFlags modifiers = 0;
};
Step down(KeyCode c, ModifierFlags m = 0) {
    return {Step::down, c, m};
}
Step repeat(KeyCode c, ModifierFlags m = 0) {
    return {Step::repeat, c, m};
}
Step up(KeyCode c, ModifierFlags m = 0) {
    return {Step::up, c, m};
}
Step flags(ModifierFlags m) {
    return {Step::flags, 0, m};
}
Step click() {
    return {Step::click};
}

struct Case {
    std::string name;
    std::vector<Step> steps; // after the first click
    std::optional<HotkeyBinding> recorded;
    bool stillRecording;
};

class RecorderTable : public ::testing::TestWithParam<Case> {};

TEST_P(RecorderTable, RecordsWhatWasPressed) {
    FakeKeySource keys;
    FakeBindingTarget target;
    target.value = {opt | cmd, 0}; // something that is neither default nor recorded below
    HotkeyRecorderControl recorder(keys, target);
    recorder.toggleRecording();
    ASSERT_TRUE(recorder.isRecording().get());

    for (const auto& step : GetParam().steps) {
        switch (step.kind) {
        case Step::down:
            keys.down(step.code, step.modifiers);
            break;
        case Step::repeat:
            keys.down(step.code, step.modifiers, true);
            break;
        case Step::up:
            keys.up(step.code, step.modifiers);
            break;
        case Step::flags:
            keys.flags(step.modifiers);
            break;
        case Step::click:
            recorder.toggleRecording();
            break;
        }
    }
    if (GetParam().recorded) {
        ASSERT_EQ(target.writes.size(), 1u);
        EXPECT_EQ(target.writes.front(), *GetParam().recorded);
    } else {
        EXPECT_TRUE(target.writes.empty());
    }
    EXPECT_EQ(recorder.isRecording().get(), GetParam().stillRecording);
}

INSTANTIATE_TEST_SUITE_P(
    StateTable, RecorderTable,
    ::testing::Values(Case{"ControlPressedAndReleasedAlone",
                           {flags(ctrl), flags(0)},
                           HotkeyBinding{ctrl, std::nullopt},
                           false},
                      Case{"ControlHeldThenSpaceRecordsComboAndIgnoresLaterRelease",
                           {flags(ctrl), down(space, ctrl), up(space, ctrl), flags(0)},
                           HotkeyBinding{ctrl, space},
                           false},
                      Case{"PeakOfOptionAndShiftSurvivesReleasingOneFirst",
                           {flags(opt), flags(opt | shift), flags(opt), flags(0)},
                           HotkeyBinding{opt | shift, std::nullopt},
                           false},
                      Case{"BareFunctionKey", {down(f5)}, HotkeyBinding{0, f5}, false},
                      Case{"EscapeCancels", {down(escape)}, std::nullopt, false},
                      Case{"EscapeWithModifiersCancelsToo",
                           {flags(ctrl), down(escape, ctrl)},
                           std::nullopt,
                           false},
                      Case{"SecondClickCancels", {flags(ctrl), click()}, std::nullopt, false},
                      Case{"CapsLockAloneRecordsNothingAndKeepsListening",
                           {down(capsKey, caps), flags(caps), flags(0)},
                           std::nullopt,
                           true},
                      Case{"CapsLockBitIsNotPartOfACombo",
                           {flags(caps | ctrl), down(space, caps | ctrl)},
                           HotkeyBinding{ctrl, space},
                           false},
                      Case{"ModifierKeyDownsAreNotKeys",
                           {down(leftControl, ctrl), down(leftShift, ctrl | shift)},
                           std::nullopt,
                           true},
                      Case{"AutoRepeatIsIgnored", {repeat(space)}, std::nullopt, true},
                      Case{"ComboUsesModifiersHeldAtThatMomentNotThePeak",
                           {flags(ctrl | shift), flags(ctrl), down(space, ctrl)},
                           HotkeyBinding{ctrl, space},
                           false},
                      Case{"AllFourModifiersInAnyOrder",
                           {flags(cmd), flags(cmd | shift), flags(cmd | shift | opt),
                            flags(cmd | shift | opt | ctrl), flags(0)},
                           HotkeyBinding{ctrl | opt | shift | cmd, std::nullopt},
                           false}),
    [](const auto& param) { return param.param.name; });

TEST(HotkeyRecorder, HearsNothingWhileIdleAndResetRestoresControlAlone) {
    FakeKeySource keys;
    FakeBindingTarget target;
    target.value = {opt, space};
    HotkeyRecorderControl recorder(keys, target);

    keys.flags(ctrl);
    keys.flags(0);
    keys.down(space, 0);
    EXPECT_TRUE(target.writes.empty());
    EXPECT_FALSE(recorder.isSwallowingKeys());

    recorder.startRecording();
    keys.flags(shift);
    recorder.reset();
    EXPECT_FALSE(recorder.isRecording().get());
    ASSERT_EQ(target.writes.size(), 1u);
    EXPECT_EQ(target.writes.back(), HotkeyBinding::defaultBinding());
    keys.flags(0); // the shift release after reset must not record shift
    EXPECT_EQ(target.writes.size(), 1u);
}

TEST(HotkeyRecorder, ARestartForgetsModifiersOfTheAbandonedRecording) {
    FakeKeySource keys;
    FakeBindingTarget target;
    HotkeyRecorderControl recorder(keys, target);
    recorder.startRecording();
    keys.flags(shift);
    recorder.startRecording();
    keys.flags(ctrl);
    keys.flags(0);
    ASSERT_EQ(target.writes.size(), 1u);
    EXPECT_EQ(target.writes.back(), (HotkeyBinding{ctrl, std::nullopt}));
}

TEST(HotkeyRecorder, SwallowsTheEndingKeyUntilItIsReleased) {
    FakeKeySource keys;
    FakeBindingTarget target;
    HotkeyRecorderControl recorder(keys, target);

    recorder.startRecording();
    EXPECT_TRUE(recorder.isSwallowingKeys());
    EXPECT_EQ(recorder.onKeyDown({KeyEvent::Type::keyDown, leftControl, ctrl, false}),
              HotkeyRecorderControl::Disposition::pass);
    EXPECT_EQ(recorder.onKeyDown({KeyEvent::Type::keyDown, space, ctrl, false}),
              HotkeyRecorderControl::Disposition::consume);
    EXPECT_FALSE(recorder.isRecording().get());
    EXPECT_TRUE(recorder.isSwallowingKeys()); // the application's copy of Space may still come
    keys.up(f5, 0);
    EXPECT_TRUE(recorder.isSwallowingKeys());
    keys.up(space, ctrl);
    EXPECT_FALSE(recorder.isSwallowingKeys());

    recorder.startRecording();
    keys.down(escape, 0);
    EXPECT_FALSE(recorder.isRecording().get());
    EXPECT_TRUE(recorder.isSwallowingKeys()); // so the window does not close as well
    keys.up(escape, 0);
    EXPECT_FALSE(recorder.isSwallowingKeys());
}

TEST(HotkeyRecorder, StopsListeningWhenDestroyed) {
    FakeKeySource keys;
    FakeBindingTarget target;
    {
        HotkeyRecorderControl recorder(keys, target);
        recorder.startRecording();
    }
    EXPECT_EQ(keys.subscriberCount(), 0u);
    keys.down(space, 0); // must not reach freed memory
    EXPECT_TRUE(target.writes.empty());
}

} // namespace
