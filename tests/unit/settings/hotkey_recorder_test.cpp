// The trigger recorder: what each sequence of key events records (the keys it
// swallows are the settings window's tests, where the program's copies arrive).
#include "settings_fakes.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace vx;
using namespace vx::testing;

namespace {

constexpr ModifierFlags ctrl = modifier::control, opt = modifier::option, shift = modifier::shift,
                        caps = modifier::capsLock;
constexpr KeyCode space = 49, capsKey = 57;

// A step: a key down ('d'), auto-repeat ('r'), flags change ('f') or a click ('c').
struct Step {
    char kind;
    ModifierFlags modifiers = 0;
    KeyCode code = 0;
};
using B = HotkeyBinding;

} // namespace

TEST(HotkeyRecorder, StateTable) {
    const struct {
        const char* name;
        std::vector<Step> steps; // after the first click
        std::optional<HotkeyBinding> recorded;
        bool stillRecording = false;
    } cases[] = {
        {"control alone", {{'f', ctrl}, {'f', 0}}, B{ctrl, {}}},
        {"peak kept", {{'f', opt}, {'f', opt | shift}, {'f', opt}, {'f', 0}}, B{opt | shift, {}}},
        {"second click cancels", {{'f', ctrl}, {'c'}}, {}},
        {"caps lock alone", {{'d', caps, capsKey}, {'f', caps}, {'f', 0}}, {}, true},
        {"caps not in a combo", {{'f', caps | ctrl}, {'d', caps | ctrl, space}}, B{ctrl, space}},
        {"auto-repeat ignored", {{'r', 0, space}}, {}, true},
        {"idle hears nothing", {{'c'}, {'f', ctrl}, {'f', 0}, {'d', 0, space}}, {}},
        {"modifiers now", {{'f', ctrl | shift}, {'f', ctrl}, {'d', ctrl, space}}, B{ctrl, space}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeKeySource keys;
        FakeBindingTarget target;
        auto recorder = std::make_unique<HotkeyRecorderControl>(keys, target);
        recorder->toggleRecording();
        for (const auto& s : c.steps) {
            if (s.kind == 'c')
                recorder->toggleRecording();
            else if (s.kind == 'f')
                keys.flags(s.modifiers);
            else
                keys.down(s.code, s.modifiers, s.kind == 'r');
        }
        EXPECT_EQ(target.writes,
                  c.recorded ? std::vector{*c.recorded} : std::vector<HotkeyBinding>{});
        EXPECT_EQ(recorder->isRecording().get(), c.stillRecording);
        recorder.reset(); // closed mid-recording, it stops listening
        EXPECT_FALSE(keys.hasSubscriber());
    }
}
