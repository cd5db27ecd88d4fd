// The script's life in KWin: it reports the outputs and windows and places the
// front window with a read straight after, it is Vortaxis's alone and gone
// after exit, a copy left by a crash does not stop the next start, and KWin
// dying leaves a clear status and a bridge that loads the script again.
#include "kwin/kwin_screens.h"
#include "kwin/kwin_script.h"
#include "kwin/kwin_window_system.h"
#include "kwin_harness.h"

#include <QTemporaryFile>

namespace vx::test {
namespace {

QDBusMessage callScripting(const QString& method, const QVariantList& arguments) {
    return callKWin(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"), method,
                    arguments);
}

bool scriptLoaded() {
    const auto reply = callScripting(QStringLiteral("isScriptLoaded"),
                                     {QString::fromLatin1(kwin::scriptPluginName)});
    return !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
}

TEST(KWinBridgeTest, ReportsTheDesktopAndPlacesTheFrontWindow) {
    ASSERT_NE(suiteKWin(), nullptr);
    auto* process = suiteKWin()->openWindow(QStringLiteral("placement"));
    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    const auto reported = reportedWindow(*bridge, QStringLiteral("placement"));
    ASSERT_TRUE(reported);
    EXPECT_EQ(reported->pid, process->processId());
    ASSERT_TRUE(waitUntil([&] { return bridge->desktop().active == reported->id; }));
    const auto screens = kwin::KWinScreens(*bridge).screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1280, 800));
    EXPECT_EQ(screens[1].frame, Rect(1280, 0, 1280, 800));

    kwin::KWinWindowSystem system(*bridge);
    const auto application = system.focusedApplication();
    ASSERT_TRUE(application.ok());
    const auto window = system.focusedWindow(*application.value);
    ASSERT_TRUE(window.ok());
    // Core asks for the position, then the size, then reads both straight back
    // to tell a window KWin keeps in place. The right half of the second output:
    const Rect target{1920, 0, 640, 800};
    ASSERT_EQ(system.setPosition(*window.value, target.origin), axstatus::success);
    ASSERT_EQ(system.setSize(*window.value, target.size), axstatus::success);
    const auto position = system.position(*window.value);
    const auto size = system.size(*window.value);
    ASSERT_TRUE(position.ok() && size.ok());
    EXPECT_EQ(Rect(*position.value, *size.value), target);
    EXPECT_EQ(kwinFrame(reported->id), QRect(1920, 0, 640, 800));
}

TEST(KWinBridgeTest, LeavesNothingLoadedAndOutlivesACrashedCopy) {
    ASSERT_NE(suiteKWin(), nullptr);
    // What a crashed run leaves: a script under our name that nobody answers.
    QTemporaryFile leftover;
    ASSERT_TRUE(leftover.open());
    leftover.write("// left by a crash\n");
    leftover.flush();
    ASSERT_EQ(callScripting(QStringLiteral("loadScript"),
                            {leftover.fileName(), QString::fromLatin1(kwin::scriptPluginName)})
                  .type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(scriptLoaded());

    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    bridge.reset();
    EXPECT_FALSE(scriptLoaded());
}

// Last: it ends the shared KWin, and the next test starts another.
TEST(KWinBridgeTest, KWinDyingIsAStatusAndItsReturnLoadsTheScriptAgain) {
    ASSERT_NE(suiteKWin(), nullptr);
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
