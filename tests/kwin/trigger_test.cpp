// The trigger through KGlobalAccel: Control alone and a combination are
// reported as they are pressed and released on a real keyboard, another key
// joining a held Control ends the hold, and nothing stays registered after.
#include "fake_input.h"
#include "kwin/global_shortcut_key_source.h"
#include "suite_kwin.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <vector>

namespace vx::test {
namespace {

constexpr std::uint32_t leftControl = 29, keyC = 46, space = 57;

struct Recorder {
    std::vector<KeyEvent> events;
    Subscription subscription;
    explicit Recorder(KeySource& keys)
        : subscription(keys.subscribe([this](const KeyEvent& e) { events.push_back(e); })) {}
};

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
    VX_REQUIRE_KWIN();
    auto input = FakeInput::connect(suiteKWin()->socket());
    ASSERT_TRUE(input);
    using T = KeyEvent::Type;
    const struct {
        const char* name;
        HotkeyBinding binding;
        std::vector<std::pair<std::uint32_t, bool>> keys;
        std::vector<KeyEvent> expected;
    } cases[] = {
        {"control alone",
         HotkeyBinding{modifier::control, std::nullopt},
         {{leftControl, true}, {leftControl, false}},
         {{T::flagsChanged, 0, modifier::control, false}, {T::flagsChanged, 0, 0, false}}},
        {"another key joins control",
         HotkeyBinding{modifier::control, std::nullopt},
         {{leftControl, true}, {keyC, true}, {keyC, false}, {leftControl, false}},
         {{T::flagsChanged, 0, modifier::control, false}, {T::flagsChanged, 0, 0, false}}},
        {"control and space",
         HotkeyBinding{modifier::control, KeyCode{49}},
         {{leftControl, true}, {space, true}, {space, false}, {leftControl, false}},
         {{T::keyDown, 49, modifier::control, false}, {T::keyUp, 49, modifier::control, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kwin::GlobalShortcutKeySource keys(QDBusConnection::sessionBus());
        ASSERT_EQ(keys.setBinding(c.binding), std::nullopt);
        Recorder recorder(keys);
        for (const auto& [key, pressed] : c.keys)
            input->key(key, pressed);
        waitUntil([&] { return recorder.events.size() >= c.expected.size(); });
        settleShortcuts();
        ASSERT_EQ(recorder.events.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(recorder.events[i].type, c.expected[i].type) << i;
            EXPECT_EQ(recorder.events[i].keyCode, c.expected[i].keyCode) << i;
            EXPECT_EQ(recorder.events[i].modifiers, c.expected[i].modifiers) << i;
        }
    }
}

} // namespace
} // namespace vx::test
