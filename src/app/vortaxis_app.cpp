// Start-up order: the diagnostic mode before anything else; then the
// application object, the single-instance check, the X platform, the model
// (which starts the session and so the key monitoring), and the tray icon.
#include "vortaxis_app.h"

#include "app/app_model.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "app/x11_platform.h"
#include "core/base/localization.h"
#include "core/base/system_log.h"
#include "core/menu/radial_menu_panel_controller.h"
#include "core/menu/screen_edge_highlight.h"
#include "core/window/window_probe.h"
#include "qt/menu/overlay_panels.h"
#include "qt/qsettings_defaults_store.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/qt_http_fetcher.h"
#include "qt/settings/settings_window.h"
#include "qt/settings/translations.h"

#include <QApplication>
#include <QPixmapCache>
#include <QSystemTrayIcon>
#include <cstdio>
#include <iostream>
#include <syslog.h>

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
        platform->windowSystem(), platform->trust(),
        [&](std::chrono::milliseconds atMost) { platform->settle(atMost); }, std::cout, std::cerr);
}

} // namespace

int runVortaxis(const CommandLine& line, int& argc, char** argv) {
    const std::string display = displayName(line);
    if (display.empty()) {
        std::cerr << "vortaxis: " << localized("no X display (DISPLAY is not set)") << '\n';
        return 1;
    }
    if (line.probe)
        return runProbe(display);
    // An X11 program: on a desktop that offers both, Qt must not pick Wayland,
    // or its panels would not share coordinates with the windows we move.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", QByteArray::fromStdString(display));

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
    SingleInstance instance(SingleInstance::socketName(QString::fromStdString(display)));
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

    installLogSink();
    QtRunLoop runLoop;
    int lostStatus = 0;
    std::string error;
    auto platform = X11Platform::open(
        display, runLoop,
        [&](const std::string& why) {
            std::cerr << "vortaxis: " << localized("lost the X server (%1); exiting", {why})
                      << '\n';
            lostStatus = 1;
            QCoreApplication::exit(1);
        },
        &error);
    if (!platform) {
        std::cerr << "vortaxis: " << error << '\n';
        return 1;
    }

    QSettingsDefaultsStore store;
    qt::QtHttpFetcher fetcher;
    const auto overlays = makeOverlayPanelFactories(
        x11OverlayPlatform(rootPlacement(platform->desktopToRoot(), platform->scaleFactor())));
    AppModel model(AppPlatform{
        runLoop, platform->screens(), platform->windowSystem(), platform->trust(), platform->keys(),
        platform->layout(), platform->scroll(), platform->desktopAccess(), store, fetcher,
        [&] { return std::make_unique<RadialMenuPanelController>(overlays.menu); },
        [&] { return std::make_unique<ScreenEdgeHighlightController>(overlays.outline); }});

    qt::SettingsWindow settings(model.permissions(), model.hotkeys(), model.updates(),
                                platform->keys(), &platform->layout());
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
