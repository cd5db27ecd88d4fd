// The script Vortaxis runs in KWin: its text takes the names of the running
// KWin (Plasma 6 cannot run here); in a real KWin it places the front window
// and reads it straight back, survives a copy a crash left, sees a panel off
// the usable area, and is gone after exit.
#include "kwin/kwin_screens.h"
#include "kwin/kwin_script.h"
#include "kwin/kwin_window_system.h"
#include "kwin_harness.h"

namespace vx::test {
namespace {

TEST(KWinScriptTest, UsesTheNamesOfTheRunningKWin) {
    const QStringList names[] = {
        {"workspace.activeClient", "clientActivated", "clientAdded", "clientRemoved",
         "clientList()", "workspace.numScreens", "numberScreensChanged"},
        {"workspace.activeWindow", "windowActivated", "windowAdded", "windowRemoved",
         "windowList()", "workspace.screens", "screensChanged", "w.desktops"}};
    // Not Qt's version, which the same text gives.
    EXPECT_EQ(kwin::kwinMajorVersion(
                  QStringLiteral("Version\n==\nKWin version: 5.27.5\nQt Version: 6.4.2")),
              5);
    EXPECT_EQ(kwin::kwinMajorVersion(QStringLiteral("KWin version: 6.0.90")), 6);
    EXPECT_EQ(kwin::scriptObjectPath(5, 7), QStringLiteral("/7"));
    EXPECT_EQ(kwin::scriptObjectPath(6, 7), QStringLiteral("/Scripting/Script7"));
    for (const int major : {5, 6}) {
        const QString text = kwin::bridgeScript({major, 4242, QStringLiteral(":1.23")});
        for (int version : {5, 6})
            for (const auto& name : names[version - 5])
                EXPECT_EQ(text.contains(name), version == major) << name.toStdString();
    }
}

bool scriptLoaded() {
    const auto reply = callScripting(QStringLiteral("isScriptLoaded"),
                                     {QString::fromLatin1(kwin::scriptPluginName)});
    return !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
}

// It ends the shared KWin, and the next test starts another without its panel.
TEST(KWinBridgeTest, PlacesTheFrontWindowDespiteACrashedCopyAndLeavesNothing) {
    ASSERT_TRUE(kwinUp());
    // What a crashed run leaves: a script under our name that nobody answers.
    ASSERT_EQ(
        callScripting(QStringLiteral("loadScript"),
                      {QStringLiteral("/dev/null"), QString::fromLatin1(kwin::scriptPluginName)})
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
    // Position, then size, read straight back as core does: the second output's right half.
    const Rect target{1920, 0, 640, 800};
    ASSERT_EQ(system.setPosition(*window.value, target.origin), axstatus::success);
    ASSERT_EQ(system.setSize(*window.value, target.size), axstatus::success);
    const auto position = system.position(*window.value);
    const auto size = system.size(*window.value);
    ASSERT_TRUE(position.ok() && size.ok());
    EXPECT_EQ(Rect(*position.value, *size.value), target);
    // A panel's strut is off the usable area.
    openWindow(QStringLiteral("panel"), true);
    EXPECT_TRUE(waitUntil([&] {
        return kwin::KWinScreens(*bridge).screens().front().visibleFrame == Rect(0, 0, 1280, 770);
    }));
    bridge.reset();
    EXPECT_FALSE(scriptLoaded());
    ASSERT_TRUE(killKWin());
}

} // namespace
} // namespace vx::test
