// A socket left behind by a crashed instance answers no connection; it is
// removed and taken over. The wait for the running instance is bounded.
#include "single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace vx {

namespace {
constexpr int answerTimeoutMs = 1500;
const QByteArray openSettingsMessage = "open-settings\n";
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
    return QStringLiteral("vortaxis-%1-%2").arg(::getuid()).arg(safe);
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

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
    if (!server_->listen(name_)) {
        QLocalServer::removeServer(name_); // left by an instance that died
        if (!server_->listen(name_)) {
            if (error)
                *error = server_->errorString();
            server_.reset();
            return false;
        }
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [server = server_.get(), onRequest = std::move(onRequest)] {
                         while (QLocalSocket* socket = server->nextPendingConnection()) {
                             QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                              &QObject::deleteLater);
                             QObject::connect(socket, &QLocalSocket::readyRead, socket,
                                              [socket, onRequest] {
                                                  if (!socket->canReadLine())
                                                      return;
                                                  if (socket->readLine() == openSettingsMessage)
                                                      onRequest();
                                                  socket->disconnectFromServer();
                                              });
                         }
                     });
    return true;
}

} // namespace vx
