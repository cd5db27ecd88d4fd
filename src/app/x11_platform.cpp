// The connection's events reach the seams through one dispatch: the socket
// notifier calls it when X sent something, and the connection asks for it (a
// posted task) when a reply wait read events off the socket behind its back.
#include "x11_platform.h"

#include "qt/qt_fd_watcher.h"
#include "x11/connection.h"
#include "x11/monitors.h"
#include "x11/x11_access_trust.h"
#include "x11/x11_desktop_access.h"
#include "x11/x11_key_source.h"
#include "x11/x11_keyboard_layout.h"
#include "x11/x11_screens.h"
#include "x11/x11_scroll_source.h"
#include "x11/x11_window_system.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <cstring>

namespace vx {

namespace {

// An application's icon from the icon theme, 64 x 64, as core's straight RGBA.
std::optional<Image> themeIcon(const std::string& name) {
    const QIcon icon = QIcon::fromTheme(QString::fromStdString(name));
    if (icon.isNull())
        return std::nullopt;
    const QImage image = icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return std::nullopt;
    Image out;
    out.width = image.width();
    out.height = image.height();
    const auto row = static_cast<std::size_t>(out.width) * 4;
    out.rgba.resize(row * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.rgba.data() + row * static_cast<std::size_t>(y), image.constScanLine(y),
                    row);
    return out;
}

} // namespace

struct X11Platform::Parts {
    RunLoop& runLoop;
    std::function<void(const std::string&)> onLost;
    std::unique_ptr<x11::Connection> connection;
    std::unique_ptr<x11::X11KeyboardLayout> layout;
    std::unique_ptr<x11::X11KeySource> keys;
    std::unique_ptr<x11::X11ScrollSource> scroll;
    std::unique_ptr<x11::X11DesktopAccess> desktopAccess;
    std::unique_ptr<x11::X11Screens> screens;
    std::unique_ptr<x11::X11WindowSystem> windowSystem;
    std::unique_ptr<x11::X11AccessTrust> trust;
    std::unique_ptr<QtFdWatcher> watcher;
    bool lost = false;
    double scale = 1.0;

    void dispatch() {
        if (lost)
            return;
        if (auto why = connection->dispatch()) {
            lost = true;
            watcher->stop();
            // Not from inside the notifier's own signal: the owner may tear down.
            runLoop.post([onLost = onLost, why = *why] { onLost(why); });
        }
    }
};

std::unique_ptr<X11Platform> X11Platform::open(const std::string& display, RunLoop& runLoop,
                                               std::function<void(const std::string&)> onLost,
                                               std::string* error) {
    auto parts = std::unique_ptr<Parts>(
        new Parts{runLoop, std::move(onLost), {}, {}, {}, {}, {}, {}, {}, {}, {}, false, 1.0});
    parts->connection = x11::Connection::open(display, error);
    if (!parts->connection)
        return nullptr;
    auto& conn = *parts->connection;
    parts->layout = x11::X11KeyboardLayout::create(conn, error);
    if (!parts->layout)
        return nullptr;
    parts->keys = x11::X11KeySource::create(conn, *parts->layout, error);
    if (!parts->keys)
        return nullptr;
    parts->scroll = std::make_unique<x11::X11ScrollSource>(conn);
    parts->desktopAccess = std::make_unique<x11::X11DesktopAccess>(conn);
    parts->scale = x11::readScaleFactor(conn);
    parts->screens = std::make_unique<x11::X11Screens>(conn, parts->scale);
    parts->windowSystem = std::make_unique<x11::X11WindowSystem>(
        conn, x11::X11WindowSystem::Options{parts->scale, std::chrono::milliseconds(400)});
    // Only with a GUI application object: the diagnostic mode runs without one.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        parts->windowSystem->setIconLookup(themeIcon);
    parts->trust = std::make_unique<x11::X11AccessTrust>(&conn);

    auto* raw = parts.get();
    parts->watcher = std::make_unique<QtFdWatcher>(
        conn.fd(), [raw] { raw->dispatch(); }, nullptr);
    conn.setWakeup([raw] { raw->runLoop.post([raw] { raw->dispatch(); }); });
    conn.setTurnPoster([raw](std::function<void()> task) { raw->runLoop.post(std::move(task)); });
    conn.flush();
    raw->dispatch(); // anything that arrived while the seams were set up
    return std::unique_ptr<X11Platform>(new X11Platform(std::move(parts)));
}

X11Platform::X11Platform(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

X11Platform::~X11Platform() {
    if (parts_->connection) {
        parts_->connection->setWakeup(nullptr);
        parts_->connection->setTurnPoster(nullptr);
    }
}

DesktopSeams X11Platform::seams() {
    return {*parts_->screens, *parts_->windowSystem, *parts_->trust,        *parts_->keys,
            *parts_->layout,  *parts_->scroll,       *parts_->desktopAccess};
}

DesktopToRoot X11Platform::desktopToRoot() const {
    // The inverse of the screens' conversion: desktop y counts up from the
    // primary monitor's bottom edge, in points of the one scale factor.
    auto* parts = parts_.get();
    return [parts](Point p) {
        const auto primary = x11::primaryMonitor(x11::readMonitors(*parts->connection));
        const x11::PixelRect rect = primary ? primary->rect : x11::rootSize(*parts->connection);
        return QPointF(rect.x + p.x * parts->scale, rect.bottom() - p.y * parts->scale);
    };
}

ScaleFactor X11Platform::scaleFactor() const {
    auto* parts = parts_.get();
    return [parts] { return parts->scale; };
}

void X11Platform::settle(std::chrono::milliseconds atMost) {
    parts_->connection->waitFor([](const xcb_generic_event_t&) { return false; },
                                x11::deadlineIn(atMost));
    parts_->dispatch();
}

} // namespace vx
