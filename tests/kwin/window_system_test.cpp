// Placement through the script: the front window of a real Wayland client
// lands in each half, a quarter, and on the second output, as both a read
// made straight after the request and KWin's own window information say.
#include "kwin/kwin_window_system.h"
#include "suite_kwin.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace vx::test {
namespace {

// KWin's own answer, independent of the script.
QRect kwinFrame(const QString& id) {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
        QStringLiteral("getWindowInfo"));
    message.setArguments({id});
    const auto reply = QDBusConnection::sessionBus().call(message);
    if (reply.arguments().isEmpty())
        return {};
    const auto map = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    return QRectF(map.value(QStringLiteral("x")).toDouble(),
                  map.value(QStringLiteral("y")).toDouble(),
                  map.value(QStringLiteral("width")).toDouble(),
                  map.value(QStringLiteral("height")).toDouble())
        .toRect();
}

TEST(KWinWindowSystemTest, PlacesTheFrontWindowInEachSlot) {
    VX_REQUIRE_KWIN();
    suiteKWin()->openWindow(QStringLiteral("placement"));
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

    // Top-left points: the first output is at the origin, the second right of it.
    const struct {
        const char* slot;
        Rect target;
    } targets[] = {
        {"left half", {0, 0, 640, 800}},
        {"right half", {640, 0, 640, 800}},
        {"top-left quarter", {0, 0, 640, 400}},
        {"second output, right half", {1920, 0, 640, 800}},
    };
    for (const auto& [slot, target] : targets) {
        SCOPED_TRACE(slot);
        ASSERT_EQ(system.setPosition(*window.value, target.origin), axstatus::success);
        ASSERT_EQ(system.setSize(*window.value, target.size), axstatus::success);
        const QRect expected(static_cast<int>(target.origin.x), static_cast<int>(target.origin.y),
                             static_cast<int>(target.size.width),
                             static_cast<int>(target.size.height));
        // Read straight back, as core does to tell a window KWin keeps in place.
        const auto position = system.position(*window.value);
        const auto size = system.size(*window.value);
        ASSERT_TRUE(position.ok() && size.ok());
        EXPECT_EQ(Rect(*position.value, *size.value), target);
        EXPECT_EQ(kwinFrame(reported->id), expected);
    }
}

} // namespace
} // namespace vx::test
