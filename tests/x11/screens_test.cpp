// Monitors and the room panels leave on each, as the program sees them through
// its own connection (the pointer in these coordinates shows in every gesture).
#include "harness/desktop_test.h"
#include "x11/x11_screens.h"

namespace vx::test {
namespace {

using ScreensTest = DesktopTest;

// Each monitor with a stable name, then the room struts leave on the monitors
// they reach into.
TEST_F(ScreensTest, ReadsMonitorsAndStrutsShrinkOnlyTheMonitorsTheyReachInto) {
    auto conn = openConnection();
    ASSERT_TRUE(conn);
    x11::X11Screens seam(*conn);
    const auto screens = seam.screens();
    ASSERT_EQ(screens.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(screens[i].frame, Rect(1280.0 * static_cast<double>(i), 0, 1280, 1024));
        EXPECT_EQ(screens[i].visibleFrame, screens[i].frame);
        EXPECT_EQ(screens[i].number, conn->atom(i ? "RIGHT" : "LEFT"));
    }
    EXPECT_EQ(seam.screens(), screens); // the id is what the session remembers

    auto visible = [&](std::size_t i) { return seam.screens().at(i).visibleFrame; };
    const Rect L(0, 0, 1280, 1024), R(1280, 0, 1280, 1024), topCut(0, 0, 1280, 1004);
    const char* topLeft = "0,0,20,0,0,0,0,0,0,1279,0,0";
    // Window kind, strut, the visible frames it leaves. A left dock on the right
    // monitor reserves from the root's left edge, not the left monitor; the old
    // form spans the top edge; an unmanaged panel counts, also framed (i3's bar).
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string, Rect, Rect>> cases = {
        {"--dock", "--strut-partial", "0,0,0,30,0,0,0,0,0,0,1280,2559", L, {1280, 30, 1280, 994}},
        {"--dock", "--strut-partial", "1320,0,0,0,0,1023,0,0,0,0,0,0", L, {1320, 0, 1240, 1024}},
        {"--dock", "--strut", "0,0,25,0", {0, 0, 1280, 999}, {1280, 0, 1280, 999}},
        {"--override-redirect", "--strut-partial", topLeft, topCut, R},
        {"framed", "--strut-partial", topLeft, topCut, R},
    };
    // clang-format on
    for (const auto& [kind, flag, strut, left, right] : cases) {
        SCOPED_TRACE(kind + " " + strut);
        auto dock = desktop().launchFixture(
            {kind == "framed" ? "--override-redirect" : kind, flag, strut}, kind == "--dock");
        ASSERT_TRUE(dock);
        std::optional<Client> frame;
        if (kind == "framed") {
            ASSERT_TRUE(frame = desktop().launchFixture(
                            {"--override-redirect", "--geometry", "1280x20+0+0"}, false));
            xcb_reparent_window(c().raw(), dock->window, frame->window, 0, 0);
            ASSERT_TRUE(c().sync());
        }
        EXPECT_TRUE(desktop().waitUntil([&] { return visible(0) == left && visible(1) == right; }))
            << visible(0) << " " << visible(1);
        dock->process.terminate(); // gone with its window
        EXPECT_TRUE(desktop().waitUntil([&] { return visible(0) == L && visible(1) == R; }));
    }
}

TEST(ScaledScreens, DividesRootPixelsByOneFactor) {
    x11::Coordinates c({100, 50, 1000, 800}, 2.0);
    EXPECT_EQ(c.desktopRect({100, 50, 1000, 800}), Rect(0, 0, 500, 400));
    EXPECT_EQ(c.topLeftRect({300, 450, 200, 100}), Rect(100, 200, 100, 50));
    EXPECT_EQ(c.desktopPoint(300, 450), Point(100, 200));
    EXPECT_EQ(c.rootX(100), 300);
    EXPECT_EQ(c.rootY(200), 450);
}

} // namespace
} // namespace vx::test
