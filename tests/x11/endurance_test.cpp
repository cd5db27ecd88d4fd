// Every sector on both monitors, again and again, for xterm (size steps) and a
// GTK window drawing its own frame, with cancels and centre clicks between:
// each lands, and the program's X resources stay put. VX_SOAK=1: 1,000 gestures.
#include "program_driver.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <xcb/res.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {
namespace {

// Named for scripts/test, which runs the long soak by this suite's name.
class EnduranceTest : public ProgramTest {
protected:
    // The program's X resources by type, over every connection it has open.
    std::map<std::string, std::uint32_t> xResources() {
        std::map<std::string, std::uint32_t> counts;
        auto clients = c().reply(xcb_res_query_clients(c().raw()), xcb_res_query_clients_reply);
        if (!clients)
            return counts;
        for (auto it = xcb_res_query_clients_clients_iterator(clients.get()); it.rem > 0;
             xcb_res_client_next(&it)) {
            auto held = c().reply(xcb_res_query_client_resources(c().raw(), it.data->resource_base),
                                  xcb_res_query_client_resources_reply);
            if (!held || desktop().ownerPid(it.data->resource_base) != program->pid())
                continue;
            for (auto t = xcb_res_query_client_resources_types_iterator(held.get()); t.rem > 0;
                 xcb_res_type_next(&t))
                counts[c().atomName(t.data->resource_type).value_or("?")] += t.data->count;
        }
        return counts;
    }
};

TEST_F(EnduranceTest, EverySectorOnBothMonitorsLandsAgainAndAgainWithSteadyXResources) {
    const auto gtkSettings = desktop().tempDir() + "/config/gtk-3.0";
    std::filesystem::create_directories(gtkSettings);
    std::ofstream(gtkSettings + "/settings.ini") << "[Settings]\ngtk-dialogs-use-header=true\n";
    auto gtk = desktop().launch({"zenity", "--file-selection"});
    ASSERT_TRUE(gtk) << "zenity did not come up";

    const char* soak = std::getenv("VX_SOAK");
    const int rounds = soak && std::string(soak) == "1" ? 1000 : 40;
    std::map<std::string, std::uint32_t> before;
    for (int i = 0; i < rounds; ++i) {
        SCOPED_TRACE("gesture " + std::to_string(i));
        // Sixteen snaps of one window (each sector on each monitor), then the other's.
        const bool terminal = (i / 16) % 2 == 0;
        const auto window = terminal ? xterm->window : gtk->window;
        const auto& m = (i / 8) % 2 == 0 ? leftMonitor : rightMonitor;
        const double tolerance = terminal ? terminalTolerance : readBackTolerance;
        const int cx = m.x + m.width / 2, cy = m.y + m.height / 2;
        if (i % 16 == 0) {
            ASSERT_TRUE(activate(window));
        }
        if (i % 5 == 4) {
            ASSERT_TRUE(open(cx, cy));
            ASSERT_TRUE(release("Cancelled"));
        }
        if (i % 7 == 6) {
            ASSERT_TRUE(open(cx, cy));
            fakeButton(c(), 1);
            ASSERT_TRUE(waitForLine("^status: Snapped · Full screen"));
            letGo();
            ASSERT_TRUE(landsIn(Rect(m.x, m.y, m.width, m.height), window, tolerance));
        }
        ASSERT_TRUE(snaps(allLayoutSectors[static_cast<std::size_t>(i % 8)], m, window, tolerance));
        ASSERT_TRUE(program->running());
        // Counted once every kind of gesture ran on both windows: what the
        // program creates once (panels, cursors, atoms) exists by then.
        if (i == 20) {
            before = xResources();
            ASSERT_TRUE(before.count("WINDOW")) << "the program's connections not found";
        }
    }
    EXPECT_EQ(xResources(), before) << "X resources changed over " << rounds << " rounds";
}

} // namespace
} // namespace vx::test
#endif
