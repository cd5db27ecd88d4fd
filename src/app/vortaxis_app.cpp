// Start-up order: the diagnostic mode before anything else; then the
// application object, the single-instance check, the platform the session
// calls for (X11, or KWin on Plasma's Wayland session), the model (which
// starts the session and so the key monitoring), and the tray icon.
#include "vortaxis_app.h"

#include "app/app_model.h"
#include "app/compositor_restart.h"
#include "app/kwin_platform.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "app/x11_platform.h"
#include "core/base/localization.h"
#include "core/base/system_log.h"
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "core/window/window_probe.h"
#include "kwin/kwin_bridge.h"
#include "kwin/kwin_screens.h"
#include "kwin/plasma_overlay_role.h"
#include "qt/menu/overlay_panels.h"
#include "qt/qsettings_defaults_store.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/qt_http_fetcher.h"
#include "qt/settings/settings_window.h"
#include "qt/settings/translations.h"

#include <QApplication>
#include <QPixmapCache>
#include <QSystemTrayIcon>
#include <QWindow>
#include <cstdio>
#include <iostream>
#include <syslog.h>
#include <vector>

namespace vx {

namespace {

void installLogSink() {
    ::openlog("vortaxis", LOG_PID, LOG_USER);
    installSystemLogSink([](std::string_view line) {
        ::syslog(LOG_WARNING, "%.*s", static_cast<int>(line.size()), line.data());
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        std::fflush(stderr);
    });
}

std::string displayName(const CommandLine& line) {
    if (line.display)
        return *line.display;
    const char* env = std::getenv("DISPLAY");
    return env ? env : "";
}

int runProbe(const std::string& display) {
    // No application object and no tray: the probe only needs the X connection,
    // and its waits run on the connection itself.
    int argc = 1;
    char name[] = "vortaxis";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QtRunLoop runLoop;
    std::string error;
    auto platform = X11Platform::open(
        display, runLoop, [](const std::string&) {}, &error);
    if (!platform) {
        std::cerr << "vortaxis: " << error << '\n';
        return 1;
    }
    return runWindowProbe(
        platform->seams().windowSystem, platform->seams().trust,
        [&](std::chrono::milliseconds atMost) { platform->settle(atMost); }, std::cout, std::cerr);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Overlays on KWin's Wayland session: Qt cannot place a Wayland window, so the
// KWin script puts each one where the panel asked, by its caption; each is
// shown as an on-screen display, which KWin never gives the keyboard focus.
OverlayPlatform kwinOverlayPlatform(kwin::KWinBridge& bridge) {
    QString why;
    std::shared_ptr<kwin::PlasmaOverlayRole> role = kwin::PlasmaOverlayRole::bind(&why);
    if (!role)
        std::cerr << "vortaxis: "
                  << localized("the menu will take the keyboard focus while it is open (%1)",
                               {why.toStdString()})
                  << '\n';
    return {[&bridge](const Rect& r) {
                return kwin::KWinCoordinates::of(bridge.desktop()).fromDesktop(r);
            },
            [] { return true; },
            [](QWidget& window, const QRegion& region) {
                // An input mask only: unlike the widget's, it does not clip drawing.
                if (auto* handle = window.windowHandle(); handle && !region.isEmpty())
                    handle->setMask(region);
            },
            [&bridge](QWidget& window, const QRect& geometry) {
                bridge.placeOwn(window.windowTitle(), geometry);
            },
            [role](QWidget& window) {
                if (auto* handle = window.windowHandle(); role && handle)
                    role->markShown(*handle);
            }};
}

} // namespace

int runVortaxis(const CommandLine& line, int& argc, char** argv) {
    // The arguments as started, for a start again after KWin's loss: Qt
    // takes its own out of argv.
    static std::vector<char*> started(argv, argv + argc + 1);
    const std::string display = displayName(line);
    // Chosen from the environment alone: Qt's platform plugin must be set
    // before the application object, before the bus can be asked. Another
    // Wayland desktop runs the X11 side through Xwayland, whose status tells
    // the user to log in to an X11 session.
    const SessionPlatform kind = line.probe ? SessionPlatform::x11
                                            : sessionPlatform(environment("XDG_SESSION_TYPE"),
                                                              environment("XDG_CURRENT_DESKTOP"),
                                                              environment("VX_PLATFORM"));
    const bool wayland = kind == SessionPlatform::kwinWayland;
    if ((line.probe || !wayland) && display.empty()) {
        std::cerr << "vortaxis: " << localized("no X display (DISPLAY is not set)") << '\n';
        return 1;
    }
    if (line.probe)
        return runProbe(display);
    if (wayland) {
        // The overlays are Wayland windows that KWin's script places.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "wayland");
        // Plasma's wrapper has a crashed KWin back within seconds.
        if (!awaitCompositorIfRestarted(std::chrono::seconds(60))) {
            std::cerr << "vortaxis: " << localized("KWin did not come back; Vortaxis ends.")
                      << '\n';
            return 1;
        }
    } else {
        // An X11 program: on a desktop that offers both, Qt must not pick Wayland,
        // or its panels would not share coordinates with the windows we move.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", QByteArray::fromStdString(display));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vortaxis"));
    QApplication::setApplicationVersion(QStringLiteral(VORTAXIS_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    // A program that waits all day for a key should not wake up on its own:
    // Qt's pixmap cache ages its entries on a 30 s timer for as long as it
    // holds any, and what it would save us (a few small icons and bevels of
    // the settings window) is cheap to draw again.
    QPixmapCache::setCacheLimit(0);

    qt::installTranslations();
    const std::string seat = kind == SessionPlatform::kwinWayland
                                 ? "wayland-" + environment("WAYLAND_DISPLAY")
                                 : display;
    SingleInstance instance(SingleInstance::socketName(QString::fromStdString(seat)));
    QString instanceProblem;
    switch (instance.claim(&instanceProblem)) {
    case SingleInstance::Start::handedOver:
        if (line.verbose)
            std::cerr << "vortaxis: " << localized("already running; asked it to open its settings")
                      << '\n';
        return 0;
    case SingleInstance::Start::noAnswer:
        std::cerr << "vortaxis: " << instanceProblem.toStdString() << '\n';
        return 1;
    case SingleInstance::Start::run:
        if (!instanceProblem.isEmpty())
            std::cerr << "vortaxis: " << instanceProblem.toStdString() << '\n';
        break;
    }

    if (wayland)
        restartWhenCompositorDies(started.data(), [&instance] { instance.release(); });
    installLogSink();
    QtRunLoop runLoop;
    int lostStatus = 0;
    std::string error;
    std::unique_ptr<X11Platform> x11;
    std::unique_ptr<KWinPlatform> kwin;
    // Set once the model exists: KWin's state decides whether windows can move.
    std::function<void()> refreshTrust;
    if (kind == SessionPlatform::kwinWayland) {
        // KWin going away is a status, not an exit: it may come back (a crash,
        // `kwin_wayland --replace`), and the script is loaded again then.
        kwin = KWinPlatform::open(
            [&refreshTrust, said = std::string()](const std::string& why) mutable {
                if (why != said && (!why.empty() || !said.empty()))
                    std::cerr << "vortaxis: "
                              << (why.empty()
                                      ? localized("KWin is back; windows can be moved again.")
                                      : why)
                              << '\n';
                said = why;
                if (refreshTrust)
                    refreshTrust();
            },
            &error);
    } else {
        x11 = X11Platform::open(
            display, runLoop,
            [&](const std::string& why) {
                std::cerr << "vortaxis: " << localized("lost the X server (%1); exiting", {why})
                          << '\n';
                lostStatus = 1;
                QCoreApplication::exit(1);
            },
            &error);
    }
    if (!x11 && !kwin) {
        std::cerr << "vortaxis: " << error << '\n';
        return 1;
    }
    const DesktopSeams seams = x11 ? x11->seams() : kwin->seams();

    QSettingsDefaultsStore store;
    qt::QtHttpFetcher fetcher;
    const OverlayPlatform overlayPlatform =
        x11 ? x11OverlayPlatform(rootPlacement(x11->desktopToRoot(), x11->scaleFactor()))
            : kwinOverlayPlatform(kwin->bridge());
    if (kwin)
        kwin->catchWheelWith(overlayPlatform);
    const auto overlays = makeOverlayPanelFactories(overlayPlatform);
    AppModel model(AppPlatform{
        runLoop, seams, store, fetcher,
        [&] { return std::make_unique<RadialMenuPanelController>(overlays.menu); },
        [&] { return std::make_unique<ScreenEdgeHighlightController>(overlays.outline); }});
    Subscription bindingToKWin;
    if (kwin) {
        refreshTrust = [&model] { model.session().refreshIdleStatus(); };
        // KGlobalAccel must hear of every binding the user picks.
        auto tell = [&kwin](const HotkeyBinding& binding) {
            if (auto why = kwin->setBinding(binding))
                std::cerr << "vortaxis: " << *why << '\n';
        };
        tell(model.hotkeys().binding());
        bindingToKWin = model.hotkeys().observeBinding(tell);
    }

    qt::SettingsWindow settings(model.permissions(), model.hotkeys(), model.updates(), seams.keys,
                                &seams.layout);
    QString listenError;
    if (!instance.listen([&] { settings.showNear({}); }, &listenError))
        std::cerr << "vortaxis: "
                  << localized("cannot watch for a second start: %1", {listenError.toStdString()})
                  << '\n';

    // Only now is the first line written: whoever reads "Ready" may rely on a
    // second start finding this one.
    Subscription verbose, verboseAim;
    if (line.verbose) {
        auto print = [](const char* what, const std::string& text) {
            std::fprintf(stderr, "%s: %s\n", what, text.c_str());
            std::fflush(stderr);
        };
        print("status", model.session().statusMessage().get());
        verbose = model.session().statusMessage().observe(
            [print](const std::string& text) { print("status", text); });
        // Where the aim points, so a script can tell the menu followed the pointer.
        verboseAim = model.session().lockedSector().observe(
            [print](const std::optional<LayoutSector>& sector) {
                print("aim", sector ? title(*sector) : std::string("centre"));
            });
    }

    // Shown whether or not a tray is there now: Qt puts the icon in place when a
    // tray appears later. Without one the program still works from the trigger.
    QSystemTrayIcon tray(trayIcon(statusNotifierHostPresent()));
    tray.setToolTip(QString::fromStdString(localized("Vortaxis")));
    QObject::connect(&tray, &QSystemTrayIcon::activated, &settings,
                     [&](QSystemTrayIcon::ActivationReason) { settings.toggle(tray.geometry()); });
    tray.show();

    const int status = QApplication::exec();
    return lostStatus != 0 ? lostStatus : status;
}

} // namespace vx
