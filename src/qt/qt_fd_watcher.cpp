// A QSocketNotifier plus the event dispatcher's aboutToBlock signal.
#include "qt_fd_watcher.h"

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

namespace vx {

struct QtFdWatcher::State {
    QSocketNotifier notifier;
    QMetaObject::Connection idleHook;

    explicit State(int fd) : notifier(fd, QSocketNotifier::Read) {}
};

QtFdWatcher::QtFdWatcher(int fd, std::function<void()> onReadable, std::function<void()> beforeIdle)
    : state_(std::make_unique<State>(fd)) {
    QObject::connect(&state_->notifier, &QSocketNotifier::activated, &state_->notifier,
                     [onReadable = std::move(onReadable)] { onReadable(); });
    auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    if (beforeIdle && dispatcher)
        state_->idleHook =
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &state_->notifier,
                             [beforeIdle = std::move(beforeIdle)] { beforeIdle(); });
}

QtFdWatcher::~QtFdWatcher() {
    stop();
}

void QtFdWatcher::stop() {
    state_->notifier.setEnabled(false);
    QObject::disconnect(state_->idleHook);
}

} // namespace vx
