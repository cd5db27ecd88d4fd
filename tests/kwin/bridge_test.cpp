// The script's life in KWin: it reports the outputs and windows, it is
// Vortaxis's alone and gone after exit, a copy left by a crash does not stop
// the next start, and KWin dying leaves a clear status and a working program.
#include "kwin/kwin_screens.h"
#include "kwin/kwin_script.h"
#include "suite_kwin.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryFile>

namespace vx::test {
namespace {

bool scriptLoaded() {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
        QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
    message.setArguments({QString::fromLatin1(kwin::scriptPluginName)});
    const auto reply = QDBusConnection::sessionBus().call(message);
    return !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
}

TEST(KWinBridgeTest, ReportsBothOutputsAndTheActiveWindow) {
    VX_REQUIRE_KWIN();
    auto* process = suiteKWin()->openWindow(QStringLiteral("bridge report"));
    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    const auto window = reportedWindow(*bridge, QStringLiteral("bridge report"));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->pid, process->processId());
    EXPECT_TRUE(waitUntil([&] { return bridge->desktop().active == window->id; }));

    const kwin::KWinScreens screens(*bridge);
    const auto all = screens.screens();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].frame, Rect(0, 0, 1280, 800));
    EXPECT_EQ(all[1].frame, Rect(1280, 0, 1280, 800));
}

TEST(KWinBridgeTest, LeavesNothingLoadedAndOutlivesACrashedCopy) {
    VX_REQUIRE_KWIN();
    // What a crashed run leaves: a script under our name that nobody answers.
    QTemporaryFile leftover;
    ASSERT_TRUE(leftover.open());
    leftover.write("// left by a crash\n");
    leftover.flush();
    auto load = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
        QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("loadScript"));
    load.setArguments({leftover.fileName(), QString::fromLatin1(kwin::scriptPluginName)});
    ASSERT_EQ(QDBusConnection::sessionBus().call(load).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(scriptLoaded());

    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    EXPECT_TRUE(bridge->isReporting());
    bridge.reset();
    EXPECT_FALSE(scriptLoaded());
}

// Last: it ends the shared KWin, and the next test starts another.
TEST(KWinBridgeTest, KWinDyingIsAStatusAndItsReturnLoadsTheScriptAgain) {
    VX_REQUIRE_KWIN();
    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    ASSERT_TRUE(killSuiteKWin());
    EXPECT_TRUE(waitUntil([&] { return !bridge->isReporting() && !bridge->problem().isEmpty(); }));
    EXPECT_TRUE(bridge->problem().contains(QStringLiteral("KWin")));

    ASSERT_NE(suiteKWin(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return bridge->isReporting(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(bridge->problem().isEmpty());
}

} // namespace
} // namespace vx::test
