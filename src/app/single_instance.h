// One Vortaxis per user and display. The first start listens on a local socket
// named after both; a later start finds it, asks it to open its settings
// window, and leaves.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace vx {

class SingleInstance {
public:
    // The socket name for this user on `display` (":0", "localhost:10.0" ...).
    static QString socketName(const QString& display);

    explicit SingleInstance(QString name);
    ~SingleInstance();

    // True when another instance took the message; this process should exit 0.
    bool notifyRunningInstance();
    // Becomes the running instance; `onRequest` runs for each later start.
    // False (and the reason in `error`) when the socket cannot be created.
    bool listen(std::function<void()> onRequest, QString* error);

private:
    QString name_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace vx
