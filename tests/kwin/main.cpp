// The KWin suite runs itself again in dbus-run-session with a private runtime
// folder, away from the desktop's bus; without kwin_wayland, only what needs no KWin.
#include "kwin_harness.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("VX_KWIN_TEST_BUS")) {
        const QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/vx-kwin-XXXXXX"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("VX_KWIN_TEST_BUS", "1");
        QStringList args{QStringLiteral("--")};
        for (int i = 0; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        const int status = QProcess::execute(QStringLiteral("dbus-run-session"), args);
        return runtime.isValid() && status >= 0 ? status : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")).isEmpty())
        GTEST_FLAG_SET(filter, "KWinScriptTest.*");
    QCoreApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    vx::test::killKWin();
    return status;
}
