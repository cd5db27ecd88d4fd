// Real applications under the window managers of the table below (see
// scripts/test) with a real panel at the top: the window service as a gesture
// drives it, judged by the visible rectangle the independent tools report.
#include "core/session/layout_sector.h"
#include "core/window/accessibility_window_service.h"
#include "core/window/screen_geometry.h"
#include "harness/desktop_test.h"
#include "x11/x11_access_trust.h"
#include "x11/x11_screens.h"
#include "x11/x11_window_system.h"

#include <map>
#include <xcb/xcb_icccm.h>

namespace vx::test {
namespace {

struct Application {
    const char* name;
    std::vector<std::string> argv;
    LayoutSector sector;
    bool maximizedFirst = false;
};

// Per manager, per application in order: placed, kept in place (under i3 only
// the GTK 3 demo floats), or kept on screen at its minimum size.
enum Outcome : char { placed = 'P', keptInPlace = 'K', keptAtMinimum = 'S' };
const std::map<std::string, std::string> expectedOutcomes{
    {"xfwm4-composited", "PPSPP"}, {"metacity", "PPSPP"}, {"kwin", "PPSPP"}, {"i3", "KPKKK"}};

class RealApplications : public DesktopTest {
protected:
    std::vector<Application> applications() const {
        return {
            {"GTK 4 header bar, maximized", {"gtk4-demo"}, LayoutSector::right, true},
            {"GTK 3 header bar", {"gtk3-demo"}, LayoutSector::bottomLeft},
            // Its minimum size (about 1356 x 732) holds no quarter.
            {"GTK 3 larger than the target", {"gtk3-widget-factory"}, LayoutSector::bottomRight},
            {"Qt", {"/usr/lib/qt6/bin/pixeltool"}, LayoutSector::topRight},
            {"Chromium",
             {"chromium", "--no-sandbox", "--disable-gpu", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--password-store=basic", "--user-data-dir=" + desktop_->tempDir() + "/chromium",
              "about:blank"},
             LayoutSector::left},
        };
    }

    // The size steps a window keeps to: the tolerance of its placement.
    std::pair<double, double> increments(xcb_window_t client) {
        auto& c = desktop().conn();
        xcb_size_hints_t hints{};
        auto cookie = xcb_icccm_get_wm_normal_hints(c.raw(), client);
        if (!xcb_icccm_get_wm_normal_hints_reply(c.raw(), cookie, &hints, nullptr) ||
            !(hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC))
            return {2, 2};
        return {std::max(2, hints.width_inc), std::max(2, hints.height_inc)};
    }
};

// Inside the usable area where it fits in it, against the side of the area
// the slot touches (the far side for a slot that ends there).
::testing::AssertionResult keptOnScreen(const Rect& r, const Rect& slot, const Rect& area,
                                        double tolerance) {
    auto axis = [&](double start, double end, double slotStart, double slotEnd, double areaStart,
                    double areaEnd) {
        if (end - start > areaEnd - areaStart + tolerance)
            return std::abs(start - areaStart) <= tolerance;
        const bool far = std::abs(slotEnd - areaEnd) < 1 && std::abs(slotStart - areaStart) >= 1;
        return start >= areaStart - tolerance && end <= areaEnd + tolerance &&
               std::abs(far ? end - areaEnd : start - slotStart) <= tolerance;
    };
    if (axis(r.minX(), r.maxX(), slot.minX(), slot.maxX(), area.minX(), area.maxX()) &&
        axis(r.minY(), r.maxY(), slot.minY(), slot.maxY(), area.minY(), area.maxY()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << r << " is not kept in " << area << " by " << slot;
}

TEST_F(RealApplications, AreSnappedOrHonestlyReportedUnderTheirWindowManager) {
    const auto expected = expectedOutcomes.find(desktop().windowManager());
    if (expected == expectedOutcomes.end())
        GTEST_SKIP() << "not a manager of the matrix: " << desktop().windowManager();
    const auto panel = desktop().startPanel();
    ASSERT_TRUE(panel) << "no panel reserved the top edge";

    auto conn = openConnection();
    ASSERT_TRUE(conn);
    x11::X11WindowSystem system(*conn);
    x11::X11Screens screens(*conn);
    x11::X11AccessTrust trust(conn.get());
    AccessibilityWindowService service(system, trust, screens);

    const auto apps = applications();
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const auto& app = apps[i];
        const auto outcome = static_cast<Outcome>(expected->second[i]);
        SCOPED_TRACE(std::string(app.name) + " under " + desktop().windowManager());
        auto client = desktop().launch(app.argv);
        ASSERT_TRUE(client) << "did not show a window";
        const auto id = std::to_string(client->window);
        ASSERT_TRUE(desktop().tool({"wmctrl", "-i", "-a", id}));
        if (app.maximizedFirst && outcome != keptInPlace) {
            ASSERT_TRUE(desktop().ran(
                {"wmctrl", "-i", "-r", id, "-b", "add,maximized_vert,maximized_horz"}));
            ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isMaximized(client->window); }));
        }
        ASSERT_TRUE(desktop().waitUntil([&] {
            auto front = system.focusedApplication();
            return front.ok() && system.pid(*front.value) == client->process.pid();
        })) << "never became the front application";

        const auto all = screens.screens();
        ASSERT_FALSE(all.empty());
        // The panel's strut is honoured wherever the panel's window lives.
        const Rect area = axRect(all.front().visibleFrame, screens);
        EXPECT_EQ(area.minY(), *panel);
        const Rect target = frame(app.sector, all.front().visibleFrame);
        const Rect slot = axRect(target, screens);
        const auto anchored = service.anchorFrontmostWindow();
        ASSERT_TRUE(anchored);
        const auto status = service.setFrame(target, *anchored);
        service.releaseAnchor(*anchored);
        const auto [dx, dy] = increments(client->window);
        std::optional<Rect> seen;
        switch (outcome) {
        case placed:
            EXPECT_TRUE(status);
            EXPECT_TRUE(desktop().waitUntil([&] {
                seen = desktop().oracleFrame(client->window);
                return seen && std::abs(seen->minX() - slot.minX()) <= dx &&
                       std::abs(seen->minY() - slot.minY()) <= dy &&
                       std::abs(seen->width() - slot.width()) <= dx &&
                       std::abs(seen->height() - slot.height()) <= dy;
            })) << "at "
                << seen.value_or(Rect()) << ", target " << slot;
            EXPECT_FALSE(desktop().isMaximized(client->window));
            break;
        case keptAtMinimum:
            ASSERT_FALSE(status);
            EXPECT_EQ(status.error(), WindowServiceError::cannotShrink);
            ASSERT_TRUE(seen = desktop().oracleFrame(client->window));
            EXPECT_TRUE(keptOnScreen(*seen, slot, area, std::max(dx, dy)));
            break;
        case keptInPlace:
            ASSERT_FALSE(status) << "reported as placed at "
                                 << desktop().oracleFrame(client->window).value_or(Rect());
            EXPECT_EQ(localizedDescription(status.error(), system.windowManagerName()),
                      desktop().windowManager() + " keeps this window in place.");
            break;
        }
        client->process.terminate();
        const auto gone = [&] { return !desktop().isManagedAndShown(client->window); };
        ASSERT_TRUE(desktop().waitUntil(gone, kLaunchWait));
    }
}

} // namespace
} // namespace vx::test
