// The settings file on disk: the binding is stored as readable JSON, and a file
// that is damaged, unreadable or unwritable never crashes the program, never
// loses the user's bytes and never swallows a change for the rest of the run.
#include "core/input/hotkey_preferences.h"
#include "fakes/log_capture.h"
#include "qt/qsettings_defaults_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vx;

namespace {

const HotkeyBinding controlOptionSpace{modifier::control | modifier::option, 49};

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.filePath("vortaxis");
    QString path = folder + "/vortaxis.conf";
    test::LogCapture log;

    static QByteArray read(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QByteArray& bytes) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList backups() const {
        return QDir(folder).entryList({"vortaxis.conf.corrupt-*"}, QDir::Files);
    }
};

// Runs `body` as nobody, as root writes through any mode; its failures are this test's.
void runUnprivileged(const std::function<void()>& body) {
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t nobody = 65534; // and nogroup
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(127);
        body();
        std::fflush(stdout);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unprivileged part failed";
}

} // namespace

TEST_F(SettingsFileTest, DamagedFileStartsWithFallbacksAndIsKeptAsideBeforeRewrite) {
    const std::tuple<const char*, QByteArray, double, bool> cases[] = {
        // name, file, hold delay read from it, damaged
        {"binary", QByteArray("\x00\x01\x7f\xfe\xff[General]\nhotkey.holdDelay=0.9\n\x00", 38), 0.2,
         true},
        {"truncated", "[General]\nhotkey.holdDelay=0.7\nhotkey.binding=\"@ByteArray({\\\"mod", 0.7,
         true},
        {"comments", "; mine\n[General]\nhotkey.holdDelay=0.4\nnote=a\\\n b\n", 0.4, false},
    };
    for (const auto& [name, bytes, delay, damaged] : cases) {
        SCOPED_TRACE(name);
        write(bytes);
        {
            QSettingsDefaultsStore store(path);
            HotkeyPreferences prefs(store);
            EXPECT_EQ(prefs.binding(), HotkeyBinding::defaultBinding());
            EXPECT_EQ(prefs.holdDelay(), delay);
            EXPECT_TRUE(read(path) == bytes && backups().isEmpty()) << "reading alone wrote";

            prefs.setBinding(controlOptionSpace);
            const QStringList kept = backups();
            ASSERT_EQ(kept.size(), damaged ? 1 : 0);
            EXPECT_TRUE(!damaged || read(folder + "/" + kept.front()) == bytes);
        }
        QSettingsDefaultsStore reread(path);
        const HotkeyPreferences prefs(reread); // what was good carries over into the rewrite
        EXPECT_TRUE(prefs.binding() == controlOptionSpace && prefs.holdDelay() == delay);
        EXPECT_TRUE(log.lines.empty());
    }
    // The binding is kept as readable JSON that a person can edit.
    EXPECT_TRUE(read(path).contains(
        R"x(hotkey.binding="@ByteArray({\"modifiersRaw\":786432,\"keyCode\":49})")x"));
}

TEST_F(SettingsFileTest, ReadOnlyOrUnreadableFileIsNeverChangedAndChangesStayInMemory) {
    const QByteArray original = "[General]\nhotkey.holdDelay=0.7\n";
    const QFile::Permissions readOnly = QFile::ReadOwner, writable = readOnly | QFile::WriteOwner,
                             closedFolder = readOnly | QFile::ExeOwner,
                             openFolder = writable | QFile::ExeOwner;
    const std::tuple<const char*, QFile::Permissions, QFile::Permissions> cases[] = {
        // name, file mode, folder mode
        {"read-only file", readOnly, openFolder},
        {"writable file, read-only folder", writable, closedFolder},
        {"unreadable file", {}, openFolder},
    };
    for (const auto& [name, fileMode, folderMode] : cases) {
        SCOPED_TRACE(name);
        write(original);
        // The unprivileged user owns what it tests, so it can lift the modes itself.
        for (const QString& p : {dir.path(), folder, path})
            ASSERT_TRUE(::geteuid() != 0 ||
                        ::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0);
        ASSERT_TRUE(QFile::setPermissions(path, fileMode));
        ASSERT_TRUE(QFile::setPermissions(folder, folderMode));
        const bool unreadable = !(fileMode & QFile::ReadOwner);
        runUnprivileged([&] {
            QSettingsDefaultsStore store(path);
            EXPECT_EQ(HotkeyPreferences(store).holdDelay(), unreadable ? 0.2 : 0.7);
            // The failure is reported, and the change is kept for the run.
            EXPECT_TRUE(store.setDouble(defaults_key::holdDelay, 0.9).has_value());
            EXPECT_EQ(store.doubleValue(defaults_key::holdDelay), 0.9);
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
            QFile::setPermissions(path, writable);
            QFile::setPermissions(folder, openFolder);
            EXPECT_EQ(read(path), original);
            // Once the file can be written, the next write saves what waited,
            // except over a file that could not be read at the start.
            (void)store.setString("other", "x");
            EXPECT_EQ(QSettingsDefaultsStore(path).doubleValue(defaults_key::holdDelay),
                      unreadable ? 0.7 : 0.9);
        });
        QFile::setPermissions(path, writable);
        QFile::setPermissions(folder, openFolder);
    }
}
