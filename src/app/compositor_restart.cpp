// The restart goes through exec, not a parent process: the process, its pid
// and its arguments stay what the session started, and there is no second
// process to forward signals to or to leave behind. Qt's fatal message is the
// only notice a Wayland client gets of the loss, so the restart hangs on the
// message handler.
// Qt 6.4 says it as a warning and then calls _exit; later versions say it
// as a fatal message.
#include "app/compositor_restart.h"

#include "core/base/localization.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vx {

namespace {

constexpr const char* restartedVariable = "VX_RESTARTED_AFTER_COMPOSITOR";

char** savedArgv = nullptr;
std::function<void()> releaseBeforeRestart;
QtMessageHandler previousHandler = nullptr;

// The compositor's socket: $WAYLAND_DISPLAY, relative to $XDG_RUNTIME_DIR
// unless it is a path.
std::string socketPath() {
    const QByteArray name =
        qgetenv("WAYLAND_DISPLAY").isEmpty() ? QByteArray("wayland-0") : qgetenv("WAYLAND_DISPLAY");
    if (name.startsWith('/'))
        return name.toStdString();
    return qgetenv("XDG_RUNTIME_DIR").toStdString() + "/" + name.toStdString();
}

bool socketAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // NOLINTNEXTLINE: the sockets API takes the generic address type.
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return answered;
}

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt's words for a compositor that went away, said just before it ends
    // the process (a protocol error is not one).
    if (savedArgv && message.startsWith(QLatin1String("The Wayland connection broke"))) {
        // Each of Qt's Wayland threads may say it; the first restarts, and
        // the others must not return to the _exit that follows.
        static std::atomic_flag restarting = ATOMIC_FLAG_INIT;
        if (restarting.test_and_set())
            for (;;)
                ::pause();
        std::fprintf(stderr, "vortaxis: %s\n",
                     localized("KWin has stopped; Vortaxis starts again when it is back.").c_str());
        if (releaseBeforeRestart)
            releaseBeforeRestart();
        ::setenv(restartedVariable, "1", 1);
        ::execv("/proc/self/exe", savedArgv);
        std::fprintf(stderr, "vortaxis: cannot start again: %s\n", std::strerror(errno));
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void restartWhenCompositorDies(char** argv, std::function<void()> release) {
    savedArgv = argv;
    releaseBeforeRestart = std::move(release);
    previousHandler = qInstallMessageHandler(onMessage);
}

bool awaitCompositorIfRestarted(std::chrono::seconds deadline) {
    if (qEnvironmentVariableIsEmpty(restartedVariable))
        return true;
    ::unsetenv(restartedVariable);
    const std::string path = socketPath();
    const std::string folder = path.substr(0, path.rfind('/'));
    // Woken by anything made in the socket's folder; the socket is tried then.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch >= 0)
        ::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_ATTRIB);
    const auto end = std::chrono::steady_clock::now() + deadline;
    bool back = socketAnswers(path);
    while (!back && std::chrono::steady_clock::now() < end) {
        // A socket is made before it listens: a short look again covers that.
        pollfd ready{watch, POLLIN, 0};
        ::poll(&ready, watch >= 0 ? 1 : 0, 100);
        if (ready.revents & POLLIN) {
            char events[4096];
            [[maybe_unused]] const auto n = ::read(watch, events, sizeof(events));
        }
        back = socketAnswers(path);
    }
    if (watch >= 0)
        ::close(watch);
    return back;
}

} // namespace vx
