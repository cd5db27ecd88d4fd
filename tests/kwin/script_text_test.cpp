// What differs between KWin 5 and 6 is decided before KWin is asked: the
// script's names and the loaded script's object path, from the version KWin
// reports. Plasma 6 cannot run here, so this is checked on the text.
#include "kwin/kwin_script.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace vx::kwin {
namespace {

TEST(KWinScriptTest, UsesTheNamesOfTheRunningKWin) {
    const struct {
        int major;
        QStringList present, absent;
        QString objectPath;
    } versions[] = {
        {5,
         {"workspace.activeClient", "clientActivated", "clientAdded", "clientRemoved",
          "clientList()", "workspace.numScreens", "numberScreensChanged"},
         {"activeWindow", "windowActivated", "windowAdded", "windowList()", "workspace.screens"},
         "/7"},
        {6,
         {"workspace.activeWindow", "windowActivated", "windowAdded", "windowRemoved",
          "windowList()", "workspace.screens", "screensChanged", "w.desktops"},
         {"activeClient", "clientActivated", "clientAdded", "clientList()", "numScreens"},
         "/Scripting/Script7"},
    };
    for (const auto& v : versions) {
        SCOPED_TRACE(v.major);
        const QString text = bridgeScript({v.major, 4242, QStringLiteral(":1.23")});
        for (const auto& name : v.present)
            EXPECT_TRUE(text.contains(name)) << name.toStdString();
        for (const auto& name : v.absent)
            EXPECT_FALSE(text.contains(name)) << name.toStdString();
        EXPECT_FALSE(text.contains(QLatin1Char('@'))) << "a placeholder was left unfilled";
        EXPECT_TRUE(text.contains(QStringLiteral("\":1.23\"")));
        EXPECT_TRUE(text.contains(QStringLiteral("ownPid = 4242")));
        EXPECT_EQ(scriptObjectPath(v.major, 7), v.objectPath);
    }
}

TEST(KWinScriptTest, ReadsTheMajorVersionFromSupportInformation) {
    EXPECT_EQ(kwinMajorVersion(QStringLiteral("Version\n=======\nKWin version: 5.27.5\n")), 5);
    EXPECT_EQ(kwinMajorVersion(QStringLiteral("KWin version: 6.0.90\nQt Version: 6.6.1")), 6);
    EXPECT_EQ(kwinMajorVersion(QStringLiteral("Qt Version: 6.6.1")), std::nullopt);
}

} // namespace
} // namespace vx::kwin
