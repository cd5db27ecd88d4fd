// The tray icon where users look for it: seen on a dark and on a light
// embedded tray (tint2), and offered to a StatusNotifier host on a private
// session bus as the one-colour symbol that the host paints in its panel's
// own text colour.
#include "program_driver.h"

#include <cstdlib>
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
    // Our one small window on screen, once a tray took it.
    std::optional<Rect> trayIcon() {
        auto found =
            desktop().tool({"xdotool", "search", "--onlyvisible", "--classname", "vortaxis"});
        std::istringstream ids(found ? found->output : "");
        for (std::string id; ids >> id;) {
            auto info = desktop().tool({"xwininfo", "-id", id});
            std::smatch m;
            const std::regex re(
                "Absolute upper-left X:\\s*(-?\\d+)[\\s\\S]*Absolute upper-left "
                "Y:\\s*(-?\\d+)[\\s\\S]*Width:\\s*(\\d+)[\\s\\S]*Height:\\s*(\\d+)");
            if (info && std::regex_search(info->output, m, re) && std::stoi(m[3]) <= 64 &&
                std::stoi(m[4]) <= 64 && std::stoi(m[2]) < 32)
                return Rect(std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]));
        }
        return std::nullopt;
    }
};

TEST_F(EmbeddedTray, TheIconStandsOutOnADarkAndOnALightPanel) {
    struct Panel {
        const char* name;
        const char* colour;
        Pixel pixel;
    };
    for (const auto& panel :
         {Panel{"dark", "#202124", {32, 33, 36}}, Panel{"light", "#f0f0f0", {240, 240, 240}}}) {
        SCOPED_TRACE(panel.name);
        const std::string rc = desktop().tempDir() + "/tint2rc-" + panel.name;
        std::ofstream(rc) << "rounded = 0\nborder_width = 0\nbackground_color = " << panel.colour
                          << " 100\nborder_color = " << panel.colour
                          << " 100\npanel_background_id = 1\npanel_items = S\n"
                             "panel_position = top center horizontal\npanel_size = 100% 32\n"
                             "systray_icon_size = 24\n";
        SpawnOptions options;
        options.env = desktop().env();
        auto tint2 = Process::spawn({"tint2", "-c", rc}, options);
        ASSERT_TRUE(tint2);
        // Docking moves the icon between windows the harness does not watch: polled.
        std::optional<Rect> icon;
        ASSERT_TRUE(pumpUntil(c(), [&] { return (icon = trayIcon()).has_value(); }))
            << "the icon never showed in the tray";
        // Most of the icon differs clearly from the panel once it is painted.
        auto standsOut = [&] {
            const ScreenShot shot(c());
            int differing = 0, all = 0;
            for (auto y = static_cast<int>(icon->minY()); y < icon->maxY(); ++y)
                for (auto x = static_cast<int>(icon->minX()); x < icon->maxX(); ++x, ++all) {
                    const Pixel p = shot.at(x, y);
                    differing += std::abs(p.r - panel.pixel.r) + std::abs(p.g - panel.pixel.g) +
                                     std::abs(p.b - panel.pixel.b) >
                                 120;
                }
            return all > 0 && differing * 3 >= all;
        };
        EXPECT_TRUE(pumpUntil(c(), standsOut)) << "the icon at " << *icon << " is hard to see";
        if (const char* dir = std::getenv("VX_TRAY_SHOTS"))
            desktop().tool({"import", "-window", "root", "-crop",
                            "96x32+" + std::to_string(static_cast<int>(icon->midX()) - 48) + "+0",
                            std::string(dir) + "/tray-" + panel.name + ".png"});
        tint2->terminate();
    }
}

// A panel's StatusNotifier host: the program registers its item with the
// watcher, by the symbolic name a host recolours.
class StatusNotifierTray : public ProgramTest {
protected:
    void beforeProgram() override {
        SpawnOptions options;
        options.env = desktop().env();
        options.captureStdout = true;
        bus_ = Process::spawn({"dbus-daemon", "--session", "--nofork", "--print-address"}, options);
        ASSERT_TRUE(bus_);
        const auto address = bus_->readLine(deadlineIn(kWait));
        ASSERT_TRUE(address) << "no private session bus";
        busEnv_ = "DBUS_SESSION_BUS_ADDRESS=" + *address;
        options.env.push_back(busEnv_);
        watcher_ = Process::spawn({VORTAXIS_SNI_WATCHER}, options);
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
    const auto name = item->substr(0, item->find('/'));
    auto asked = run({"dbus-send", "--session", "--print-reply", "--dest=" + name,
                      "/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get",
                      "string:org.kde.StatusNotifierItem", "string:IconName"},
                     {busEnv_}, deadlineIn(kWait));
    ASSERT_TRUE(asked);
    EXPECT_NE(asked->output.find("\"vortaxis-symbolic\""), std::string::npos) << asked->output;
}

} // namespace
} // namespace vx::test
#endif
