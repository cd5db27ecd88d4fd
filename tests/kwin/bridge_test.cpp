// The script Vortaxis runs in KWin. Its text takes the names of the running
// KWin (Plasma 6 renames the window calls and the script's object path, and
// cannot run here, so that is checked on the text). In a real KWin it places
// the front window and reads it straight back, it is Vortaxis's alone and gone
// after exit, a copy left by a crash does not stop the next start, and KWin
// dying leaves a clear status and a bridge that loads the script again.
#include "kwin/kwin_script.h"
#include "kwin/kwin_window_system.h"
#include "kwin_harness.h"

#include <QTemporaryFile>

namespace vx::test {
namespace {

TEST(KWinScriptTest, UsesTheNamesOfTheRunningKWin) {
    EXPECT_EQ(kwin::kwinMajorVersion(QStringLiteral("Qt Version: 6.6.1")), std::nullopt);
    const struct {
        const char* supportInformation;
        int major;
        QStringList names; // none of them in the other version's text
        QString objectPath;
    } versions[] = {
        {"Version\n=======\nKWin version: 5.27.5\n",
         5,
         {"workspace.activeClient", "clientActivated", "clientAdded", "clientRemoved",
          "clientList()", "workspace.numScreens", "numberScreensChanged"},
         "/7"},
        {"KWin version: 6.0.90\nQt Version: 6.6.1",
         6,
         {"workspace.activeWindow", "windowActivated", "windowAdded", "windowRemoved",
          "windowList()", "workspace.screens", "screensChanged", "w.desktops"},
         "/Scripting/Script7"},
    };
    for (const auto& v : versions) {
        SCOPED_TRACE(v.major);
        const int major =
            kwin::kwinMajorVersion(QString::fromLatin1(v.supportInformation)).value_or(0);
        EXPECT_EQ(major, v.major);
        const QString text = kwin::bridgeScript({major, 4242, QStringLiteral(":1.23")});
        for (const auto& name : v.names)
            EXPECT_TRUE(text.contains(name)) << name.toStdString();
        for (const auto& name : versions[&v == versions ? 1 : 0].names)
            EXPECT_FALSE(text.contains(name)) << name.toStdString();
        EXPECT_FALSE(text.contains(QLatin1Char('@'))) << "a placeholder was left unfilled";
        EXPECT_TRUE(text.contains(QStringLiteral("\":1.23\"")));
        EXPECT_TRUE(text.contains(QStringLiteral("ownPid = 4242")));
        EXPECT_EQ(kwin::scriptObjectPath(major, 7), v.objectPath);
    }
}

bool scriptLoaded() {
    const auto reply = callScripting(QStringLiteral("isScriptLoaded"),
                                     {QString::fromLatin1(kwin::scriptPluginName)});
    return !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
}

// Last: it ends the shared KWin, and the next test starts another.
TEST(KWinBridgeTest, PlacesTheFrontWindowAndOutlivesACrashedCopyAndKWinDying) {
    ASSERT_TRUE(kwinUp());
    // What a crashed run leaves: a script under our name that nobody answers.
    QTemporaryFile leftover;
    ASSERT_TRUE(leftover.open());
    leftover.write("// left by a crash\n");
    leftover.flush();
    ASSERT_EQ(callScripting(QStringLiteral("loadScript"),
                            {leftover.fileName(), QString::fromLatin1(kwin::scriptPluginName)})
                  .type(),
              QDBusMessage::ReplyMessage);
    openWindow(QStringLiteral("placement"));
    auto bridge = reportingBridge();
    ASSERT_TRUE(bridge);
    const auto reported = reportedWindow(*bridge, QStringLiteral("placement"));
    ASSERT_TRUE(reported);
    ASSERT_TRUE(waitUntil([&] { return bridge->desktop().active == reported->id; }));
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

    ASSERT_TRUE(killKWin());
    EXPECT_TRUE(waitUntil([&] { return !bridge->isReporting() && !bridge->problem().isEmpty(); }));
    EXPECT_TRUE(bridge->problem().contains(QStringLiteral("KWin")));
    ASSERT_TRUE(kwinUp());
    EXPECT_TRUE(waitUntil([&] { return bridge->isReporting(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(bridge->problem().isEmpty());
    bridge.reset();
    EXPECT_FALSE(scriptLoaded());
}

} // namespace
} // namespace vx::test
