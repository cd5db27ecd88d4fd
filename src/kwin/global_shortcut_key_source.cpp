// KGlobalAccel keeps shortcuts in the user's kglobalshortcutsrc: ours is set
// without loading any stored value and is unregistered on exit, and on start
// before it is set again, so a crash leaves at most our own entry behind.
#include "kwin/global_shortcut_key_source.h"

#include "core/base/localization.h"
#include "kwin/own_window_keys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QStringList>
#include <Qt>
#include <cstdio>
#include <utility>

namespace vx::kwin {

namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString path = QStringLiteral("/kglobalaccel");
const QString interface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
// KGlobalAccel's SetPresent | NoAutoloading: take our keys, not a stored value.
constexpr uint setFlags = 2 | 4;
constexpr int callTimeoutMs = 2000;

QStringList actionId() {
    return {QString::fromLatin1(shortcutComponent), QString::fromLatin1(shortcutAction),
            QStringLiteral("Vortaxis"),
            QString::fromStdString(localized("Hold to arrange windows"))};
}

QDBusMessage call(const QDBusConnection& bus, const QString& method, const QVariantList& args) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    return bus.call(message, QDBus::Block, callTimeoutMs);
}

// The program's virtual key numbering to Qt's keys, for the keys a trigger
// is likely to use.
constexpr std::pair<KeyCode, int> keyTable[] = {
    {0, Qt::Key_A},          {11, Qt::Key_B},         {8, Qt::Key_C},      {2, Qt::Key_D},
    {14, Qt::Key_E},         {3, Qt::Key_F},          {5, Qt::Key_G},      {4, Qt::Key_H},
    {34, Qt::Key_I},         {38, Qt::Key_J},         {40, Qt::Key_K},     {37, Qt::Key_L},
    {46, Qt::Key_M},         {45, Qt::Key_N},         {31, Qt::Key_O},     {35, Qt::Key_P},
    {12, Qt::Key_Q},         {15, Qt::Key_R},         {1, Qt::Key_S},      {17, Qt::Key_T},
    {32, Qt::Key_U},         {9, Qt::Key_V},          {13, Qt::Key_W},     {7, Qt::Key_X},
    {16, Qt::Key_Y},         {6, Qt::Key_Z},          {29, Qt::Key_0},     {18, Qt::Key_1},
    {19, Qt::Key_2},         {20, Qt::Key_3},         {21, Qt::Key_4},     {23, Qt::Key_5},
    {22, Qt::Key_6},         {26, Qt::Key_7},         {28, Qt::Key_8},     {25, Qt::Key_9},
    {49, Qt::Key_Space},     {36, Qt::Key_Return},    {48, Qt::Key_Tab},   {53, Qt::Key_Escape},
    {51, Qt::Key_Backspace}, {117, Qt::Key_Delete},   {115, Qt::Key_Home}, {119, Qt::Key_End},
    {116, Qt::Key_PageUp},   {121, Qt::Key_PageDown}, {123, Qt::Key_Left}, {124, Qt::Key_Right},
    {125, Qt::Key_Down},     {126, Qt::Key_Up},       {122, Qt::Key_F1},   {120, Qt::Key_F2},
    {99, Qt::Key_F3},        {118, Qt::Key_F4},       {96, Qt::Key_F5},    {97, Qt::Key_F6},
    {98, Qt::Key_F7},        {100, Qt::Key_F8},       {101, Qt::Key_F9},   {109, Qt::Key_F10},
    {103, Qt::Key_F11},      {111, Qt::Key_F12},
};

// Each modifier with the key that is that modifier alone.
constexpr std::tuple<ModifierFlags, int, int> modifierTable[] = {
    {modifier::shift, Qt::ShiftModifier, Qt::Key_Shift},
    {modifier::control, Qt::ControlModifier, Qt::Key_Control},
    {modifier::option, Qt::AltModifier, Qt::Key_Alt},
    {modifier::command, Qt::MetaModifier, Qt::Key_Meta},
};

} // namespace

std::vector<int> qtShortcuts(const HotkeyBinding& binding) {
    int modifiers = 0;
    for (const auto& [flag, qtModifier, key] : modifierTable)
        if (binding.maskedModifiers() & flag)
            modifiers |= qtModifier;
    if (binding.keyCode) {
        for (const auto& [code, key] : keyTable)
            if (code == *binding.keyCode)
                return {modifiers | key};
        return {};
    }
    // Modifiers alone: KWin matches the one pressed last, with the others
    // held, some versions with its own bit and some without; the first
    // form is the one the shortcut settings show.
    std::vector<int> keys;
    for (const auto& [flag, qtModifier, key] : modifierTable)
        if (binding.maskedModifiers() & flag)
            keys.insert(keys.begin(), {modifiers | key, (modifiers & ~qtModifier) | key});
    return keys;
}

GlobalShortcutKeySource::GlobalShortcutKeySource(const QDBusConnection& bus) : bus_(bus) {
    const QString component = QStringLiteral("/component/%1").arg(QLatin1String(shortcutComponent));
    bus_.connect(service, component, componentInterface, QStringLiteral("globalShortcutPressed"),
                 this, SLOT(pressed(QString, QString, qlonglong)));
    bus_.connect(service, component, componentInterface, QStringLiteral("globalShortcutReleased"),
                 this, SLOT(released(QString, QString, qlonglong)));
    const QString saver = QStringLiteral("org.freedesktop.ScreenSaver");
    bus_.connect(saver, QStringLiteral("/ScreenSaver"), saver, QStringLiteral("ActiveChanged"),
                 this, SLOT(lockChanged(bool)));
    auto ask = QDBusMessage::createMethodCall(saver, QStringLiteral("/ScreenSaver"), saver,
                                              QStringLiteral("GetActive"));
    const QDBusMessage locked = bus_.call(ask, QDBus::Block, callTimeoutMs);
    locked_ = locked.type() == QDBusMessage::ReplyMessage && !locked.arguments().isEmpty() &&
              locked.arguments().constFirst().toBool();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ownKeys_ = std::make_unique<OwnWindowKeys>([this](const KeyEvent& e) { deliver(e); });
}

GlobalShortcutKeySource::~GlobalShortcutKeySource() {
    unregister();
}

void GlobalShortcutKeySource::unregister() {
    call(bus_, QStringLiteral("unRegister"), {actionId()});
    registered_ = false;
}

void GlobalShortcutKeySource::setRecording(bool recording) {
    if (recording == recording_)
        return;
    recording_ = recording;
    if (recording && ownKeys_)
        ownKeys_->watchFirst();
    if (recording) {
        // A hold that began with the old trigger ends with the recording.
        if (down_)
            released(QString::fromLatin1(shortcutComponent), QString::fromLatin1(shortcutAction),
                     0);
        unregister();
    } else if (!registered_) {
        // Nothing recorded: the old trigger again (it was taken before).
        if (auto why = setBinding(binding_))
            std::fprintf(stderr, "vortaxis: %s\n", why->toLocal8Bit().constData());
    }
}

std::optional<QString> GlobalShortcutKeySource::setBinding(const HotkeyBinding& binding) {
    const std::vector<int> forms = qtShortcuts(binding);
    if (forms.empty())
        return QString::fromStdString(
            localized("KGlobalAccel cannot take this trigger; choose modifiers alone or a letter, "
                      "digit, space, arrow or function key with modifiers."));
    binding_ = binding;
    // A stored value of ours, from a run that crashed, must not win over this one.
    unregister();
    const QDBusMessage registered = call(bus_, QStringLiteral("doRegister"), {actionId()});
    const QList<int> keys(forms.begin(), forms.end());
    const QDBusMessage set = call(bus_, QStringLiteral("setShortcut"),
                                  {actionId(), QVariant::fromValue(keys), setFlags});
    if (registered.type() != QDBusMessage::ReplyMessage || set.type() != QDBusMessage::ReplyMessage)
        return QString::fromStdString(
            localized("KGlobalAccel did not take the trigger: %1",
                      {(registered.type() != QDBusMessage::ReplyMessage ? registered : set)
                           .errorMessage()
                           .toStdString()}));
    registered_ = true;
    const auto given = set.arguments().isEmpty()
                           ? QList<int>()
                           : qdbus_cast<QList<int>>(set.arguments().constFirst());
    if (given.isEmpty() || given.constFirst() != forms.front())
        return QString::fromStdString(
            localized("Another program already uses this trigger as a global shortcut."));
    return std::nullopt;
}

Subscription GlobalShortcutKeySource::subscribe(std::function<void(const KeyEvent&)> handler) {
    const int id = nextHandler_++;
    handlers_.emplace(id, std::move(handler));
    return Subscription([this, id] { handlers_.erase(id); });
}

void GlobalShortcutKeySource::deliver(const KeyEvent& event) {
    // A handler may end its own subscription while it runs.
    auto copy = handlers_;
    for (auto& [id, handler] : copy)
        if (handlers_.count(id))
            handler(event);
}

void GlobalShortcutKeySource::pressed(const QString& component, const QString& action, qlonglong) {
    if (component != QLatin1String(shortcutComponent) || action != QLatin1String(shortcutAction) ||
        down_ || locked_)
        return;
    down_ = true;
    if (onPress_)
        onPress_(true);
    const ModifierFlags modifiers = binding_.maskedModifiers();
    if (binding_.keyCode)
        deliver({KeyEvent::Type::keyDown, *binding_.keyCode, modifiers, false});
    else
        deliver({KeyEvent::Type::flagsChanged, 0, modifiers, false});
}

void GlobalShortcutKeySource::released(const QString& component, const QString& action, qlonglong) {
    if (component != QLatin1String(shortcutComponent) || action != QLatin1String(shortcutAction) ||
        !down_)
        return;
    down_ = false;
    if (binding_.keyCode)
        deliver({KeyEvent::Type::keyUp, *binding_.keyCode, binding_.maskedModifiers(), false});
    else
        deliver({KeyEvent::Type::flagsChanged, 0, 0, false});
    if (onPress_)
        onPress_(false);
}

void GlobalShortcutKeySource::lockChanged(bool locked) {
    locked_ = locked;
    // A lock while the trigger is down ends the hold; nothing begins under it.
    if (locked && down_)
        released(QString::fromLatin1(shortcutComponent), QString::fromLatin1(shortcutAction), 0);
}

} // namespace vx::kwin
