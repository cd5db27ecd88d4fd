// The autostart entry: that its Exec line survives odd paths, and that
// switching it on and off leaves the folder as it found it.
#include "core/settings/autostart.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vx;
namespace fs = std::filesystem;

TEST(Autostart, ExecLineQuotesWhatTheDesktopWouldMisread) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/My Apps/vortaxis", "\"/opt/My Apps/vortaxis\""},
        {"/opt/a$b/vortaxis", "\"/opt/a\\\\$b/vortaxis\""},
        {"/opt/100%/vortaxis", "/opt/100%%/vortaxis"},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
    };
    for (const auto& [path, exec] : cases)
        EXPECT_EQ(AutostartEntry::quoteExecArgument(path), exec) << path;
}

TEST(Autostart, SwitchingWritesAValidEntryAndRemovesIt) {
    const fs::path dir =
        fs::temp_directory_path() / ("vortaxis-autostart-" + std::to_string(getpid()));
    AutostartEntry entry(dir, "/usr/bin/vortaxis");
    EXPECT_TRUE(entry.setEnabled(false).ok()); // nothing to remove is fine
    ASSERT_TRUE(entry.setEnabled(true).ok());
    // A valid entry that waits for the panel, which must be there to take the tray icon.
    EXPECT_EQ(std::system(("desktop-file-validate " + entry.path().string()).c_str()), 0);
    EXPECT_NE(entry.contents().find("X-KDE-autostart-after=panel\n"), std::string::npos);
    EXPECT_TRUE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(false).ok());
    EXPECT_FALSE(fs::exists(entry.path()));

    // An entry the user hid is off. A file in the folder's way is the settings
    // window's tests, where the error is shown.
    fs::create_directories(entry.path().parent_path());
    std::ofstream(entry.path()) << "[Desktop Entry]\nType=Application\nExec=v\nHidden=true\n";
    EXPECT_FALSE(entry.isEnabled());
    fs::remove_all(dir);
}
