// Vortaxis as a Plasma Wayland user runs it: the real program on the headless
// KWin, played with fake input, watched through its --verbose lines and KWin's
// own window information. The gesture snaps into halves and a quarter, a
// release in the centre cancels, a click on the hub maximizes, the wheel
// moves to the second output, the focus stays with the window it arranges,
// and a trigger recorded in the settings window drives the next gesture.
#include "core/session/layout_sector.h"
#include "kwin/global_shortcut_key_source.h"
#include "kwin_harness.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vx::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t leftControl = 29, leftAlt = 56, space = 57, escape = 1, leftButton = 0x110;

// The keys KGlobalAccel holds for the program's trigger; none while recording.
QList<int> triggerShortcut() {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
        QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("shortcut"));
    message.setArguments({QStringList{QLatin1String(kwin::shortcutComponent),
                                      QLatin1String(kwin::shortcutAction), QString(), QString()}});
    const auto reply = QDBusConnection::sessionBus().call(message);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QList<int>>(reply.arguments().constFirst());
}

// The real program with Control alone as its trigger (KGlobalAccel takes a
// lone modifier, not the default pair), its --verbose lines read as they come.
struct Program {
    explicit Program(const QString& socket) {
        auto env = waylandClient(socket);
        env.insert(QStringLiteral("VX_PLATFORM"), QStringLiteral("kwin"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        process_.setProcessEnvironment(env);
        QDir().mkpath(config_.filePath(QStringLiteral("vortaxis")));
        QFile conf(config_.filePath(QStringLiteral("vortaxis/vortaxis.conf")));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[General]\nhotkey.binding=\"@ByteArray({\\\"modifiersRaw\\\":262144})\"\n");
        process_.setReadChannel(QProcess::StandardError);
        process_.start(QStringLiteral(VORTAXIS_PROGRAM), {QStringLiteral("--verbose")});
    }
    ~Program() {
        process_.terminate();
        process_.waitForFinished(5000); // else QProcess kills it
    }
    // Fails the test, with all it said, when no line matches `pattern` in time.
    void expectLine(const QString& pattern, std::chrono::milliseconds deadline = 5s) {
        const QRegularExpression re(pattern);
        EXPECT_TRUE(waitUntil(
            [&] {
                while (process_.canReadLine()) {
                    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
                    lines_ += line + QLatin1Char('\n');
                    if (re.match(line).hasMatch())
                        return true;
                }
                return false;
            },
            deadline))
            << "no line " << pattern.toStdString() << " in:\n"
            << lines_.toStdString();
    }
    QString settingsText() const {
        QFile f(config_.filePath(QStringLiteral("vortaxis/vortaxis.conf")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir config_;
    QProcess process_;
    QString lines_;
};

TEST(ProgramOnKWinTest, TheGestureArrangesTheActiveWindow) {
    ASSERT_TRUE(kwinUp());
    openWindow(QStringLiteral("gesture target"), 500, 400);
    Program vortaxis(kwinSocket());
    ASSERT_TRUE(vortaxis.process_.waitForStarted());
    // The test's own look at KWin, under a name of its own beside the program's,
    // seeing the program's windows as the program's script does.
    auto oracle =
        reportingBridge(QStringLiteral("vortaxis-test-oracle"), vortaxis.process_.processId());
    ASSERT_TRUE(oracle);
    const auto window = reportedWindow(*oracle, QStringLiteral("gesture target"));
    ASSERT_TRUE(window);
    const QString id = window->id;
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));
    auto reported = [&](auto matches) -> std::optional<QRect> {
        for (const auto& w : oracle->desktop().windows)
            if (matches(w))
                return w.frame;
        return std::nullopt;
    };
    auto input = FakeInput::connect(kwinSocket());
    ASSERT_TRUE(input);
    vortaxis.expectLine(QStringLiteral("^status: Ready"), 10s);
    ASSERT_FALSE(HasFailure());

    // The default trigger's hold delay, which every hold waits out first.
    constexpr double holdDelayMs = 200;
    std::vector<double> holdToMenu, releaseToSnap;
    // scripts/run's demonstration keeps pictures of the first gesture here.
    const QString demo = qEnvironmentVariable("VX_DEMO_DIR");
    // Away from the output's middle, where KWin would put a window it places itself.
    const QPoint centre(500, 330);
    enum Act { release, clickHub, wheelThenRelease };
    const struct {
        const char* name;
        std::optional<LayoutSector> aim; // none: the pointer stays in the centre
        Act act;
        const char* status;
        QRect expected; // none: unchanged
    } cases[] = {
        {"right half", LayoutSector::right, release, "Snapped", {640, 0, 640, 800}},
        {"left half", LayoutSector::left, release, "Snapped", {0, 0, 640, 800}},
        {"top-left quarter", LayoutSector::topLeft, release, "Snapped", {0, 0, 640, 400}},
        {"centre release", std::nullopt, release, "Cancelled", {}},
        {"hub click", std::nullopt, clickHub, "Snapped · ", {0, 0, 1280, 800}},
        {"second output", LayoutSector::right, wheelThenRelease, "Snapped", {1920, 0, 640, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool first = &c == &cases[0];
        const QRect expected = c.expected.isNull() ? kwinFrame(id) : c.expected;
        input->moveTo(centre.x(), centre.y());
        QElapsedTimer held;
        held.start();
        input->key(leftControl, true);
        vortaxis.expectLine(QStringLiteral("^status: (Aim|Screen)"));
        // Centred under the pointer: a Wayland window cannot place itself.
        ASSERT_TRUE(waitUntil([&] {
            const auto menu =
                reported([](auto& w) { return w.caption == QLatin1String("Vortaxis menu"); });
            return menu && (menu->center() - centre).manhattanLength() <= 2;
        })) << "no menu window under the pointer";
        holdToMenu.push_back(static_cast<double>(held.nsecsElapsed()) / 1e6 - holdDelayMs);
        if (c.act == wheelThenRelease) {
            // Enough for a switch whether Qt reads the axis as lines or as
            // pixels; what follows falls in the switch's cooldown.
            input->moveTo(1290, 790); // on the other output, away from the aim
            for (int notch = 0; notch < 6; ++notch)
                input->wheel(15);
            vortaxis.expectLine(QStringLiteral("^status: Screen 2/2"));
        }
        if (c.aim) {
            const double a = centerAngleDegrees(*c.aim) * M_PI / 180.0;
            input->moveTo(centre.x() + 90 * std::cos(a), centre.y() - 90 * std::sin(a));
            vortaxis.expectLine(QStringLiteral("^aim: %1$").arg(title(*c.aim).c_str()));
            if (!demo.isEmpty() && first)
                saveScreenshot(demo + QStringLiteral("/menu-open.png"));
        }
        // KWin gives the menu no focus: the window it arranges keeps it.
        EXPECT_EQ(oracle->desktop().active, id) << "the menu took the keyboard focus";
        ASSERT_FALSE(HasFailure());
        QElapsedTimer released;
        released.start();
        if (c.act == clickHub) {
            input->button(leftButton, true);
            input->button(leftButton, false);
        } else {
            input->key(leftControl, false);
        }
        vortaxis.expectLine(QStringLiteral("^status: ") + QString::fromUtf8(c.status));
        if (c.act == clickHub) // the trigger is held through the click
            input->key(leftControl, false);
        EXPECT_TRUE(
            waitUntil([&] { return reported([&](auto& w) { return w.id == id; }) == expected; }));
        if (c.aim)
            releaseToSnap.push_back(static_cast<double>(released.nsecsElapsed()) / 1e6);
        EXPECT_EQ(kwinFrame(id), expected);
        // The menu gone, the focus is with the arranged window again.
        EXPECT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));
        if (!demo.isEmpty() && first)
            saveScreenshot(demo + QStringLiteral("/snapped.png"));
    }
    // A second start opens the first one's settings window, which KWin focuses.
    Program second(kwinSocket());
    ASSERT_TRUE(second.process_.waitForFinished(10000));
    const auto settings = reportedWindow(*oracle, QStringLiteral("Vortaxis"));
    ASSERT_TRUE(settings) << "no settings window";
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == settings->id; }));
    // The recorder field lies about 155 px below the top of the frame, title bar
    // included (see the README's screenshots).
    input->moveTo(settings->frame.x() + 100, settings->frame.y() + 155);
    input->button(leftButton, true);
    input->button(leftButton, false);
    // Recording takes the old trigger out of KGlobalAccel, or KWin would keep
    // its keys from the window.
    ASSERT_TRUE(waitUntil([] { return triggerShortcut().isEmpty(); }))
        << "the click did not start recording";
    for (auto key : {leftControl, leftAlt, space})
        input->key(key, true);
    EXPECT_TRUE(waitUntil([&] {
        const QString stored = vortaxis.settingsText();
        return stored.contains(QStringLiteral("modifiersRaw\\\":786432")) &&
               stored.contains(QStringLiteral("keyCode\\\":49"));
    })) << "stored: "
        << vortaxis.settingsText().toStdString();
    for (auto key : {space, leftAlt, leftControl})
        input->key(key, false);
    // Escape closes the window; the focus goes back to the window behind it.
    input->key(escape, true);
    input->key(escape, false);
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));

    // KGlobalAccel now holds the new trigger, and it arranges the window.
    EXPECT_TRUE(waitUntil([] {
        return triggerShortcut().contains((Qt::CTRL | Qt::ALT | Qt::Key_Space).toCombined());
    }));
    input->moveTo(centre.x(), centre.y());
    for (auto key : {leftControl, leftAlt, space})
        input->key(key, true);
    vortaxis.expectLine(QStringLiteral("^status: (Aim|Screen)"));
    input->moveTo(centre.x() - 90, centre.y());
    vortaxis.expectLine(QStringLiteral("^aim: %1$").arg(title(LayoutSector::left).c_str()));
    for (auto key : {space, leftAlt, leftControl})
        input->key(key, false);
    vortaxis.expectLine(QStringLiteral("^status: Snapped"));
    EXPECT_TRUE(waitUntil([&] { return kwinFrame(id) == QRect(0, 0, 640, 800); }));
    EXPECT_EQ(vortaxis.process_.state(), QProcess::Running);
    // Figures, not targets: they vary with the machine's load.
    for (auto [figure, v] :
         {std::pair{"hold -> menu window on KWin, past the hold delay", holdToMenu},
          std::pair{"release -> KWin reports the snapped frame", releaseToSnap}}) {
        std::sort(v.begin(), v.end());
        std::printf("figure: %s, median %.1f ms (n=%zu)\n", figure,
                    v.empty() ? 0.0 : v[v.size() / 2], v.size());
    }
}

} // namespace
} // namespace vx::test
