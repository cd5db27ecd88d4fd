// The autostart entry: where it goes, that its Exec line survives odd paths,
// and that switching it on and off leaves the folder as it found it.
#include "core/settings/autostart.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace vx;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path =
        fs::temp_directory_path() /
        ("vortaxis-autostart-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

TEST(Autostart, FolderFollowsTheBaseDirectoryRules) {
    EXPECT_EQ(AutostartEntry::configHome("/x/cfg", "/home/u"), fs::path("/x/cfg"));
    EXPECT_EQ(AutostartEntry::configHome(std::nullopt, "/home/u"), fs::path("/home/u/.config"));
    EXPECT_EQ(AutostartEntry::configHome("", "/home/u"), fs::path("/home/u/.config"));
    EXPECT_EQ(AutostartEntry::configHome("relative/cfg", "/home/u"), fs::path("/home/u/.config"));
    EXPECT_EQ(AutostartEntry("/c", "/usr/bin/vortaxis").path(),
              fs::path("/c/autostart/vortaxis.desktop"));
}

TEST(Autostart, ExecLineQuotesWhatTheDesktopWouldMisread) {
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/usr/bin/vortaxis", "/usr/bin/vortaxis"},
        {"/opt/My Apps/vortaxis", "\"/opt/My Apps/vortaxis\""},
        {"/opt/a$b/vortaxis", "\"/opt/a\\\\$b/vortaxis\""},
        {"/opt/100%/vortaxis", "/opt/100%%/vortaxis"},
        {"/opt/q\"uote", "\"/opt/q\\\\\"uote\""},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutostartEntry::quoteExecArgument(c.path), c.exec) << c.path;
    const auto text = AutostartEntry("/c", "/opt/My Apps/vortaxis").contents();
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/vortaxis\"\n"), std::string::npos);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
}

TEST(Autostart, SwitchingOnAndOffWritesAndRemovesTheEntry) {
    TempDir dir;
    AutostartEntry entry(dir.path / "config", "/usr/bin/vortaxis");
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_TRUE(entry.setEnabled(false).ok()); // nothing to remove is fine

    ASSERT_TRUE(entry.setEnabled(true).ok());
    EXPECT_TRUE(entry.isEnabled());
    std::ifstream file(entry.path());
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), entry.contents());
    EXPECT_FALSE(fs::exists(fs::path(entry.path()).concat(".tmp")));

    ASSERT_TRUE(entry.setEnabled(false).ok());
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_FALSE(fs::exists(entry.path()));
}

TEST(Autostart, AnEntryTheUserHidRespectsTheirChoice) {
    TempDir dir;
    AutostartEntry entry(dir.path, "/usr/bin/vortaxis");
    fs::create_directories(entry.path().parent_path());
    std::ofstream(entry.path())
        << "[Desktop Entry]\nType=Application\nExec=vortaxis\nHidden=true\n";
    EXPECT_FALSE(entry.isEnabled());
}

TEST(Autostart, AFolderThatCannotBeWrittenIsAnErrorNotASilentSuccess) {
    TempDir dir;
    // A file where the autostart folder should be.
    std::ofstream(dir.path / "autostart") << "in the way";
    AutostartEntry entry(dir.path, "/usr/bin/vortaxis");
    const auto status = entry.setEnabled(true);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().message.find((dir.path / "autostart").string()), std::string::npos);
    EXPECT_FALSE(entry.isEnabled());
}

} // namespace
