// The trigger through KGlobalAccel: Control alone and a combination are
// reported as they are pressed and released on a real keyboard, and another
// key joining a held Control ends the hold.
#include "kwin/global_shortcut_key_source.h"
#include "kwin_harness.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <vector>

namespace vx::test {
namespace {

constexpr std::uint32_t leftControl = 29, keyC = 46, space = 57;

// KGlobalAccel's answer comes after every signal it sent before it, so an
// extra report, if any, is in by then.
void settleShortcuts() {
    auto message = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
        QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("allMainComponents"));
    QDBusConnection::sessionBus().call(message);
    QCoreApplication::processEvents();
}

TEST(GlobalShortcutKeySourceTest, ReportsPressAndReleaseOfTheBinding) {
    ASSERT_TRUE(kwinUp());
    auto input = FakeInput::connect(kwinSocket());
    ASSERT_TRUE(input);
    using T = KeyEvent::Type;
    using Events = std::vector<std::tuple<KeyEvent::Type, KeyCode, ModifierFlags>>;
    const Events controlHeld{{T::flagsChanged, 0, modifier::control}, {T::flagsChanged, 0, 0}};
    const struct {
        const char* name;
        std::optional<KeyCode> bindingKey; // none: Control alone
        std::uint32_t joining;             // pressed and released while Control is held
        Events expected;
    } cases[] = {
        {"control alone", std::nullopt, 0, controlHeld},
        {"another key joins control", std::nullopt, keyC, controlHeld},
        {"control and space",
         KeyCode{49},
         space,
         {{T::keyDown, 49, modifier::control}, {T::keyUp, 49, modifier::control}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kwin::GlobalShortcutKeySource keys(QDBusConnection::sessionBus());
        ASSERT_EQ(keys.setBinding({modifier::control, c.bindingKey}), std::nullopt);
        Events events;
        const Subscription recording = keys.subscribe(
            [&](const KeyEvent& e) { events.emplace_back(e.type, e.keyCode, e.modifiers); });
        input->key(leftControl, true);
        if (c.joining) {
            input->key(c.joining, true);
            input->key(c.joining, false);
        }
        input->key(leftControl, false);
        waitUntil([&] { return events.size() >= c.expected.size(); });
        settleShortcuts();
        EXPECT_EQ(events, c.expected);
    }
}

} // namespace
} // namespace vx::test
