// The trigger's settings: what a store of any age and state loads as, what each
// change writes, and that a store that cannot keep a change does not lose it.
#include "core/input/hotkey_preferences.h"
#include "fakes/in_memory_defaults_store.h"
#include "fakes/log_capture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace vx;
using vx::test::InMemoryDefaultsStore;
using vx::test::LogCapture;

namespace {

const HotkeyBinding controlAlone = HotkeyBinding::defaultBinding();

} // namespace

TEST(HotkeyPreferencesLoading, BindingFallsBackThroughTheEarlierSetting) {
    struct Case {
        const char* name;
        std::optional<std::string> bindingJSON;
        std::optional<std::string> legacy;
        HotkeyBinding expected;
        bool migrates;
        bool damaged = false;
    };
    const Case cases[] = {
        {"empty store", {}, {}, controlAlone, false},
        {"earlier option", {}, "option", {modifier::option, {}}, true},
        {"earlier shift", {}, "shift", {modifier::shift, {}}, true},
        {"earlier command", {}, "command", {modifier::command, {}}, true},
        {"earlier unknown name", {}, "fn", controlAlone, false},
        {"earlier name in capitals", {}, "Option", controlAlone, false},
        {"stored wins",
         R"({"modifiersRaw":786432,"keyCode":49})",
         "option",
         {modifier::control | modifier::option, 49},
         false},
        {"caps lock only is unusable",
         R"({"modifiersRaw":65536})",
         "command",
         {modifier::command, {}},
         true},
        {"empty binding, no earlier", R"({"modifiersRaw":0})", {}, controlAlone, false},
        {"undecodable", "{\"modifiersRaw\":", "shift", {modifier::shift, {}}, true, true},
        {"bare key is usable", R"({"modifiersRaw":0,"keyCode":96})", {}, {0, 96}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InMemoryDefaultsStore store;
        if (c.bindingJSON)
            store.values["hotkey.binding"] = InMemoryDefaultsStore::bytes(*c.bindingJSON);
        if (c.legacy)
            store.values["hotkey.triggerModifier"] = *c.legacy;
        HotkeyPreferences prefs(store);
        EXPECT_EQ(prefs.binding(), c.expected);
        EXPECT_EQ(prefs.holdDelay(), 0.2);
        EXPECT_EQ(store.unreadable.size(), c.damaged ? 1u : 0u);
        if (c.migrates) {
            EXPECT_EQ(store.writes, std::vector<std::string>{"hotkey.binding"});
            EXPECT_EQ(decodeJSON(store.text("hotkey.binding")), c.expected);
            EXPECT_TRUE(store.hasObject("hotkey.triggerModifier")); // never removed
        } else {
            EXPECT_TRUE(store.writes.empty());
            if (c.bindingJSON) { // undecodable data is left for the user's next change
                EXPECT_EQ(store.text("hotkey.binding"), *c.bindingJSON);
            }
        }
    }
}

TEST(HotkeyPreferencesLoading, WrongTypesReadAsAbsentAndDelayIsClamped) {
    struct Case {
        InMemoryDefaultsStore::Value stored;
        double expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {{0.0, 0.05},
                          {5.0, 1.0},
                          {0.05, 0.05},
                          {1.0, 1.0},
                          {0.35, 0.35},
                          {-3.0, 0.05},
                          {nan, 0.05},
                          {inf, 1.0},
                          {std::string("fast"), 0.05}, // unreadable as a number reads as 0
                          {InMemoryDefaultsStore::bytes("0.4"), 0.05}};
    for (const auto& c : cases) {
        InMemoryDefaultsStore store;
        store.values["hotkey.holdDelay"] = c.stored;
        store.values["hotkey.binding"] = 3.0; // a number where bytes belong
        HotkeyPreferences prefs(store);
        EXPECT_EQ(prefs.holdDelay(), c.expected);
        EXPECT_EQ(prefs.binding(), controlAlone);
        EXPECT_TRUE(store.writes.empty()); // the clamped value is not written back
    }
}

TEST(HotkeyPreferencesChanges, HoldDelayNotifiesThenClampsAndWritesOnlyChanges) {
    InMemoryDefaultsStore store;
    HotkeyPreferences prefs(store);
    std::vector<double> seen;
    auto sub = prefs.observeHoldDelay([&](double v) { seen.push_back(v); });

    prefs.setHoldDelay(0.5);
    prefs.setHoldDelay(0.5); // same value: nothing
    prefs.setHoldDelay(2.0);
    prefs.setHoldDelay(-1.0);
    prefs.setHoldDelay(0.05); // equal to the clamped value already held
    EXPECT_EQ(seen, (std::vector<double>{0.5, 2.0, 1.0, -1.0, 0.05}));
    EXPECT_EQ(store.writes.size(), 3u);
    EXPECT_EQ(store.doubleValue("hotkey.holdDelay"), 0.05);

    seen.clear();
    prefs.setHoldDelay(0.3);
    prefs.setHoldDelay(std::numeric_limits<double>::quiet_NaN());
    prefs.setHoldDelay(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(seen, (std::vector<double>{0.3, 0.05}));
    EXPECT_EQ(prefs.holdDelay(), 0.05);
    EXPECT_EQ(store.doubleValue("hotkey.holdDelay"), 0.05);
    EXPECT_EQ(store.writes.size(), 5u);
}

TEST(HotkeyPreferencesChanges, BindingWritesItsJSONOnlyWhenItChanges) {
    InMemoryDefaultsStore store;
    HotkeyPreferences prefs(store);
    int notified = 0;
    auto sub = prefs.observeBinding([&](const HotkeyBinding&) { ++notified; });

    prefs.setBinding(controlAlone);
    EXPECT_TRUE(store.writes.empty());
    const HotkeyBinding combo{modifier::control | modifier::option, 49};
    prefs.setBinding(combo);
    prefs.setBinding(combo);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(store.text("hotkey.binding"), R"({"modifiersRaw":786432,"keyCode":49})");
    // Caps Lock makes a different binding, so it is written even though it matches alike.
    prefs.setBinding({combo.modifiersRaw | modifier::capsLock, 49});
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(store.writes.size(), 2u);

    HotkeyPreferences reloaded(store);
    EXPECT_EQ(reloaded.binding(), prefs.binding());
}

TEST(HotkeyPreferencesChanges, FailedWriteKeepsTheChangeAndIsLogged) {
    LogCapture log;
    InMemoryDefaultsStore store;
    store.values["hotkey.triggerModifier"] = std::string("command");
    store.failWrites = true;
    HotkeyPreferences prefs(store);
    EXPECT_EQ(prefs.binding(), HotkeyBinding({modifier::command, {}}));
    prefs.setBinding({0, 96});
    prefs.setHoldDelay(0.7);
    EXPECT_EQ(prefs.binding(), HotkeyBinding({0, 96}));
    EXPECT_EQ(prefs.holdDelay(), 0.7);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_NE(log.lines[0].find("hotkey.binding"), std::string::npos);
    EXPECT_NE(log.lines[2].find("hotkey.holdDelay"), std::string::npos);
    EXPECT_NE(log.lines[2].find("disk full"), std::string::npos);
}
