// The restart goes through exec, not a parent process: the process, its pid
// and its arguments stay what the session started, and there is no second
// process to forward signals to or to leave behind. Qt's last message is the
// only notice a Wayland client gets of the loss (Qt 6.4 says it as a warning
// and then calls _exit, later versions as a fatal message), so the restart
// hangs on the message handler.
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
    // Looked for ten times a second: a rare wait of a few seconds, after a
    // crash, and a socket is made before it listens, which a watch on the
    // folder would not tell.
    const std::string path = socketPath();
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!socketAnswers(path)) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        ::poll(nullptr, 0, 100);
    }
    return true;
}

} // namespace vx
