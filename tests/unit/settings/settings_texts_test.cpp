// What the settings window says for each state, and that it says it through
// the translator.
#include "core/base/localization.h"
#include "core/settings/settings_texts.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(SettingsTexts, HoldDelayAndVersionRead) {
    const std::pair<double, const char*> delays[] = {
        {0.05, "50 ms"},    {0.0504, "50 ms"},  {0.0505, "51 ms"},
        {0.9994, "999 ms"}, {0.9995, "1.00 s"}, {0.15000000000000002, "150 ms"},
    };
    for (const auto& [seconds, text] : delays)
        EXPECT_EQ(settings_text::holdDelay(seconds), text) << seconds;
    EXPECT_EQ(settings_text::version("1.2", "7"), "v1.2 (7)");
    EXPECT_EQ(settings_text::version("1.2", "1.2"), "v1.2");
    EXPECT_EQ(settings_text::version(std::nullopt, "9"), "v1.0.0 (9)");
    // Reset is offered for every binding but Control alone, Caps Lock included.
    EXPECT_FALSE(RecorderLook::showsReset(HotkeyBinding::defaultBinding()));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control | modifier::capsLock, std::nullopt}));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control, 49}));
}

TEST(SettingsTexts, EveryTextGoesThroughTheTranslator) {
    installTranslator([](std::string_view english) -> std::string {
        if (english == "%1 ms")
            return "%1 Millisekunden";
        if (english == "Recording… (Esc cancel)")
            return "Aufnahme…";
        return {};
    });
    EXPECT_EQ(settings_text::holdDelay(0.2), "200 Millisekunden");
    EXPECT_EQ(RecorderLook::forState(true, "").text, "Aufnahme…");
    EXPECT_EQ(settings_text::quit(), "Quit"); // untranslated stays English
    installTranslator({});
}
