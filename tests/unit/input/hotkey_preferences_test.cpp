// The trigger's settings: what a store of any age and state loads as, what each
// change writes, and that a store that cannot keep a change does not lose it.
#include "core/input/hotkey_preferences.h"
#include "fakes/in_memory_defaults_store.h"
#include "fakes/log_capture.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace vx;
using vx::test::InMemoryDefaultsStore;

namespace {
const HotkeyBinding defaultTrigger = HotkeyBinding::defaultBinding();
} // namespace

TEST(HotkeyPreferences, BindingFallsBackThroughTheEarlierSetting) {
    struct Case {
        std::optional<std::string> bindingJSON, legacy;
        HotkeyBinding expected;
        bool migrates, damaged = false;
    };
    const Case cases[] = {
        {{}, {}, defaultTrigger, false},
        {{}, "option", {modifier::option, {}}, true},
        {{}, "Option", defaultTrigger, false}, // names are exact
        {R"({"modifiersRaw":786432,"keyCode":49})", "option", {0xC0000, 49}, false},
        {R"({"modifiersRaw":65536})", "command", {modifier::command, {}}, true}, // Caps Lock only
        {R"({"modifiersRaw":0})", {}, defaultTrigger, false},
        {"{\"modifiersRaw\":", "shift", {modifier::shift, {}}, true, true},
        {R"({"modifiersRaw":0,"keyCode":96})", {}, {0, 96}, false}, // a bare key is usable
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bindingJSON.value_or("-") + " / " + c.legacy.value_or("-"));
        InMemoryDefaultsStore store;
        if (c.bindingJSON)
            store.values["hotkey.binding"] = Bytes(c.bindingJSON->begin(), c.bindingJSON->end());
        if (c.legacy)
            store.values["hotkey.triggerModifier"] = *c.legacy;
        HotkeyPreferences prefs(store);
        EXPECT_EQ(prefs.binding(), c.expected);
        EXPECT_EQ(store.unreadable.size(), c.damaged ? 1u : 0u);
        EXPECT_EQ(store.writes, c.migrates ? std::vector<std::string>{"hotkey.binding"}
                                           : std::vector<std::string>{});
        if (c.migrates) {
            const std::string json = encodeJSON(c.expected);
            EXPECT_EQ(store.data("hotkey.binding"), Bytes(json.begin(), json.end()));
            EXPECT_TRUE(store.hasObject("hotkey.triggerModifier")); // never removed
        }
    }
}

TEST(HotkeyPreferences, ChangesWriteOnlyWhenTheyChangeSomethingAndTheDelayIsClamped) {
    InMemoryDefaultsStore store;
    store.values["hotkey.holdDelay"] = 5.0;
    HotkeyPreferences prefs(store);
    EXPECT_EQ(prefs.holdDelay(), 1.0); // clamped on read, without rewriting the file
    EXPECT_TRUE(store.writes.empty());
    int bindings = 0;
    auto watch = prefs.observeBinding([&](const HotkeyBinding&) { ++bindings; });
    for (double d : {0.5, 0.5, 2.0, std::numeric_limits<double>::quiet_NaN()})
        prefs.setHoldDelay(d);
    EXPECT_EQ(store.writes.size(), 3u);
    EXPECT_EQ(store.doubleValue("hotkey.holdDelay"), 0.05);
    const HotkeyBinding combo{modifier::control | modifier::option, 49};
    for (const HotkeyBinding& b :
         {defaultTrigger, combo, combo, {combo.modifiersRaw | modifier::capsLock, 49}})
        prefs.setBinding(b);
    EXPECT_EQ(bindings, 2);
    EXPECT_EQ(HotkeyPreferences(store).binding(), prefs.binding());
}

TEST(HotkeyPreferences, FailedWriteKeepsTheChangeAndIsLogged) {
    test::LogCapture log;
    InMemoryDefaultsStore store;
    store.values["hotkey.triggerModifier"] = std::string("command");
    store.failWrites = true;
    HotkeyPreferences prefs(store); // the migration's write fails too
    EXPECT_EQ(prefs.binding(), HotkeyBinding({modifier::command, {}}));
    prefs.setBinding({0, 96});
    prefs.setHoldDelay(0.7);
    EXPECT_EQ(prefs.holdDelay(), 0.7);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_NE(log.lines[2].find("hotkey.holdDelay: disk full"), std::string::npos) << log.lines[2];
}
