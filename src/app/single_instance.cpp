// Which of several starts runs is settled by a lock file, not by the socket:
// trying to connect and then listening is no atomic step, so two starts at
// once both found no one and both ran. The lock is taken with O_EXCL and held
// with flock(), so a lock whose holder was killed is recognised as stale and
// taken over, while a live holder's lock is never removed.
#include "single_instance.h"

#include "core/base/localization.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <unistd.h>

namespace vx {

namespace {
constexpr int answerTimeoutMs = 1500;
// How long a start waits for the lock's holder to listen: its start-up, which
// takes tens of milliseconds, more on a loaded machine or under sanitizers.
constexpr int handOverTimeoutMs = 15000;
constexpr unsigned long retryIntervalMs = 20;
const QByteArray openSettingsMessage = "open-settings\n";
// Anyone of this user may connect: what one sends is read no further than a
// message could be long, and one who says nothing is dropped, so neither
// memory nor descriptors grow with what a client does.
constexpr qint64 longestLine = 64;
constexpr int clientTimeoutMs = 1000;

void serve(QLocalSocket* socket, const std::function<void()>& onRequest) {
    socket->setReadBufferSize(longestLine);
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto drop = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    QTimer::singleShot(clientTimeoutMs, socket, drop);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, onRequest, drop] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= longestLine)
                drop();
            return;
        }
        if (socket->readLine(longestLine + 1) == openSettingsMessage)
            onRequest();
        socket->disconnectFromServer();
    });
}

QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    // Not the shared temp folder itself, where another user could make our
    // lock file first and keep us from starting: Qt's stand-in runtime folder
    // there is ours alone (0700, refused when someone else owns it).
    const QString own = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!own.isEmpty() && QFileInfo(own).isDir())
        return own;
    return QDir::tempPath();
}
} // namespace

QString SingleInstance::socketName(const QString& display) {
    // ":0" and ":0.0" are one display: the screen number after the dot goes.
    QString name = display;
    const auto colon = name.lastIndexOf(QChar(':'));
    if (const auto dot = name.indexOf(QChar('.'), colon); colon >= 0 && dot > colon)
        name.truncate(dot);
    QString safe;
    for (const QChar c : name)
        safe += c.isLetterOrNumber() ? c : QChar('_');
    return runtimeFolder() + QStringLiteral("/vortaxis-%1-%2").arg(::getuid()).arg(safe);
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

void SingleInstance::release() {
    // Only the files: this may run on any of Qt's threads, just before exec
    // closes our descriptors (Qt opens them close-on-exec) and with them the
    // lock's hold.
    QLocalServer::removeServer(name_);
    if (lock_)
        QFile::remove(lock_->fileName());
}

SingleInstance::Start SingleInstance::claim(QString* problem) {
    lock_ = std::make_unique<QLockFile>(name_ + QStringLiteral(".lock"));
    const QDeadlineTimer deadline(handOverTimeoutMs);
    for (;;) {
        if (lock_->tryLock(0))
            return Start::run;
        if (lock_->error() != QLockFile::LockFailedError) {
            // No lock can be made here: only the socket can tell, as before.
            if (problem)
                *problem = QString::fromStdString(
                    localized("cannot make sure only one Vortaxis runs: no lock file %1",
                              {lock_->fileName().toStdString()}));
            lock_.reset();
            return notifyRunningInstance() ? Start::handedOver : Start::run;
        }
        // Held by a live instance, which may still be starting up.
        if (notifyRunningInstance())
            return Start::handedOver;
        if (deadline.hasExpired()) {
            if (problem)
                *problem = QString::fromStdString(
                    localized("another Vortaxis holds %1 but does not answer",
                              {lock_->fileName().toStdString()}));
            return Start::noAnswer;
        }
        QThread::msleep(retryIntervalMs);
    }
}

bool SingleInstance::notifyRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(openSettingsMessage);
    if (!socket.waitForBytesWritten(answerTimeoutMs))
        return false;
    // The running one closes after reading: then the message has arrived.
    socket.waitForDisconnected(answerTimeoutMs);
    return true;
}

bool SingleInstance::listen(std::function<void()> onRequest, QString* error) {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, no live instance listens here: a socket is a dead one's.
    // Without the lock, only a socket that refused to be listened on is removed.
    if (lock_)
        QLocalServer::removeServer(name_);
    bool listening = server_->listen(name_);
    if (!listening && !lock_) {
        QLocalServer::removeServer(name_);
        listening = server_->listen(name_);
    }
    if (!listening) {
        if (error)
            *error = server_->errorString();
        server_.reset();
        return false;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [server = server_.get(), onRequest = std::move(onRequest)] {
                         while (QLocalSocket* socket = server->nextPendingConnection())
                             serve(socket, onRequest);
                     });
    return true;
}

} // namespace vx
