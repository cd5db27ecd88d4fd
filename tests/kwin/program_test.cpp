// Vortaxis as a Plasma Wayland user runs it: the real program on the headless
// KWin, played with fake input, watched through its --verbose lines and KWin's
// window information, through a recorded trigger and a KWin crash mid-gesture.
#include "core/session/layout_sector.h"
#include "kwin/global_shortcut_key_source.h"
#include "kwin_harness.h"

#include <QDBusReply>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

namespace vx::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t leftControl = 29, leftShift = 42, leftAlt = 56, space = 57, escape = 1,
                        leftButton = 0x110;

// The keys KGlobalAccel holds for the program's trigger; none while recording.
QList<int> triggerShortcut() {
    return QDBusReply<QList<int>>(
               callBus(QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
                       QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("shortcut"),
                       {QStringList{QLatin1String(kwin::shortcutComponent),
                                    QLatin1String(kwin::shortcutAction), QString(), QString()}}))
        .value();
}

// The real program as a Plasma session starts it, with its default trigger.
struct Program {
    Program() {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        process_.setProcessEnvironment(env);
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

    QTemporaryDir config_;
    QProcess process_;
    QString lines_;
};

TEST(ProgramOnKWinTest, TheGestureArrangesTheActiveWindow) {
    ASSERT_TRUE(kwinUp());
    openWindow(QStringLiteral("gesture target"));
    Program vortaxis;
    ASSERT_TRUE(vortaxis.process_.waitForStarted());
    // The test's own look at KWin, seeing the program's windows as the program does.
    auto oracle =
        reportingBridge(QStringLiteral("vortaxis-test-oracle"), vortaxis.process_.processId());
    ASSERT_TRUE(oracle);
    const auto window = reportedWindow(*oracle, QStringLiteral("gesture target"));
    ASSERT_TRUE(window);
    const QString id = window->id;
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));
    auto frameOf = [&](const QString& idOrCaption) -> std::optional<QRect> {
        for (const auto& w : oracle->desktop().windows)
            if (w.id == idOrCaption || w.caption == idOrCaption)
                return w.frame;
        return std::nullopt;
    };
    vortaxis.expectLine(QStringLiteral("^status: Ready"), 10s);
    ASSERT_FALSE(HasFailure());

    const QString demo = qEnvironmentVariable("VX_DEMO_DIR"); // scripts/run's pictures
    // Away from the output's middle, where KWin would put a window it places itself.
    const QPoint centre(500, 330);
    std::vector<std::uint32_t> trigger{leftControl, leftAlt};
    enum Act { release, clickHub, wheelThenRelease };
    struct Case {
        const char* name;
        std::optional<LayoutSector> aim; // none: the pointer stays in the centre
        Act act;
        const char* status;
        QRect expected; // none: unchanged
    };
    auto releaseTrigger = [&] {
        for (auto key = trigger.rbegin(); key != trigger.rend(); ++key)
            fake::key(*key, false);
    };
    auto play = [&](const Case& c, bool first) {
        SCOPED_TRACE(c.name);
        const auto expected = c.expected.isNull() ? frameOf(id) : c.expected;
        fake::moveTo(centre.x(), centre.y());
        for (auto key : trigger)
            fake::key(key, true);
        vortaxis.expectLine(QStringLiteral("^status: (Aim|Screen)"));
        ASSERT_TRUE(waitUntil([&] {
            const auto menu = frameOf(QStringLiteral("Vortaxis menu"));
            return menu && (menu->center() - centre).manhattanLength() <= 2;
        })) << "no menu window under the pointer";
        if (c.act == wheelThenRelease) {
            // A switch whether Qt reads lines or pixels; the rest is in its cooldown.
            fake::moveTo(1290, 790); // on the other output, away from the aim
            for (int notch = 0; notch < 6; ++notch)
                fake::wheel(15);
            vortaxis.expectLine(QStringLiteral("^status: Screen 2/2"));
        }
        if (c.aim) {
            const double a = centerAngleDegrees(*c.aim) * M_PI / 180.0;
            fake::moveTo(centre.x() + 90 * std::cos(a), centre.y() - 90 * std::sin(a));
            vortaxis.expectLine(QStringLiteral("^aim: %1$").arg(title(*c.aim).c_str()));
            if (!demo.isEmpty() && first)
                saveScreenshot(demo + QStringLiteral("/menu-open.png"));
        }
        // KWin gives the menu no focus: the window it arranges keeps it.
        EXPECT_EQ(oracle->desktop().active, id) << "the menu took the keyboard focus";
        ASSERT_FALSE(HasFailure());
        // The trigger is let go after the hub click counted: its release
        // comes over the bus, the click over Wayland.
        if (c.act == clickHub) {
            fake::button(leftButton, true);
            fake::button(leftButton, false);
        } else {
            releaseTrigger();
        }
        vortaxis.expectLine(QStringLiteral("^status: ") + QString::fromUtf8(c.status));
        if (c.act == clickHub)
            releaseTrigger();
        EXPECT_TRUE(waitUntil([&] { return frameOf(id) == expected; }));
        EXPECT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));
        if (!demo.isEmpty() && first)
            saveScreenshot(demo + QStringLiteral("/snapped.png"));
    };
    const Case cases[] = {
        {"right half", LayoutSector::right, release, "Snapped", {640, 0, 640, 800}},
        {"top-left quarter", LayoutSector::topLeft, release, "Snapped", {0, 0, 640, 400}},
        {"centre release", std::nullopt, release, "Cancelled", {}},
        {"hub click", std::nullopt, clickHub, "Snapped · ", {0, 0, 1280, 800}},
        {"left half", LayoutSector::left, release, "Snapped", {0, 0, 640, 800}},
    };
    for (const auto& c : cases)
        if (play(c, &c == &cases[0]); HasFailure())
            return;

    // A second start opens the first one's settings window, which KWin focuses.
    Program second;
    ASSERT_TRUE(second.process_.waitForFinished(10000));
    const auto settings = reportedWindow(*oracle, QStringLiteral("Vortaxis"));
    ASSERT_TRUE(settings) << "no settings window";
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == settings->id; }));
    // The recorder field, about 155 px below the top of the frame.
    fake::moveTo(settings->frame.x() + 100, settings->frame.y() + 155);
    fake::button(leftButton, true);
    fake::button(leftButton, false);
    // Recording takes the old trigger out of KGlobalAccel, which would keep its keys.
    ASSERT_TRUE(waitUntil([] { return triggerShortcut().isEmpty(); }))
        << "the click did not start recording";
    // Not Alt: KWin keeps Ctrl+Alt+wheel for switching virtual desktops.
    trigger = {leftControl, leftShift, space};
    for (auto key : trigger)
        fake::key(key, true);
    releaseTrigger();
    fake::key(escape, true);
    fake::key(escape, false);
    ASSERT_TRUE(waitUntil([&] { return oracle->desktop().active == id; }));
    EXPECT_TRUE(waitUntil([] {
        return triggerShortcut().contains((Qt::CTRL | Qt::SHIFT | Qt::Key_Space).toCombined());
    }));
    play({"second output", LayoutSector::right, wheelThenRelease, "Snapped", {1920, 0, 640, 800}},
         false);

    // KWin crashing mid-gesture: the program is back with the next KWin.
    for (auto key : trigger)
        fake::key(key, true);
    vortaxis.expectLine(QStringLiteral("^status: (Aim|Screen)"));
    ASSERT_TRUE(killKWin());
    ASSERT_TRUE(kwinUp());
    vortaxis.expectLine(QStringLiteral("KWin has stopped; Vortaxis starts again"));
    vortaxis.expectLine(QStringLiteral("^status: Ready"), 20s);
    EXPECT_EQ(vortaxis.process_.state(), QProcess::Running);
}

} // namespace
} // namespace vx::test
