// The tray icon: seen on a dark and a light embedded tray (tint2) started
// after the program, a click opening and closing the settings; and offered to a
// StatusNotifier host on a private bus as the symbol the host recolours.
#include "program_driver.h"

#include <fstream>
#include <sstream>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

class EmbeddedTray : public ProgramTest {
protected:
    // A developer's own session bus may have a StatusNotifier host listening.
    void beforeProgram() override {
        programEnv = {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + desktop().tempDir() + "/no-bus"};
    }
    // Our one small window in the panel, once a tray took it.
    std::optional<Rect> trayIcon() {
        auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--classname", "vortaxis"});
        std::istringstream ids(found ? found->output : "");
        for (std::string id; ids >> id;)
            if (auto r = desktop().shownWindow({"-id", id});
                r && r->width() <= 64 && r->height() <= 64 && r->minY() < 32)
                return r;
        return std::nullopt;
    }
    std::optional<Rect> settingsWindow() { return desktop().shownWindow({"-name", "Vortaxis"}); }
};

TEST_F(EmbeddedTray, TheIconStandsOutOnADarkAndALightPanelAndOpensAndClosesTheSettings) {
    for (const auto& [name, colour, pixel] :
         {std::tuple{"dark", "#202124", Pixel{32, 33, 36}},
          std::tuple{"light", "#f0f0f0", Pixel{240, 240, 240}}}) {
        SCOPED_TRACE(name);
        const std::string rc = desktop().tempDir() + "/tint2rc-" + name;
        std::ofstream(rc) << "rounded = 0\nborder_width = 0\nbackground_color = " << colour
                          << " 100\nborder_color = " << colour
                          << " 100\npanel_background_id = 1\npanel_items = S\n"
                             "panel_position = top center horizontal\npanel_size = 100% 32\n"
                             "systray_icon_size = 24\n";
        auto tint2 = desktop().spawn({"tint2", "-c", rc});
        ASSERT_TRUE(tint2);
        // Docking moves the icon between windows the harness does not watch: polled.
        std::optional<Rect> icon;
        ASSERT_TRUE(pumpUntil(c(), [&] { return (icon = trayIcon()).has_value(); }))
            << "the icon never showed in the tray";
        // Most of the icon differs clearly from the panel once it is painted.
        EXPECT_TRUE(pumpUntil(c(),
                              [&] {
                                  const auto differing = ScreenShot(c()).count(
                                      *icon, [&](auto& p) { return p.distance(pixel) > 120; });
                                  return differing * 3 >= icon->width() * icon->height();
                              }))
            << "the icon at " << *icon << " is hard to see";
        if (std::string(name) == "light")
            break;
        // A click opens the settings just below the icon; a second closes them.
        auto click = [&] {
            fakeMotion(c(), static_cast<int>(icon->midX()), static_cast<int>(icon->midY()));
            fakeButton(c(), 1);
        };
        click();
        ASSERT_TRUE(desktop().waitUntil([&] { return settingsWindow().has_value(); }))
            << "a click on the icon opened nothing";
        const Rect window = *settingsWindow();
        EXPECT_GE(window.minY(), icon->maxY()) << "not below the icon: " << window;
        EXPECT_LE(window.minY(), icon->maxY() + 64) << "not next to the icon: " << window;
        click();
        EXPECT_TRUE(desktop().waitUntil([&] { return !settingsWindow(); })) << "still open";
        tint2.reset();
    }
}

// A panel's StatusNotifier host: the program registers its item with the
// watcher, by the symbolic name a host recolours.
class StatusNotifierTray : public ProgramTest {
protected:
    void beforeProgram() override {
        bus_ =
            desktop().spawn({"dbus-daemon", "--session", "--nofork", "--print-address"}, {}, true);
        const auto address = bus_ ? bus_->readLine(deadlineIn(kWait)) : std::nullopt;
        ASSERT_TRUE(address) << "no private session bus";
        busEnv_ = "DBUS_SESSION_BUS_ADDRESS=" + *address;
        watcher_ = desktop().spawn({VORTAXIS_SNI_WATCHER}, {busEnv_}, true);
        ASSERT_TRUE(watcher_);
        ASSERT_EQ(watcher_->readLine(deadlineIn(kWait)), "ready");
        // Where the installed icons would be: the source tree's data folder.
        programEnv = {busEnv_, std::string("XDG_DATA_DIRS=") + VORTAXIS_DATA_DIR + ":/usr/share"};
    }
    std::optional<Process> bus_, watcher_;
    std::string busEnv_;
};

TEST_F(StatusNotifierTray, TheItemRegistersWithTheSymbolicIcon) {
    const auto item = watcher_->readLine(deadlineIn(kWait));
    ASSERT_TRUE(item) << "no item registered";
    const auto asked = run({"dbus-send", "--session", "--print-reply",
                            "--dest=" + item->substr(0, item->find('/')), "/StatusNotifierItem",
                            "org.freedesktop.DBus.Properties.Get",
                            "string:org.kde.StatusNotifierItem", "string:IconName"},
                           {busEnv_}, deadlineIn(kWait));
    ASSERT_TRUE(asked);
    EXPECT_NE(asked->output.find("\"vortaxis-symbolic\""), std::string::npos) << asked->output;
}

} // namespace
} // namespace vx::test
#endif
