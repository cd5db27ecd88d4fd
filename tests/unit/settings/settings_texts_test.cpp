// What the settings window says for the hold delay, the version, the Reset
// button and the recorder's hint, at the edges where rounding and Caps Lock
// could fool it.
#include "core/settings/settings_texts.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(SettingsTexts, HoldDelayVersionAndResetRead) {
    const std::pair<double, const char*> delays[] = {
        {0.0504, "50 ms"},
        {0.0505, "51 ms"},
        {0.9994, "999 ms"},
        {0.9995, "1.00 s"},
        {0.15000000000000002, "150 ms"},
    };
    for (const auto& [seconds, text] : delays)
        EXPECT_EQ(settings_text::holdDelay(seconds), text) << seconds;
    EXPECT_EQ(settings_text::version(std::nullopt, "9"), "v1.0.0 (9)");
    EXPECT_FALSE(RecorderLook::showsReset(HotkeyBinding::defaultBinding()));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control | modifier::capsLock, std::nullopt}));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control, 49}));
    // Only Control alone is told what it collides with.
    const auto warns = [](HotkeyBinding b) {
        return settings_text::hotkeyHint(b).find("Ctrl+wheel") != std::string::npos;
    };
    EXPECT_TRUE(warns({modifier::control | modifier::capsLock, std::nullopt}));
    EXPECT_FALSE(warns(HotkeyBinding::defaultBinding()));
    EXPECT_FALSE(warns({modifier::control, 49}));
}
