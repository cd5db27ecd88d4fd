// Waiting in Qt tests: the event loop runs until a condition holds or a
// deadline passes, never a sleep; a light heartbeat re-checks conditions that
// change outside the loop.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <functional>

namespace vx::test {

inline bool runEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(2000);
    QTimer heartbeat;
    heartbeat.start(20);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace vx::test
