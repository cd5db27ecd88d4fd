// The settings file on disk: every key round-trips literally, and a file that
// is damaged, unreadable or unwritable never crashes the program, never loses
// the user's bytes and never swallows a change for the rest of the run.
#include "core/input/hotkey_preferences.h"
#include "fakes/log_capture.h"
#include "qt/qsettings_defaults_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vx;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path;
    vx::test::LogCapture capture;
    std::vector<std::string>& log = capture.lines;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("vortaxis/vortaxis.conf");
    }

    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(dir.filePath("vortaxis"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readFile(const QString& p) const {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList backups() const {
        return QDir(dir.filePath("vortaxis")).entryList({"vortaxis.conf.corrupt-*"}, QDir::Files);
    }
};

const HotkeyBinding controlOptionSpace{modifier::control | modifier::option, 49};

} // namespace

TEST_F(SettingsFileTest, EveryKeyRoundTripsLiterallyThroughTheFile) {
    {
        QSettingsDefaultsStore store(path);
        HotkeyPreferences prefs(store);
        prefs.setBinding(controlOptionSpace);
        prefs.setHoldDelay(0.35);
        EXPECT_FALSE(store.setString("hotkey.triggerModifier", "option"));
    }
    const QString text = QString::fromUtf8(readFile(path));
    EXPECT_TRUE(
        text.contains(R"x(hotkey.binding="@ByteArray({\"modifiersRaw\":786432,\"keyCode\":49})")x"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nhotkey.holdDelay=0.35\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nhotkey.triggerModifier=option\n")) << text.toStdString();

    QSettingsDefaultsStore store(path);
    HotkeyPreferences prefs(store);
    EXPECT_EQ(prefs.binding(), controlOptionSpace);
    EXPECT_EQ(prefs.holdDelay(), 0.35);
    EXPECT_EQ(store.string("hotkey.triggerModifier"), "option");
    EXPECT_FALSE(store.hasObject("hotkey.missing"));
    EXPECT_TRUE(backups().isEmpty());
    EXPECT_TRUE(log.empty());
}

TEST_F(SettingsFileTest, HandWrittenValuesAreRead) {
    // Quotes escaped as QSettings writes them; a comma would make a list.
    writeFile("[General]\nhotkey.binding={\\\"modifiersRaw\\\":1048576}\nhotkey.holdDelay = 0.5\n");
    QSettingsDefaultsStore store(path);
    HotkeyPreferences prefs(store);
    EXPECT_EQ(prefs.binding(), HotkeyBinding({modifier::command, std::nullopt}));
    EXPECT_EQ(prefs.holdDelay(), 0.5);
}

TEST_F(SettingsFileTest, PathFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    EXPECT_EQ(QSettingsDefaultsStore::defaultPath(), dir.path() + "/vortaxis/vortaxis.conf");
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(QSettingsDefaultsStore::defaultPath(),
              QDir::homePath() + "/.config/vortaxis/vortaxis.conf");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(QSettingsDefaultsStore::defaultPath(),
              QDir::homePath() + "/.config/vortaxis/vortaxis.conf");
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);

    // A fresh installation: nothing is written until a change, then the folder appears.
    QSettingsDefaultsStore store(path);
    HotkeyPreferences prefs(store);
    EXPECT_FALSE(QFile::exists(path));
    prefs.setHoldDelay(0.4);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(SettingsFileTest, DamagedFileStartsWithFallbacksAndIsKeptAsideBeforeRewrite) {
    struct Case {
        const char* name;
        QByteArray bytes;
        HotkeyBinding binding;
        double holdDelay;
        bool damaged;
    };
    const HotkeyBinding control = HotkeyBinding::defaultBinding();
    const Case cases[] = {
        {"binary", QByteArray("\x00\x01\x7f\xfe\xff[General]\nhotkey.holdDelay=0.9\n\x00", 38),
         control, 0.2, true},
        {"not UTF-8", "[General]\nhotkey.holdDelay=0.9\nname=\xc3\x28\n", control, 0.2, true},
        {"truncated binding",
         "[General]\nhotkey.holdDelay=0.7\nhotkey.binding=\"@ByteArray({\\\"mod", control, 0.7,
         true},
        {"binding not JSON", "[General]\nhotkey.binding=@ByteArray(ctrl)\n", control, 0.2, true},
        {"wrong types", "[General]\nhotkey.holdDelay=fast\nhotkey.binding=1,2\n", control, 0.05,
         true},
        {"not a number", "[General]\nhotkey.holdDelay=nan\n", control, 0.05, true},
        {"broken section", "[General\nhotkey.holdDelay=0.3\n", control, 0.3, true},
        {"unescaped JSON", "[General]\nhotkey.binding={\"modifiersRaw\":1048576}\n", control, 0.2,
         true},
        {"stray text", "[General]\nhotkey.holdDelay=0.4\nthis line is no setting\n", control, 0.4,
         true},
        {"comments and continuation", "; mine\n[General]\nhotkey.holdDelay=0.4\nnote=a\\\n b\n",
         control, 0.4, false},
        {"empty file", "", control, 0.2, false},
        {"earlier setting only",
         "[General]\nhotkey.triggerModifier=shift\n",
         {modifier::shift, std::nullopt},
         0.2,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dir.filePath("vortaxis")).removeRecursively();
        writeFile(c.bytes);
        const bool migrates = c.binding != control;
        if (!migrates) { // reading alone, start to end, writes nothing
            {
                QSettingsDefaultsStore store(path);
                HotkeyPreferences prefs(store);
            }
            EXPECT_EQ(readFile(path), c.bytes);
        }
        {
            QSettingsDefaultsStore store(path);
            HotkeyPreferences prefs(store);
            EXPECT_EQ(prefs.binding(), c.binding);
            EXPECT_EQ(prefs.holdDelay(), c.holdDelay);
            if (!migrates) { // nothing written that was not asked for
                EXPECT_EQ(readFile(path), c.bytes);
                EXPECT_TRUE(backups().isEmpty());
            }

            prefs.setBinding(controlOptionSpace);
            EXPECT_TRUE(log.empty()) << log.front();
            const QStringList kept = backups();
            ASSERT_EQ(kept.size(), c.damaged ? 1 : 0);
            if (c.damaged) {
                EXPECT_EQ(readFile(dir.filePath("vortaxis/" + kept.front())), c.bytes);
                EXPECT_EQ(store.backupPath(), dir.filePath("vortaxis/" + kept.front()));
            }
        }
        QSettingsDefaultsStore reread(path);
        HotkeyPreferences prefs(reread);
        EXPECT_EQ(prefs.binding(), controlOptionSpace);
        // What was good in a damaged text file carries over into the rewrite.
        EXPECT_EQ(prefs.holdDelay(), c.holdDelay);
        EXPECT_EQ(reread.backupPath(), std::nullopt);
    }
}

TEST_F(SettingsFileTest, UnreadableFileIsNeverWrittenOverAndChangesStayInMemory) {
    QDir().mkpath(path); // a folder where the file should be: unreadable even as root
    QSettingsDefaultsStore store(path);
    HotkeyPreferences prefs(store);
    EXPECT_EQ(prefs.binding(), HotkeyBinding::defaultBinding());
    EXPECT_EQ(prefs.holdDelay(), 0.2);

    prefs.setHoldDelay(0.6);
    prefs.setBinding(controlOptionSpace);
    EXPECT_EQ(prefs.holdDelay(), 0.6);
    EXPECT_EQ(store.doubleValue("hotkey.holdDelay"), 0.6);
    EXPECT_EQ(HotkeyPreferences(store).binding(), controlOptionSpace);
    EXPECT_TRUE(QFileInfo(path).isDir());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("not writing over it"), std::string::npos);
}

TEST_F(SettingsFileTest, UnwritableFolderReportsTheWriteAndKeepsTheValue) {
    QFile blocker(dir.filePath("vortaxis")); // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettingsDefaultsStore store(path);
    HotkeyPreferences prefs(store);
    prefs.setHoldDelay(0.8);
    EXPECT_EQ(prefs.holdDelay(), 0.8);
    EXPECT_EQ(store.doubleValue("hotkey.holdDelay"), 0.8);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("hotkey.holdDelay"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path));

    // Once the folder can be made, the next change saves the earlier one too.
    ASSERT_TRUE(QFile::remove(dir.filePath("vortaxis")));
    prefs.setBinding(controlOptionSpace);
    EXPECT_EQ(log.size(), 1u);
    QSettingsDefaultsStore reread(path);
    EXPECT_EQ(reread.doubleValue("hotkey.holdDelay"), 0.8);
    EXPECT_EQ(HotkeyPreferences(reread).binding(), controlOptionSpace);
}
