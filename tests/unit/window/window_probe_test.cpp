// The diagnostic probe: its report line for line on scripted desktops with and
// without the chat program's windows, its number forms, and a report file that
// cannot be redirected through a planted link.
#include "core/window/window_probe.h"
#include "fakes/fake_window_system.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace vx;
using namespace vx::test;
using Lines = std::vector<std::string>;

namespace {

class ProbeTest : public ::testing::Test {
protected:
    ProbeTest() {
        desktop.deferMoves = true;
        desktop.addApp(200, "Editor");
        desktop.addWindow(200, {0, 0, 800, 600}, 20);
    }
    Lines report() {
        return windowProbeReport(desktop, trust, [this](std::chrono::milliseconds wait) {
            waits.push_back(static_cast<int>(wait.count()));
            desktop.settle();
        });
    }
    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    std::vector<int> waits;
};

// A fresh directory of its own, removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vx-probe-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path path;
};

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST_F(ProbeTest, WithoutChatWindowsReportsRunningCopiesAndNoCandidate) {
    trust.trusted = false;
    desktop.addApp(300, "WeChat", "/opt/WeChat.app");
    const auto hidden = desktop.addWindow(300, {10, 20, 800, 600}, 71);
    desktop.stack[hidden].listed = false;
    desktop.stack[hidden].title = "Chats";
    desktop.addApp(301, "WeChat Helper", "/opt/WeChat.app/Contents/Helper").windowsStatus =
        axstatus::attributeUnsupported;

    EXPECT_EQ(report(), (Lines{
                            "AX trusted: false (AXIsProcessTrusted=false)",
                            "AX not trusted for this launch identity \u2014 enable Vortaxis in "
                            "System Settings \u203a Privacy \u203a Accessibility, then re-run.",
                            "=== CG windows (WeChat / \u5fae\u4fe1) ===",
                            "running: WeChat pid=300 path=/opt/WeChat.app",
                            "running: WeChat Helper pid=301 path=/opt/WeChat.app/Contents/Helper",
                            "--- AX pid=300 ---",
                            "  AXWindows status=0",
                            "  count=1",
                            "  [0] role=AXWindow title=Chats pos=(10.0, 20.0) size=(800.0, 600.0) "
                            "setPos=true setSize=true cgid=71 idStatus=0",
                            "--- AX pid=301 ---",
                            "  AXWindows status=-25205",
                            "No on-screen WeChat layer-0 windows found.",
                        }));
    EXPECT_EQ(trust.requests, 1);
    EXPECT_TRUE(waits.empty());
}

TEST_F(ProbeTest, WithChatWindowsProbesEachProcessOnceAndTriesTheFrontCandidate) {
    desktop.addApp(300, "WeChat", "/opt/WeChat.app");
    desktop.addApp(350, "\u5fae\u4fe1");
    desktop.stack.clear();
    const auto front = desktop.addWindow(350, {50.5, 60, 900, 700}, 81);
    desktop.stack[front].title = "\u5fae\u4fe1";
    desktop.stack[desktop.addWindow(300, {0, 0, 100, 300}, 82)].exposed = false; // narrow
    const auto layered = desktop.addWindow(300, {0, 0, 500, 400}, 83);
    desktop.stack[layered].layer = 3;
    desktop.stack[layered].exposed = false;
    const auto main = desktop.addWindow(300, {5, 5, 640, 480}, 84);
    desktop.stack[main].title = "Main";
    desktop.stack[main].idStatus = axstatus::failure;
    const auto unbounded = desktop.addWindow(300, {}, 85);
    desktop.stack[unbounded].boundsListed = false;
    desktop.stack[unbounded].exposed = false;
    desktop.addWindow(200, {0, 0, 800, 600}, 20);

    EXPECT_EQ(report(),
              (Lines{
                  "AX trusted: true (AXIsProcessTrusted=true)",
                  "=== CG windows (WeChat / \u5fae\u4fe1) ===",
                  "  owner=\u5fae\u4fe1 pid=350 wid=81 layer=0 bounds=(50.5, 60.0, 900.0, 700.0)",
                  "  owner=WeChat pid=300 wid=82 layer=0 bounds=(0.0, 0.0, 100.0, 300.0)",
                  "  owner=WeChat pid=300 wid=83 layer=3 bounds=(0.0, 0.0, 500.0, 400.0)",
                  "  owner=WeChat pid=300 wid=84 layer=0 bounds=(5.0, 5.0, 640.0, 480.0)",
                  "  owner=WeChat pid=300 wid=85 layer=0 bounds=(inf, inf, 0.0, 0.0)",
                  "running: WeChat pid=300 path=/opt/WeChat.app",
                  "--- AX pid=300 ---",
                  "  AXWindows status=0",
                  "  count=1",
                  "  [0] role=AXWindow title=Main pos=(5.0, 5.0) size=(640.0, 480.0) "
                  "setPos=true setSize=true cgid=0 idStatus=-25200",
                  "--- AX pid=350 ---",
                  "  AXWindows status=0",
                  "  count=1",
                  "  [0] role=AXWindow title=\u5fae\u4fe1 pos=(50.5, 60.0) size=(900.0, 700.0) "
                  "setPos=true setSize=true cgid=81 idStatus=0",
                  "=== Try AX set on focused/app windows for pid 350 ===",
                  "  set position status=0 size status=0",
                  "  after AX read pos=(80.5, 90.0) size=(450.0, 350.0)",
                  "=== Try CGS move wid 81 ===",
                  "  CGSMoveWindow status=0 after=(90.5, 100.0, 900.0, 700.0)",
                  "  CGSMoveWindowWithGroup status=0 after=(50.5, 60.0, 900.0, 700.0)",
              }));
    EXPECT_EQ(waits, (std::vector<int>{200, 150, 150}));
    // The window is put back where it was.
    desktop.settle();
    EXPECT_EQ(desktop.stack[front].frame, Rect(50.5, 60, 900, 700));
}

TEST_F(ProbeTest, UnreadableWindowsAndMovesAreReportedAsPlaceholders) {
    desktop.addApp(300, "WeChat");
    desktop.addWindow(300, {0, 0, 640, 480}, 84);
    desktop.windowInfoReadable = false;
    desktop.apps[300].windowsStatus = axstatus::cannotComplete;
    const auto lines = report();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "  no AX window to move");
    EXPECT_EQ(lines[lines.size() - 2], "  CGSMoveWindow status=0 after=nil");
}

TEST(ProbeNumbers, DoublesAlwaysShowAFraction) {
    const std::pair<double, const char*> cases[] = {
        {40, "40.0"},
        {0, "0.0"},
        {-0.5, "-0.5"},
        {12.25, "12.25"},
        {-1080, "-1080.0"},
        {1e16, "1e+16"},
        {std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(formatNumber(value), text);
    EXPECT_EQ(formatRect({12, 38, 0.5, 2}), "(12.0, 38.0, 0.5, 2.0)");
}

TEST(ProbeReportFile, GoesToTheUsersRuntimeDirectoryWhenThereIsOne) {
    EXPECT_EQ(probeReportDirectory("/run/user/1000", "/tmp"), "/run/user/1000");
    EXPECT_EQ(probeReportDirectory(nullptr, "/tmp"), "/tmp");
    EXPECT_EQ(probeReportDirectory("", "/var/tmp"), "/var/tmp");
    EXPECT_EQ(probeReportDirectory("relative/dir", "/tmp"), "/tmp");
}

TEST(ProbeReportFile, IsAPrivateNewFileThatReplacesAPlantedLink) {
    ScratchDirectory dir;
    const auto name = dir.path / probeReportFileName;
    std::ofstream(dir.path / "victim") << "keep";
    std::filesystem::create_symlink(dir.path / "victim", name);

    const auto written = writeProbeReport({"first", "second"}, dir.path);
    ASSERT_TRUE(written) << written.error().message();
    EXPECT_EQ(*written, name);
    EXPECT_EQ(contents(dir.path / "victim"), "keep");
    EXPECT_EQ(contents(name), "first\nsecond");
    struct stat info {};
    ASSERT_EQ(::lstat(name.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A dangling link creates nothing at its target either; no scratch file stays.
    std::filesystem::remove(name);
    std::filesystem::create_symlink(dir.path / "planted", name);
    ASSERT_TRUE(writeProbeReport({"again"}, dir.path));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"victim", probeReportFileName}));
    EXPECT_EQ(contents(name), "again");
}

TEST(ProbeReportFile, RunPrintsEachLineThenWhereTheReportWentOrWhyNot) {
    ScratchDirectory dir;
    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    const std::string report = "AX trusted: true (AXIsProcessTrusted=true)\n"
                               "=== CG windows (WeChat / \u5fae\u4fe1) ===\n"
                               "No on-screen WeChat layer-0 windows found.";
    std::ostringstream out, err;
    EXPECT_EQ(runWindowProbe(desktop, trust, {}, out, err, dir.path), 0);
    const auto file = (dir.path / probeReportFileName).string();
    EXPECT_EQ(out.str(), report + "\nWrote " + file + "\n");
    EXPECT_EQ(contents(file), report);
    EXPECT_TRUE(err.str().empty());

    // A report that could not be written is never claimed as written.
    std::ostringstream out2, err2;
    EXPECT_EQ(runWindowProbe(desktop, trust, {}, out2, err2, dir.path / "missing"), 0);
    EXPECT_EQ(out2.str(), report + "\n");
    EXPECT_EQ(err2.str().rfind(
                  "Could not write " + (dir.path / "missing" / probeReportFileName).string(), 0),
              0u);
}
