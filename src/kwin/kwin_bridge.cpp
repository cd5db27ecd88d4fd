// Requests reach the script as the answer to the call it keeps open; the
// answer is sent once per turn, so a position and a size asked for in one
// turn reach KWin as one placement.
#include "kwin/kwin_bridge.h"

#include "core/base/localization.h"
#include "kwin/kwin_script.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <unistd.h>

namespace vx::kwin {

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString scriptingPath = QStringLiteral("/Scripting");
const QString scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
// Under D-Bus's 25 s default, after which KWin drops the script's open call
// and with it the script's only way to hear from us.
constexpr int keepAliveMs = 20000;
// KWin answers these at once; more than this means it hangs.
constexpr int callTimeoutMs = 2000;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QRect rectOf(const QJsonValue& value) {
    const QJsonObject o = value.toObject();
    return {o.value(QLatin1String("x")).toInt(), o.value(QLatin1String("y")).toInt(),
            o.value(QLatin1String("width")).toInt(), o.value(QLatin1String("height")).toInt()};
}

QDBusMessage callKWin(const QDBusConnection& bus, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {}) {
    auto message = QDBusMessage::createMethodCall(kwinService, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, callTimeoutMs);
}

} // namespace

KWinBridge::KWinBridge(const QDBusConnection& bus, const QString& name, qint64 ownPid)
    : bus_(bus), name_(name), ownPid_(ownPid != 0 ? ownPid : static_cast<qint64>(::getpid())) {
    keepAlive_.setSingleShot(true);
    keepAlive_.setInterval(keepAliveMs);
    connect(&keepAlive_, &QTimer::timeout, this,
            [this] { send(QStringLiteral("{\"op\":\"idle\"}")); });
    inbox_ = std::make_unique<ScriptInbox>([this] {
        QMetaObject::invokeMethod(
            this, [this] { collect(true); }, Qt::QueuedConnection);
    });
    inbox_->moveToThread(&inboxThread_);
    inboxThread_.setObjectName(QStringLiteral("KWin script inbox"));
    inboxThread_.start();
}

std::unique_ptr<KWinBridge> KWinBridge::start(const QDBusConnection& bus, QString* error,
                                              const QString& name, qint64 ownPid) {
    if (!bus.isConnected()) {
        *error = text(localized("There is no session bus, so Vortaxis cannot reach KWin."));
        return nullptr;
    }
    if (!bus.interface()->isServiceRegistered(kwinService)) {
        *error = text(localized("KWin is not running in this session: on Wayland, Vortaxis "
                                "moves windows through KWin's scripting interface."));
        return nullptr;
    }
    auto bridge = std::unique_ptr<KWinBridge>(new KWinBridge(bus, name, ownPid));
    if (!bridge->dir_.isValid()) {
        *error = text(localized("Vortaxis cannot write its KWin script: no temporary folder."));
        return nullptr;
    }
    if (!bridge->bus_.registerObject(QString::fromLatin1(bridgePath), bridge->inbox_.get(),
                                     QDBusConnection::ExportScriptableSlots)) {
        *error = text(localized("Vortaxis cannot offer its D-Bus object to KWin's script."));
        return nullptr;
    }
    if (!bridge->load(error))
        return nullptr;
    auto* raw = bridge.get();
    raw->watcher_ = std::make_unique<QDBusServiceWatcher>(kwinService, bus,
                                                          QDBusServiceWatcher::WatchForOwnerChange);
    connect(raw->watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, raw,
            [raw](const QString&, const QString&, const QString& newOwner) {
                // What the old KWin sent came before this notice: its open call dies here.
                raw->collect(true);
                raw->pending_.reset();
                raw->keepAlive_.stop();
                if (newOwner.isEmpty()) {
                    raw->setState(
                        false,
                        text(localized("KWin has stopped; Vortaxis waits for it to come back.")));
                    return;
                }
                // The new KWin's first report sets the state again.
                QString why;
                raw->setState(false, raw->load(&why) ? QString() : why);
            });
    return bridge;
}

bool KWinBridge::load(QString* error) {
    const QDBusMessage info =
        callKWin(bus_, QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
                 QStringLiteral("supportInformation"));
    if (info.type() == QDBusMessage::ReplyMessage && !info.arguments().isEmpty())
        kwinMajor_ = kwinMajorVersion(info.arguments().constFirst().toString()).value_or(5);

    // A copy from a run that crashed would answer to a bus name that is gone.
    unload();
    const QString file = dir_.filePath(QStringLiteral("vortaxis-bridge.js"));
    QFile out(file);
    const QByteArray script = bridgeScript({kwinMajor_, ownPid_, bus_.baseService()}).toUtf8();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(script) != script.size()) {
        *error = text(localized("Vortaxis cannot write its KWin script: %1",
                                {out.errorString().toStdString()}));
        return false;
    }
    out.close();
    const QDBusMessage loaded = callKWin(bus_, scriptingPath, scriptingInterface,
                                         QStringLiteral("loadScript"), {file, name_});
    const int id = loaded.type() == QDBusMessage::ReplyMessage && !loaded.arguments().isEmpty()
                       ? loaded.arguments().constFirst().toInt()
                       : -1;
    if (id < 0) {
        *error = text(localized("KWin refused to load Vortaxis's script: %1",
                                {loaded.errorMessage().toStdString()}));
        return false;
    }
    const QDBusMessage ran = callKWin(bus_, scriptObjectPath(kwinMajor_, id),
                                      QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"));
    if (ran.type() != QDBusMessage::ReplyMessage) {
        *error = text(localized("KWin did not run Vortaxis's script: %1",
                                {ran.errorMessage().toStdString()}));
        unload();
        return false;
    }
    return true;
}

void KWinBridge::unload() {
    const QDBusMessage loaded = callKWin(bus_, scriptingPath, scriptingInterface,
                                         QStringLiteral("isScriptLoaded"), {name_});
    if (loaded.type() == QDBusMessage::ReplyMessage && !loaded.arguments().isEmpty() &&
        loaded.arguments().constFirst().toBool())
        callKWin(bus_, scriptingPath, scriptingInterface, QStringLiteral("unloadScript"), {name_});
}

KWinBridge::~KWinBridge() {
    watcher_.reset();
    // The script's open call, if it came since the last turn, takes the quit.
    collect(false);
    send(QStringLiteral("{\"op\":\"quit\"}"));
    if (bus_.interface()->isServiceRegistered(kwinService))
        unload();
    bus_.unregisterObject(QString::fromLatin1(bridgePath));
    inboxThread_.quit();
    inboxThread_.wait();
    inbox_.reset();
}

void KWinBridge::collect(bool announce) {
    ScriptMail mail = inbox_->take();
    for (const auto& json : mail.reports)
        apply(json);
    unannounced_ = unannounced_ || !mail.reports.empty();
    if (mail.next) {
        pending_ = std::move(mail.next);
        if (!requests_.empty() || placement_)
            answer();
        else
            keepAlive_.start();
    }
    if (!announce || !unannounced_)
        return;
    unannounced_ = false;
    setState(true, {});
    if (onReport_)
        onReport_();
}

bool KWinBridge::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    collect(false);
    answer();
    bool met = done();
    while (!met && inbox_->waitForMail(deadline)) {
        collect(false);
        met = done();
    }
    if (unannounced_)
        QMetaObject::invokeMethod(
            this, [this] { collect(true); }, Qt::QueuedConnection);
    return met;
}

void KWinBridge::apply(const QString& json) {
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    if (o.contains(QLatin1String("outputs"))) {
        desktop_.outputs.clear();
        for (const auto& value : o.value(QLatin1String("outputs")).toArray()) {
            const QJsonObject output = value.toObject();
            desktop_.outputs.push_back({output.value(QLatin1String("name")).toString(),
                                        rectOf(output.value(QLatin1String("frame"))),
                                        rectOf(output.value(QLatin1String("usable")))});
        }
    }
    if (o.contains(QLatin1String("activeOutput")))
        desktop_.activeOutput = o.value(QLatin1String("activeOutput")).toString();
    if (o.contains(QLatin1String("windows"))) {
        desktop_.windows.clear();
        for (const auto& value : o.value(QLatin1String("windows")).toArray()) {
            const QJsonObject w = value.toObject();
            desktop_.windows.push_back({w.value(QLatin1String("id")).toString(),
                                        w.value(QLatin1String("pid")).toInteger(),
                                        w.value(QLatin1String("caption")).toString(),
                                        w.value(QLatin1String("resourceClass")).toString(),
                                        w.value(QLatin1String("desktopFile")).toString(),
                                        rectOf(w.value(QLatin1String("frame"))),
                                        w.value(QLatin1String("moveable")).toBool(),
                                        w.value(QLatin1String("resizeable")).toBool(),
                                        w.value(QLatin1String("own")).toBool()});
        }
    }
    if (o.contains(QLatin1String("active")))
        desktop_.active = o.value(QLatin1String("active")).toString();
    if (o.contains(QLatin1String("cursor"))) {
        const QJsonObject c = o.value(QLatin1String("cursor")).toObject();
        desktop_.cursor = {c.value(QLatin1String("x")).toInt(),
                           c.value(QLatin1String("y")).toInt()};
    }
}

void KWinBridge::place(const QString& windowId, const QRect& frame) {
    placement_ = std::make_pair(windowId, frame);
    if (answerPosted_)
        return;
    answerPosted_ = true;
    // After the turn: the size that usually follows a position joins it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            answerPosted_ = false;
            answer();
        },
        Qt::QueuedConnection);
}

void KWinBridge::placeOwn(const QString& caption, const QRect& frame) {
    send(QJsonDocument(QJsonObject{{QStringLiteral("op"), QStringLiteral("own")},
                                   {QStringLiteral("caption"), caption},
                                   {QStringLiteral("x"), frame.x()},
                                   {QStringLiteral("y"), frame.y()},
                                   {QStringLiteral("width"), frame.width()},
                                   {QStringLiteral("height"), frame.height()}})
             .toJson(QJsonDocument::Compact));
}

void KWinBridge::setTracking(bool on) {
    send(QJsonDocument(QJsonObject{{QStringLiteral("op"), QStringLiteral("track")},
                                   {QStringLiteral("on"), on}})
             .toJson(QJsonDocument::Compact));
}

void KWinBridge::send(const QString& request) {
    requests_.push_back(request);
    answer();
}

void KWinBridge::answer() {
    if (!pending_)
        return;
    QString request;
    if (!requests_.empty()) {
        request = requests_.front();
        requests_.pop_front();
    } else if (placement_) {
        const auto& [id, r] = *placement_;
        request = QJsonDocument(QJsonObject{{QStringLiteral("op"), QStringLiteral("place")},
                                            {QStringLiteral("id"), id},
                                            {QStringLiteral("x"), r.x()},
                                            {QStringLiteral("y"), r.y()},
                                            {QStringLiteral("width"), r.width()},
                                            {QStringLiteral("height"), r.height()}})
                      .toJson(QJsonDocument::Compact);
        placement_.reset();
    } else {
        return;
    }
    keepAlive_.stop();
    bus_.send(pending_->createReply(request));
    pending_.reset();
}

void KWinBridge::setState(bool reporting, const QString& problem) {
    if (reporting_ == reporting && problem_ == problem)
        return;
    reporting_ = reporting;
    problem_ = problem;
    if (onStateChanged_)
        onStateChanged_();
}

} // namespace vx::kwin
