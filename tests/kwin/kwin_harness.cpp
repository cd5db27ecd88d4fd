// Starting and ending the headless KWin, its clients and the fake input.
#include "kwin_harness.h"

#include "fake-input-client.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QVariantMap>
#include <cstring>
#include <unistd.h>
#include <wayland-client.h>

namespace vx::test {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");

bool kwinOnBus() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kwinService).value();
}

// KWin takes its name on the bus before its scripting object is there.
bool scriptingAnswers() {
    return callScripting(QStringLiteral("isScriptLoaded"), {QStringLiteral("vortaxis-probe")})
               .type() == QDBusMessage::ReplyMessage;
}

// The packaged binary may carry a file capability a container refuses at exec;
// the copy keeps the name KWin checks. A failed copy shows as KWin not starting.
QString kwinCopy() {
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kwin-bin");
    QDir().mkpath(dir);
    QFile::copy(QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")),
                dir + QStringLiteral("/kwin_wayland"));
    return dir + QStringLiteral("/kwin_wayland");
}

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        *static_cast<org_kde_kwin_fake_input**>(data) =
            static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
                registry, name, &org_kde_kwin_fake_input_interface, std::min(version, 4u)));
}
void removed(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener listener{announced, removed};

struct KWin {
    QProcess process; // its Wayland clients end when it does
    QString socket;
    wl_display* display = nullptr; // the fake input's connection
    org_kde_kwin_fake_input* input = nullptr;
    bool connectInput() {
        display = wl_display_connect(socket.toLocal8Bit().constData());
        if (!display)
            return false;
        wl_registry* registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, &input);
        wl_display_roundtrip(display);
        wl_registry_destroy(registry);
        if (input)
            org_kde_kwin_fake_input_authenticate(input, "vortaxis tests", "drive the gesture");
        return input && wl_display_roundtrip(display) >= 0;
    }
    // KWin ends as a crash would: the tests have nothing it should save.
    ~KWin() {
        if (input)
            org_kde_kwin_fake_input_destroy(input);
        if (display)
            wl_display_disconnect(display);
        process.kill();
        process.waitForFinished(5000);
        // The next KWin must not find this one's name still taken.
        waitUntil([] { return !kwinOnBus(); });
    }
};
std::unique_ptr<KWin> shared;

} // namespace

QDBusMessage callBus(const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QVariantList& arguments) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

QDBusMessage callScripting(const QString& method, const QVariantList& arguments) {
    return callBus(kwinService, QStringLiteral("/Scripting"),
                   QStringLiteral("org.kde.kwin.Scripting"), method, arguments);
}

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds deadline) {
    const QDeadlineTimer timer(deadline);
    bool done = false; // asked once per turn: `ready` may consume what it reads
    while (!(done = ready()) && !timer.hasExpired())
        QCoreApplication::processEvents(
            QEventLoop::WaitForMoreEvents,
            static_cast<int>(std::max<qint64>(1, timer.remainingTime())));
    return done;
}

bool kwinUp() {
    if (shared)
        return true;
    auto kwin = std::make_unique<KWin>();
    // The same socket each time, as Plasma restarts a crashed KWin.
    kwin->socket = QStringLiteral("vx-kwin");
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KWIN_WAYLAND_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    env.insert(QStringLiteral("KWIN_SCREENSHOT_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DISPLAY"));
    kwin->process.setProcessEnvironment(env);
    // Its clients, the program among them, inherit what finds it.
    qputenv("WAYLAND_DISPLAY", kwin->socket.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "wayland");
    qunsetenv("DISPLAY");
    // KWin says much on every start; it is kept for a failure to be read.
    const QString log = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kwin.log");
    kwin->process.setProcessChannelMode(QProcess::MergedChannels);
    kwin->process.setStandardOutputFile(log, QIODevice::Append);
    kwin->process.start(
        kwinCopy(), {QStringLiteral("--virtual"), QStringLiteral("--width=1280"),
                     QStringLiteral("--height=800"), QStringLiteral("--output-count=2"),
                     QStringLiteral("--no-lockscreen"), QStringLiteral("--socket"), kwin->socket});
    if (!kwin->process.waitForStarted(5000) ||
        !waitUntil(scriptingAnswers, std::chrono::seconds(15)) || !kwin->connectInput()) {
        ADD_FAILURE() << "kwin_wayland did not come up on the bus with fake input: "
                      << kwin->process.errorString().toStdString() << " (see kwin.log)";
        return false;
    }
    shared = std::move(kwin);
    return true;
}

bool killKWin() {
    shared.reset();
    return !kwinOnBus();
}

void openWindow(const QString& title, bool panel) {
    const char* size = panel ? "1280 30 panel" : "500 400";
    QProcess::startDetached(QStringLiteral(VX_FIXTURE_WINDOW),
                            QStringList{title} + QString::fromLatin1(size).split(QLatin1Char(' ')));
}

// Each request is followed by a round trip, so KWin has handled it on return.
void fake::key(std::uint32_t evdev, bool pressed) {
    org_kde_kwin_fake_input_keyboard_key(shared->input, evdev, pressed ? 1 : 0);
    wl_display_roundtrip(shared->display);
}

void fake::moveTo(double x, double y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(shared->input, wl_fixed_from_double(x),
                                                    wl_fixed_from_double(y));
    wl_display_roundtrip(shared->display);
}

void fake::button(std::uint32_t linuxButton, bool pressed) {
    org_kde_kwin_fake_input_button(shared->input, linuxButton, pressed ? 1 : 0);
    wl_display_roundtrip(shared->display);
}

void fake::wheel(double value) {
    org_kde_kwin_fake_input_axis(shared->input, 0, wl_fixed_from_double(value));
    wl_display_roundtrip(shared->display);
}

std::unique_ptr<kwin::KWinBridge> reportingBridge(const QString& name, qint64 ownPid) {
    QString error;
    auto bridge = kwin::KWinBridge::start(QDBusConnection::sessionBus(), &error, name, ownPid);
    if (!bridge)
        ADD_FAILURE() << error.toStdString();
    else if (!waitUntil([&] { return bridge->isReporting(); }))
        ADD_FAILURE() << "the KWin script never reported";
    return bridge;
}

std::optional<kwin::KWinWindow> reportedWindow(const kwin::KWinBridge& bridge,
                                               const QString& title) {
    std::optional<kwin::KWinWindow> found;
    waitUntil([&] {
        for (const auto& w : bridge.desktop().windows)
            if (w.caption == title)
                found = w;
        return found.has_value();
    });
    return found;
}

bool saveScreenshot(const QString& path) {
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const auto reply =
        callBus(kwinService, QStringLiteral("/org/kde/KWin/ScreenShot2"),
                QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureWorkspace"),
                {QVariantMap{}, QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))});
    ::close(fds[1]);
    // KWin writes the pixels after answering, then closes its end.
    QFile pixels;
    pixels.open(fds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle);
    const QByteArray data = pixels.readAll();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto info = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    auto n = [&](const char* key) { return info.value(QLatin1String(key)).toInt(); };
    if (n("width") <= 0 || data.size() < qsizetype{n("stride")} * n("height"))
        return false;
    return QImage(reinterpret_cast<const uchar*>(data.constData()), n("width"), n("height"),
                  n("stride"), static_cast<QImage::Format>(n("format")))
        .save(path);
}

} // namespace vx::test
