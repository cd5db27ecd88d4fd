// Where the script's calls land: on a thread of their own, so that a read
// made while the program's thread is busy inside core can still wait for the
// script's next report without running that thread's event loop (which would
// re-enter core through its timers and input).
#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace vx::kwin {

// Everything the script sent since it was last taken, in the order it came.
struct ScriptMail {
    std::vector<QString> reports;
    std::optional<QDBusMessage> next; // the script's open call, to be answered
};

class ScriptInbox final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vortaxis.KWinBridge")

public:
    // `onMail` runs on the inbox's thread whenever something arrives.
    explicit ScriptInbox(std::function<void()> onMail) : onMail_(std::move(onMail)) {}

    ScriptMail take();
    // False when nothing arrived before the deadline.
    bool waitForMail(std::chrono::steady_clock::time_point deadline);

public Q_SLOTS:
    // Called by the script: a part of the desktop's state as JSON.
    Q_SCRIPTABLE void report(const QString& json);
    // Called by the script: answered with the next request when there is one.
    Q_SCRIPTABLE QString next();

private:
    void arrived();

    std::mutex mutex_;
    std::condition_variable mailCame_;
    ScriptMail mail_;
    std::function<void()> onMail_;
};

} // namespace vx::kwin
