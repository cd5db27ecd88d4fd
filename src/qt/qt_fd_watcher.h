// Feeds a file descriptor's input into the Qt event loop without a thread and
// without polling: a socket notifier reports when the descriptor is readable,
// and a hook just before the loop goes idle catches input a library already
// read into its own queue (xcb does that while it waits for a reply, and the
// socket then stays quiet although events are waiting).
#pragma once

#include <functional>
#include <memory>

namespace vx {

class QtFdWatcher {
public:
    // `onReadable` runs when `fd` has input; `beforeIdle` (when given) each time
    // the loop is about to block. Both on the thread that creates the watcher; neither may
    // block. The descriptor stays owned by the caller.
    QtFdWatcher(int fd, std::function<void()> onReadable, std::function<void()> beforeIdle);
    ~QtFdWatcher();
    QtFdWatcher(const QtFdWatcher&) = delete;
    QtFdWatcher& operator=(const QtFdWatcher&) = delete;

    // Stops watching (for a descriptor that has closed or failed for good).
    void stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vx
