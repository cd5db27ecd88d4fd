// The KWin suite's entry: it runs itself again inside dbus-run-session with a
// private runtime folder, so the KWin it starts never meets the desktop's bus.
#include "suite_kwin.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    if (!std::getenv("VX_KWIN_TEST_BUS")) {
        QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/vx-kwin-XXXXXX"));
        if (!runtime.isValid())
            return 1;
        ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
        ::setenv("VX_KWIN_TEST_BUS", "1", 1);
        std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::execvp("dbus-run-session", args.data());
            ::_exit(127); // only when dbus-run-session is missing
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) < 0)
            return 1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    vx::test::stopSuiteKWin();
    return status;
}
