// The real program as a process on a test desktop, for the endurance and
// fault tests: started with --verbose, read through its status and aim lines,
// played with XTest gestures, and weighed by the X resources it holds.
#pragma once

#include "core/session/layout_sector.h"
#include "harness/desktop.h"
#include "input_helpers.h"

#include <cmath>
#include <map>
#include <regex>
#include <xcb/res.h>

#ifdef VORTAXIS_PROGRAM
namespace vx::test {

inline constexpr std::uint32_t evdevLeftControl = 29;

class ProgramDriver {
public:
    static std::optional<ProgramDriver> start(Desktop& desktop) {
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" --verbose 2>&1",
                                      VORTAXIS_PROGRAM};
        SpawnOptions options;
        options.env = desktop.env();
        options.captureStdout = true;
        auto process = Process::spawn(argv, options);
        if (!process)
            return std::nullopt;
        return ProgramDriver(desktop, std::move(*process));
    }

    // Reads lines until one matches `pattern`; the matching line, or nothing.
    std::optional<std::string> waitForLine(const std::string& pattern,
                                           std::chrono::milliseconds timeout = kWait) {
        const std::regex re(pattern);
        const auto deadline = deadlineIn(timeout);
        while (auto line = process.readLine(deadline)) {
            lines.push_back(*line);
            if (std::regex_search(*line, re))
                return line;
        }
        return std::nullopt;
    }
    std::string transcript() const {
        std::string all;
        for (const auto& line : lines)
            all += "  | " + line + "\n";
        return all;
    }

    // --- gestures, at root pixels ---
    ::testing::AssertionResult open(int x, int y) {
        fakeMotion(desktop_->conn(), x, y);
        fakeKey(desktop_->conn(), evdevLeftControl, true);
        if (!waitForLine("^status: (Aim|Screen)"))
            return ::testing::AssertionFailure() << "the menu did not open\n" << transcript();
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult aim(int cx, int cy, LayoutSector s) {
        const double a = centerAngleDegrees(s) * M_PI / 180.0;
        fakeMotion(desktop_->conn(), cx + static_cast<int>(std::lround(90 * std::cos(a))),
                   cy - static_cast<int>(std::lround(90 * std::sin(a))));
        if (!waitForLine("^aim: " + title(s) + "$"))
            return ::testing::AssertionFailure() << "no aim at " << title(s) << '\n'
                                                 << transcript();
        return ::testing::AssertionSuccess();
    }
    // Lets go of the trigger; the status line that followed, if one came.
    std::optional<std::string> release(const std::string& expected = ".*") {
        fakeKey(desktop_->conn(), evdevLeftControl, false);
        return waitForLine("^status: (" + expected + ")");
    }

    // --- what the program holds on the server ---
    // Resources by type, over every connection the process has open.
    std::optional<std::map<std::string, std::uint32_t>> xResources() {
        auto& c = desktop_->conn();
        auto clients = c.reply(xcb_res_query_clients(c.raw()), xcb_res_query_clients_reply);
        if (!clients)
            return std::nullopt;
        std::map<std::string, std::uint32_t> counts;
        auto it = xcb_res_query_clients_clients_iterator(clients.get());
        for (; it.rem > 0; xcb_res_client_next(&it)) {
            const auto base = it.data->resource_base;
            if (desktop_->ownerPid(base) != process.pid())
                continue;
            auto resources = c.reply(xcb_res_query_client_resources(c.raw(), base),
                                     xcb_res_query_client_resources_reply);
            if (!resources)
                return std::nullopt;
            auto types = xcb_res_query_client_resources_types_iterator(resources.get());
            for (; types.rem > 0; xcb_res_type_next(&types))
                counts[c.atomName(types.data->resource_type).value_or("?")] += types.data->count;
        }
        return counts;
    }

    Process process;
    std::vector<std::string> lines;

private:
    ProgramDriver(Desktop& desktop, Process p) : process(std::move(p)), desktop_(&desktop) {}
    Desktop* desktop_;
};

// The slot of a sector on a monitor of a test desktop without panels, in root
// pixels (the primary monitor's bottom edge is at 1024).
inline Rect slotOf(LayoutSector s, const MonitorSpec& m) {
    const double primaryBottom = 1024;
    const Rect desktopFrame(m.x, primaryBottom - (m.y + m.height), m.width, m.height);
    const Rect r = frame(s, desktopFrame);
    return Rect(r.origin.x, primaryBottom - r.maxY(), r.width(), r.height());
}

inline bool isNear(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.minX() - b.minX()) <= tolerance &&
           std::abs(a.minY() - b.minY()) <= tolerance &&
           std::abs(a.maxX() - b.maxX()) <= tolerance && std::abs(a.maxY() - b.maxY()) <= tolerance;
}

} // namespace vx::test
#endif
