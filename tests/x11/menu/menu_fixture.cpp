// Shows the real radial menu and screen outline on the test server, in the
// states a test asks for, so that screenshots can be taken of them.
//
//   --primary-height H   desktop y = H - root y (primary monitor at the root origin)
//   --at X,Y             menu centre, desktop points
//   --hub-icon           the hub shows a red application icon
//   --outline X,Y,W,H    outline this desktop frame first
//   --sectors 0,4,...    aim at each in turn
//
// After each aim it prints "aimed:N 0xMENU 0xOUTLINE" once the motion has
// ended, then waits for SIGUSR1 before the next one; after the last it prints
// "done". A click on the hub prints "tap".
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "qt/menu/overlay_panels.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

std::vector<double> numbers(const std::string& s) {
    std::vector<double> out;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ','))
        out.push_back(std::stod(item));
    return out;
}

vx::Image redIcon() {
    vx::Image icon{64, 64, {}};
    for (int i = 0; i < 64 * 64; ++i)
        icon.rgba.insert(icon.rgba.end(), {220, 30, 30, 255});
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    // Read before Qt sees them: Qt takes some options (such as an icon) for itself.
    double primaryHeight = 1024;
    vx::Point at{640, 512};
    bool icon = false;
    std::vector<double> outlineFrame, sectors;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&] { return numbers(i + 1 < argc ? argv[++i] : ""); };
        if (arg == "--hub-icon") {
            icon = true;
        } else if (arg == "--primary-height") {
            primaryHeight = value().at(0);
        } else if (arg == "--at") {
            const auto v = value();
            at = {v.at(0), v.at(1)};
        } else if (arg == "--outline") {
            outlineFrame = value();
        } else if (arg == "--sectors") {
            sectors = value();
        }
    }

    QApplication app(argc, argv);
    auto factories = vx::makeOverlayPanelFactories(vx::x11OverlayPlatform(vx::rootPlacement(
        [primaryHeight](vx::Point p) { return QPointF(p.x, primaryHeight - p.y); },
        [] { return 1.0; })));
    QWidget* menuWindow = nullptr;
    QWidget* outlineWindow = nullptr;
    vx::RadialMenuPanelController menu([&](vx::RadialMenuModel& model, vx::Size size) {
        auto panel = factories.menu(model, size);
        menuWindow = &static_cast<vx::QtMenuPanel&>(*panel).view();
        return panel;
    });
    vx::ScreenEdgeHighlightController outline([&] {
        auto panel = factories.outline();
        outlineWindow = &static_cast<vx::QtOutlinePanel&>(*panel).widget();
        return panel;
    });
    menu.setOnCenterTap([] {
        std::printf("tap\n");
        std::fflush(stdout);
    });

    if (outlineFrame.size() == 4)
        outline.show(
            vx::Screen{1,
                       {outlineFrame[0], outlineFrame[1], outlineFrame[2], outlineFrame[3]},
                       {outlineFrame[0], outlineFrame[1], outlineFrame[2], outlineFrame[3]}});
    std::optional<vx::TargetAppInfo> target;
    if (icon)
        target = vx::TargetAppInfo{4242, "Red", redIcon()};
    menu.show(at, target);

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 2;
    std::signal(SIGUSR1, onSignal);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);

    std::size_t nextSector = 0;
    auto* view = static_cast<vx::RadialMenuView*>(menuWindow);
    auto report = [&](const std::string& what) {
        std::printf("%s 0x%llx 0x%llx\n", what.c_str(),
                    static_cast<unsigned long long>(menuWindow->winId()),
                    outlineWindow ? static_cast<unsigned long long>(outlineWindow->winId()) : 0ULL);
        std::fflush(stdout);
    };
    // Waits for the wedge to come to rest and the server to have the frame.
    QTimer settle;
    settle.setInterval(16);
    std::string pending;
    QObject::connect(&settle, &QTimer::timeout, [&] {
        if (view->isAnimating())
            return;
        settle.stop();
        view->repaint();
        QApplication::sync();
        report(pending);
    });
    auto step = [&] {
        if (nextSector >= sectors.size()) {
            pending = "done";
        } else {
            const int raw = static_cast<int>(sectors[nextSector++]);
            menu.setHighlightedSector(vx::layoutSectorFromRaw(raw));
            pending = "aimed:" + std::to_string(raw);
        }
        settle.start();
    };
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buf[16];
        while (::read(signalPipe[0], buf, sizeof buf) > 0) {
        }
        step();
    });
    QTimer::singleShot(0, step);
    return app.exec();
}
