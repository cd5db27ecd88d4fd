// A damaged settings file met through the settings window: the first change
// made there keeps the original bytes aside before the file is rewritten, and
// what was still good in the file carries over.
#include "core/settings/settings_adapters.h"
#include "fakes/fake_window_system.h"
#include "qt/qsettings_defaults_store.h"
#include "qt/qt_run_loop.h"
#include "qt/settings/settings_window.h"
#include "settings/settings_fakes.h"

#include <QDir>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vx;
using namespace vx::qt;
using namespace vx::testing;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(DamagedSettingsFileTest, FirstChangeInTheWindowKeepsTheOriginalAsideAndCarriesOverTheRest) {
    const HotkeyBinding shiftSpace{modifier::shift, 49};
    const std::tuple<const char*, QByteArray, double, HotkeyBinding> cases[] = {
        // name, file, hold delay read from it, binding read from it
        {"binary junk",
         QByteArray("\x7f"
                    "ELF\x02\x01\x00\x00[General]\xff\xfe",
                    19),
         0.2, HotkeyBinding::defaultBinding()},
        {"broken line",
         "[General]\nhotkey.holdDelay=0.4\nthis line lost its equals sign\n"
         "hotkey.binding=\"@ByteArray({\\\"modifiersRaw\\\":131072,\\\"keyCode\\\":49})\"\n",
         0.4, shiftSpace},
    };
    for (const auto& [name, original, delay, binding] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString path = dir.filePath("vortaxis.conf");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(original);
        }
        {
            test::FakeAccessTrust trust;
            PermissionService service{trust};
            PermissionServiceSettings permissions{service};
            QSettingsDefaultsStore store(path);
            HotkeyPreferences preferences{store};
            HotkeyPreferencesSettings hotkeys{preferences};
            FakeKeySource keys;
            QtRunLoop loop;
            ScriptedFetcher network;
            AppUpdateService updates{loop, network, store, "0.1.0", ""};
            SettingsWindow window{SettingsDependencies{permissions, hotkeys, updates, keys, nullptr,
                                                       std::nullopt, [] {}}};
            window.showNear({});
            ASSERT_EQ(preferences.holdDelay(), delay);
            ASSERT_EQ(preferences.binding(), binding);
            EXPECT_EQ(contents(path), original); // opening the window writes nothing

            QSlider* slider = window.view()->delaySlider();
            slider->setFocus();
            QTest::keyClick(slider, Qt::Key_Right); // one 50 ms step
        }
        const QStringList kept = QDir(dir.path()).entryList({"vortaxis.conf.corrupt-*"});
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(contents(dir.filePath(kept.front())), original);
        QSettingsDefaultsStore reread(path);
        const HotkeyPreferences saved{reread};
        EXPECT_DOUBLE_EQ(saved.holdDelay(), delay + 0.05);
        EXPECT_EQ(saved.binding(), binding);
        EXPECT_FALSE(contents(path).contains("lost its equals sign"));
    }
}
