// Waiting in Qt tests: the event loop blocks for events until a condition holds
// or a deadline passes. Never a sleep; the deadline only bounds a failure, and
// a light heartbeat re-checks conditions that change outside the loop.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace vx::test {

inline bool runEventsUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds deadline = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    QTimer heartbeat;
    heartbeat.start(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace vx::test
