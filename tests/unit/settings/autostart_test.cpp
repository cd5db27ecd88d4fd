// The autostart entry: where it goes, that its Exec line survives odd paths,
// and that switching it on and off leaves the folder as it found it.
#include "core/settings/autostart.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vx;
namespace fs = std::filesystem;

namespace {

struct AutostartTest : ::testing::Test {
    fs::path dir = fs::temp_directory_path() /
                   ("vortaxis-autostart-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST(Autostart, FolderAndExecLineFollowTheDesktopRules) {
    EXPECT_EQ(AutostartEntry::configHome("/x/cfg", "/home/u"), fs::path("/x/cfg"));
    EXPECT_EQ(AutostartEntry::configHome("relative/cfg", "/home/u"), fs::path("/home/u/.config"));
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/vortaxis", "/usr/bin/vortaxis"},
        {"/opt/My Apps/vortaxis", "\"/opt/My Apps/vortaxis\""},
        {"/opt/a$b/vortaxis", "\"/opt/a\\\\$b/vortaxis\""},
        {"/opt/100%/vortaxis", "/opt/100%%/vortaxis"},
        {"/opt/q\"uote", "\"/opt/q\\\\\"uote\""},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
    };
    for (const auto& [path, exec] : cases)
        EXPECT_EQ(AutostartEntry::quoteExecArgument(path), exec) << path;
    EXPECT_NE(AutostartEntry("/c", "/opt/My Apps/v").contents().find("\nExec=\"/opt/My Apps/v\"\n"),
              std::string::npos);
}

TEST_F(AutostartTest, SwitchingOnAndOffWritesAndRemovesTheEntry) {
    AutostartEntry entry(dir / "config", "/usr/bin/vortaxis");
    EXPECT_TRUE(entry.setEnabled(false).ok()); // nothing to remove is fine
    ASSERT_TRUE(entry.setEnabled(true).ok());
    EXPECT_TRUE(entry.isEnabled());
    std::ifstream file(entry.path());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), entry.contents());
    ASSERT_TRUE(entry.setEnabled(false).ok());
    EXPECT_FALSE(fs::exists(entry.path()));

    // An entry the user hid stays off.
    fs::create_directories(entry.path().parent_path());
    std::ofstream(entry.path()) << "[Desktop Entry]\nType=Application\nExec=v\nHidden=true\n";
    EXPECT_FALSE(entry.isEnabled());
}

TEST_F(AutostartTest, AFolderThatCannotBeWrittenIsAnErrorNotASilentSuccess) {
    std::ofstream(dir / "autostart") << "a file where the folder should be";
    AutostartEntry entry(dir, "/usr/bin/vortaxis");
    const auto status = entry.setEnabled(true);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().message.find((dir / "autostart").string()), std::string::npos);
    EXPECT_FALSE(entry.isEnabled());
}

} // namespace
