// The diagnostic probe's report: it says where the report went or why not, and
// cannot be redirected through a planted link.
#include "core/window/window_probe.h"
#include "fakes/fake_window_system.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace vx;
using namespace vx::test;

TEST(ProbeReportFile, IsAPrivateNewFileThatReplacesAPlantedLink) {
    const auto contents = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    EXPECT_EQ(probeReportDirectory("/run/user/1000", "/tmp"), "/run/user/1000");
    EXPECT_EQ(probeReportDirectory("relative/dir", "/tmp"), "/tmp");

    std::string pattern = (std::filesystem::temp_directory_path() / "vx-probe-XXXXXX").string();
    const std::filesystem::path dir = ::mkdtemp(pattern.data());
    const auto name = dir / probeReportFileName;
    std::ofstream(dir / "victim") << "keep";
    std::filesystem::create_symlink(dir / "victim", name);
    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    std::ostringstream out, err;
    EXPECT_EQ(runWindowProbe(desktop, trust, {}, out, err, dir), 0);
    EXPECT_EQ(contents(dir / "victim"), "keep");
    EXPECT_EQ(out.str(), contents(name) + "\nWrote " + name.string() + "\n");
    struct stat info {};
    ASSERT_EQ(::lstat(name.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Never claiming a report not written.
    runWindowProbe(desktop, trust, {}, out, err, dir / "missing");
    EXPECT_EQ(err.str().rfind("Could not write " + (dir / "missing" / name.filename()).string(), 0),
              0u);
    std::filesystem::remove_all(dir);
}
