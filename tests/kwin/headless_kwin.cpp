// Starting and ending the headless KWin and its client windows.
#include "headless_kwin.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QVariantMap>
#include <atomic>
#include <poll.h>
#include <unistd.h>

namespace vx::test {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");

bool kwinOnBus() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kwinService).value();
}

// KWin takes its name on the bus before its scripting object is there; a
// test that loads a script at once must wait for the object itself.
bool scriptingAnswers() {
    auto message = QDBusMessage::createMethodCall(kwinService, QStringLiteral("/Scripting"),
                                                  QStringLiteral("org.kde.kwin.Scripting"),
                                                  QStringLiteral("isScriptLoaded"));
    message.setArguments({QStringLiteral("vortaxis-probe")});
    return QDBusConnection::sessionBus().call(message).type() == QDBusMessage::ReplyMessage;
}

// The copy lives beside the suite's runtime folder, made once per run.
QString kwinCopy() {
    static const QString copy = [] {
        const QString original = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
        const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kwin-bin");
        QDir().mkpath(dir);
        const QString target = dir + QStringLiteral("/kwin_wayland");
        QFile::remove(target);
        if (original.isEmpty() || !QFile::copy(original, target))
            return QString();
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner);
        return target;
    }();
    return copy;
}

} // namespace

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds deadline) {
    QDeadlineTimer timer(deadline);
    while (!ready()) {
        if (timer.hasExpired())
            return false;
        QCoreApplication::processEvents(
            QEventLoop::WaitForMoreEvents,
            static_cast<int>(std::max<qint64>(1, timer.remainingTime())));
    }
    return true;
}

bool saveScreenshot(const QString& path) {
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    auto message = QDBusMessage::createMethodCall(
        kwinService, QStringLiteral("/org/kde/KWin/ScreenShot2"),
        QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureWorkspace"));
    message.setArguments({QVariantMap{}, QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))});
    ::close(fds[1]);
    const auto reply = QDBusConnection::sessionBus().call(message);
    QByteArray data;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        // KWin writes the pixels after answering, then closes its end.
        char buffer[65536];
        pollfd ready{fds[0], POLLIN, 0};
        while (::poll(&ready, 1, 5000) > 0) {
            const auto n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            data.append(buffer, static_cast<qsizetype>(n));
        }
    }
    ::close(fds[0]);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto info = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    const int width = info.value(QStringLiteral("width")).toInt();
    const int height = info.value(QStringLiteral("height")).toInt();
    const int stride = info.value(QStringLiteral("stride")).toInt();
    const auto format = static_cast<QImage::Format>(info.value(QStringLiteral("format")).toInt());
    if (width <= 0 || height <= 0 || data.size() < qsizetype{stride} * height)
        return false;
    return QImage(reinterpret_cast<const uchar*>(data.constData()), width, height, stride, format)
        .save(path);
}

bool kwinInstalled() {
    return !QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")).isEmpty();
}

std::unique_ptr<HeadlessKWin> HeadlessKWin::start(Options options, QString* error) {
    auto kwin = std::unique_ptr<HeadlessKWin>(new HeadlessKWin);
    const QString binary = kwinCopy();
    if (binary.isEmpty()) {
        *error = QStringLiteral("cannot copy kwin_wayland");
        return nullptr;
    }
    static int serial = 0;
    kwin->socket_ = QStringLiteral("vx-kwin-%1").arg(++serial);
    kwin->kwin_ = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KWIN_WAYLAND_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    env.insert(QStringLiteral("KWIN_SCREENSHOT_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DISPLAY"));
    kwin->kwin_->setProcessEnvironment(env);
    // KWin says much on every start; it is kept for a failure to be read.
    const QString log = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kwin.log");
    kwin->kwin_->setStandardOutputFile(log, QIODevice::Append);
    kwin->kwin_->setStandardErrorFile(log, QIODevice::Append);
    kwin->kwin_->start(binary, {QStringLiteral("--virtual"), QStringLiteral("--width"),
                                QString::number(options.width), QStringLiteral("--height"),
                                QString::number(options.height), QStringLiteral("--output-count"),
                                QString::number(options.outputs), QStringLiteral("--no-lockscreen"),
                                QStringLiteral("--socket"), kwin->socket_});
    if (!kwin->kwin_->waitForStarted(5000) ||
        !waitUntil([] { return kwinOnBus() && scriptingAnswers(); },
                   std::chrono::milliseconds(15000))) {
        *error = QStringLiteral("kwin_wayland did not come up on the bus: ") +
                 kwin->kwin_->errorString();
        return nullptr;
    }
    return kwin;
}

HeadlessKWin::~HeadlessKWin() {
    for (auto& client : clients_) {
        client->kill();
        client->waitForFinished(2000);
    }
    if (kwin_ && kwin_->state() != QProcess::NotRunning) {
        kwin_->terminate();
        if (!kwin_->waitForFinished(5000)) {
            kwin_->kill();
            kwin_->waitForFinished(2000);
        }
    }
    // The next KWin must not find this one's name still taken.
    waitUntil([] { return !kwinOnBus(); }, std::chrono::milliseconds(5000));
}

bool HeadlessKWin::kill() {
    kwin_->kill();
    kwin_->waitForFinished(5000);
    return waitUntil([] { return !kwinOnBus(); }, std::chrono::milliseconds(5000));
}

QProcess* HeadlessKWin::openWindow(const QString& title, int width, int height) {
    auto client = std::make_unique<QProcess>();
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.remove(QStringLiteral("DISPLAY"));
    client->setProcessEnvironment(env);
    client->setStandardErrorFile(QProcess::nullDevice());
    client->start(QStringLiteral(VX_FIXTURE_WINDOW),
                  {title, QString::number(width), QString::number(height)});
    client->waitForStarted(5000);
    clients_.push_back(std::move(client));
    return clients_.back().get();
}

} // namespace vx::test
