// The diagnostic probe: its report on scripted desktops with and without the
// chat program's windows, and a report file that cannot be redirected through
// a planted link.
#include "core/window/window_probe.h"
#include "fakes/fake_window_system.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace vx;
using namespace vx::test;
using Lines = std::vector<std::string>;

namespace {

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(ProbeReport, WithChatWindowsListsThemProbesEachProcessOnceAndMovesTheFrontOne) {
    FakeWindowSystem desktop;
    FakeAccessTrust trust;
    std::vector<int> waits;
    desktop.addApp(200, "Editor");
    desktop.addApp(300, "WeChat", "/opt/WeChat.app");
    desktop.addApp(350, "\u5fae\u4fe1");
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
    desktop.stack[unbounded].editEntry = [](WindowListEntry& e) { e.bounds.reset(); };
    desktop.stack[unbounded].exposed = false;
    desktop.addWindow(200, {0, 0, 800, 600}, 20);

    const auto report = windowProbeReport(desktop, trust, [&](std::chrono::milliseconds wait) {
        waits.push_back(static_cast<int>(wait.count()));
    });
    EXPECT_EQ(report,
              (Lines{
                  "Window access: true (EWMH window manager=true)",
                  "=== Stacking list (WeChat / \u5fae\u4fe1) ===",
                  "  owner=\u5fae\u4fe1 pid=350 wid=81 layer=0 bounds=(50.5, 60.0, 900.0, 700.0)",
                  "  owner=WeChat pid=300 wid=82 layer=0 bounds=(0.0, 0.0, 100.0, 300.0)",
                  "  owner=WeChat pid=300 wid=83 layer=3 bounds=(0.0, 0.0, 500.0, 400.0)",
                  "  owner=WeChat pid=300 wid=84 layer=0 bounds=(5.0, 5.0, 640.0, 480.0)",
                  "  owner=WeChat pid=300 wid=85 layer=0 bounds=(inf, inf, 0.0, 0.0)",
                  "running: WeChat pid=300 path=/opt/WeChat.app",
                  "--- Client windows pid=300 ---",
                  "  client list status=0",
                  "  count=1",
                  "  [0] role=AXWindow title=Main pos=(5.0, 5.0) size=(640.0, 480.0) "
                  "setPos=true setSize=true frame=0 idStatus=-25200",
                  "--- Client windows pid=350 ---",
                  "  client list status=0",
                  "  count=1",
                  "  [0] role=AXWindow title=\u5fae\u4fe1 pos=(50.5, 60.0) size=(900.0, 700.0) "
                  "setPos=true setSize=true frame=81 idStatus=0",
                  "=== Try _NET_MOVERESIZE_WINDOW on the client window of pid 350 ===",
                  "  set position status=0 size status=0",
                  "  after read pos=(80.5, 90.0) size=(450.0, 350.0)",
                  "=== Try moving the frame wid 81 ===",
                  "  frame move status=0 after=(90.5, 100.0, 900.0, 700.0)",
                  "  frame move with group status=0 after=(50.5, 60.0, 900.0, 700.0)",
              }));
    EXPECT_EQ(waits, (std::vector<int>{200, 150, 150}));
    EXPECT_EQ(desktop.stack[front].frame, Rect(50.5, 60, 900, 700));
}

TEST(ProbeReportFile, IsAPrivateNewFileThatReplacesAPlantedLink) {
    EXPECT_EQ(probeReportDirectory("/run/user/1000", "/tmp"), "/run/user/1000");
    EXPECT_EQ(probeReportDirectory("relative/dir", "/tmp"), "/tmp");
    EXPECT_EQ(probeReportDirectory(nullptr, "/tmp"), "/tmp");

    std::string pattern = (std::filesystem::temp_directory_path() / "vx-probe-XXXXXX").string();
    const std::filesystem::path dir = ::mkdtemp(pattern.data());
    const auto name = dir / probeReportFileName;
    std::ofstream(dir / "victim") << "keep";
    std::filesystem::create_symlink(dir / "victim", name);
    const auto written = writeProbeReport({"first", "second"}, dir);
    ASSERT_TRUE(written) << written.error().message();
    EXPECT_EQ(*written, name);
    EXPECT_EQ(contents(dir / "victim"), "keep");
    EXPECT_EQ(contents(name), "first\nsecond");
    struct stat info {};
    ASSERT_EQ(::lstat(name.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // Without chat windows: the running copies and no candidate. The run prints
    // each line and where the report went, never claiming a report not written.
    FakeWindowSystem desktop;
    desktop.addApp(301, "WeChat Helper", "/opt/WeChat.app/Contents/Helper").windowsStatus =
        axstatus::attributeUnsupported;
    FakeAccessTrust trust;
    trust.trusted = false;
    std::ostringstream out, err;
    EXPECT_EQ(runWindowProbe(desktop, trust, {}, out, err, dir / "missing"), 0);
    EXPECT_EQ(err.str().rfind("Could not write " + (dir / "missing" / name.filename()).string(), 0),
              0u);
    std::ostringstream shown;
    runWindowProbe(desktop, trust, {}, shown, err, dir);
    const auto text = contents(name);
    EXPECT_EQ(out.str(), text + "\n");
    EXPECT_EQ(shown.str(), text + "\nWrote " + name.string() + "\n");
    for (const char* line :
         {"No window access on this display \u2014 No window manager is running. Then",
          "running: WeChat Helper pid=301 path=/opt/WeChat.app/Contents/Helper",
          "client list status=-25205\nNo on-screen WeChat layer-0 windows found."})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(trust.requests, 2);
    std::filesystem::remove_all(dir);
}
