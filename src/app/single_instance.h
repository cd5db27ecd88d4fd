// One Vortaxis per user and display. The start that takes a lock file next to
// the instance socket runs and listens on the socket; any other start asks the
// running one to open its settings window, and leaves.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace vx {

class SingleInstance {
public:
    // The socket's path for this user on `display` (":0", "localhost:10.0" ...),
    // in $XDG_RUNTIME_DIR when that is set, else in the temporary folder.
    static QString socketName(const QString& display);

    explicit SingleInstance(QString name);
    ~SingleInstance();

    enum class Start {
        run,        // this process is the instance (`problem` may name a weaker guarantee)
        handedOver, // the running instance took the message: exit 0
        noAnswer,   // an instance holds the lock but never answered (`problem` says so)
    };
    // Decides, atomically among simultaneous starts, which one runs. The lock is
    // held for the life of this object; a lock left by an instance that died is
    // taken over. A start that finds the lock held waits, bounded, for its
    // holder to listen.
    Start claim(QString* problem);
    // Listens for later starts; `onRequest` runs for each. False (and the
    // reason in `error`) when the socket cannot be created.
    bool listen(std::function<void()> onRequest, QString* error);

    // Gives up the lock and the socket now, for a start again in this process.
    void release();

private:
    bool notifyRunningInstance();

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace vx
