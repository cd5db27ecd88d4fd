// What the settings window says for each state, and that it says it through
// the translator.
#include "core/base/localization.h"
#include "core/settings/settings_texts.h"

#include <gtest/gtest.h>

using namespace vx;

namespace {

TEST(SettingsTexts, HoldDelayReadsInMillisecondsBelowOneSecond) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0.2, "200 ms"},    {0.05, "50 ms"},   {0.0504, "50 ms"},
        {0.0505, "51 ms"},  {0.999, "999 ms"}, {0.9994, "999 ms"},
        {0.9995, "1.00 s"}, {1.0, "1.00 s"},   {0.15000000000000002, "150 ms"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings_text::holdDelay(c.seconds), c.text) << c.seconds;
}

TEST(SettingsTexts, VersionShowsADifferingBuildOnly) {
    EXPECT_EQ(settings_text::version("1.2", "7"), "v1.2 (7)");
    EXPECT_EQ(settings_text::version("1.2", "1.2"), "v1.2");
    EXPECT_EQ(settings_text::version("1.2", std::nullopt), "v1.2");
    EXPECT_EQ(settings_text::version(std::nullopt, std::nullopt), "v1.0.0");
    EXPECT_EQ(settings_text::version(std::nullopt, "9"), "v1.0.0 (9)");
    EXPECT_EQ(settings_text::version(std::nullopt, "1.0.0"), "v1.0.0");
}

TEST(SettingsTexts, HotkeyCardFollowsTheBinding) {
    EXPECT_EQ(settings_text::hotkeySubtitle("\u2303"),
              "Hold \u2303 for the menu \u00b7 click center icon to maximize");
    EXPECT_EQ(settings_text::hotkeyHint(HotkeyBinding::defaultBinding()),
              "Single modifier: click the field, press the key, then release with no other key "
              "to record. Esc cancels.");
    EXPECT_EQ(settings_text::hotkeyHint({modifier::control | modifier::option, 49}),
              "Combo recorded. Click the field again to re-record a new shortcut.");
    EXPECT_EQ(settings_text::hotkeyHint({0, 96}),
              "Combo recorded. Click the field again to re-record a new shortcut.");
}

TEST(SettingsTexts, ResetIsOfferedForEveryBindingButControlAlone) {
    EXPECT_FALSE(RecorderLook::showsReset(HotkeyBinding::defaultBinding()));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::option, std::nullopt}));
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control, 49}));
    // Caps Lock makes a different binding, so Reset is offered for it.
    EXPECT_TRUE(RecorderLook::showsReset({modifier::control | modifier::capsLock, std::nullopt}));
}

TEST(SettingsTexts, EveryTextGoesThroughTheTranslator) {
    installTranslator([](std::string_view english) -> std::string {
        if (english == "Hold %1 for the menu · click center icon to maximize")
            return "Halte %1 gedrückt";
        if (english == "%1 ms")
            return "%1 Millisekunden";
        if (english == "Recording… (Esc cancel)")
            return "Aufnahme…";
        return {};
    });
    EXPECT_EQ(settings_text::hotkeySubtitle("\u2303"), "Halte \u2303 gedrückt");
    EXPECT_EQ(settings_text::holdDelay(0.2), "200 Millisekunden");
    EXPECT_EQ(RecorderLook::forState(true, "").text, "Aufnahme…");
    EXPECT_EQ(settings_text::quit(), "Quit"); // untranslated stays English
    installTranslator({});
}

} // namespace
