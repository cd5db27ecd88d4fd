// The program's end of the KWin script: loads it under Vortaxis's own name,
// keeps what it reports, hands it requests, and takes it out again on exit.
// A copy left by a crash is unloaded before a new one starts, and a KWin that
// restarts gets the script again; nothing of it stays in KWin's configuration.
#pragma once

#include "kwin/kwin_script.h"
#include "kwin/kwin_script_inbox.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QDBusServiceWatcher;

namespace vx::kwin {

struct KWinOutput {
    QString name;
    QRect frame;  // KWin's global pixels, origin top-left of the layout
    QRect usable; // minus panels
};

struct KWinWindow {
    QString id; // KWin's internal id, stable for the window's life
    qint64 pid = 0;
    QString caption;
    QString resourceClass;
    QString desktopFile;
    QRect frame;
    bool moveable = false;
    bool resizeable = false;
    bool own = false; // one of this program's overlays
};

// What the script reported last.
struct KWinDesktop {
    std::vector<KWinOutput> outputs;
    QString activeOutput;
    std::vector<KWinWindow> windows; // front to back, this desktop only
    QString active;                  // id of the active window, empty for none
    QPoint cursor;
};

class KWinBridge final : public QObject {
    Q_OBJECT

public:
    // Nothing and the reason in `error` when KWin's scripting cannot be
    // reached. The script's first report arrives later, from the event loop.
    // `name` is what KWin keeps the script under (tests watch under another).
    // The windows of process `ownPid` (0: this one) are reported whatever their
    // kind, the overlays among them.
    static std::unique_ptr<KWinBridge>
    start(const QDBusConnection& bus, QString* error,
          const QString& name = QString::fromLatin1(scriptPluginName), qint64 ownPid = 0);
    ~KWinBridge() override;

    const KWinDesktop& desktop() const { return desktop_; }
    int kwinMajor() const { return kwinMajor_; }
    // The script is loaded and has reported since it was (re)loaded.
    bool isReporting() const { return reporting_; }
    // Why the bridge does not work right now; empty while it does.
    QString problem() const { return problem_; }

    // Asks KWin to give the window this frame (global pixels); the last of
    // several requests in one turn wins.
    void place(const QString& windowId, const QRect& frame);
    // Puts this program's own window of this caption at `frame` whenever
    // KWin shows it, above everything and never keeping the focus.
    void placeOwn(const QString& caption, const QRect& frame);
    // Pointer reports while a gesture may begin; off again when it is over.
    void setTracking(bool on);
    // Sends what was asked for this turn now and takes the script's reports
    // until `done` holds or the time is up (then false). Runs no event loop
    // and tells no one of the reports until the program's thread is idle
    // again, so it may be called from inside core.
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Told after every report the script sends.
    void setOnReport(std::function<void()> callback) { onReport_ = std::move(callback); }
    // Told when the script starts reporting, and when KWin goes away
    // (problem() says why) or comes back.
    void setOnStateChanged(std::function<void()> callback) {
        onStateChanged_ = std::move(callback);
    }

private:
    KWinBridge(const QDBusConnection& bus, const QString& name, qint64 ownPid);
    bool load(QString* error);
    void unload();
    void send(const QString& request);
    void answer();
    // Acts on what the script sent; `announce` tells the listeners of it.
    void collect(bool announce);
    void apply(const QString& json);
    void setState(bool reporting, const QString& problem);

    QDBusConnection bus_;
    QString name_;
    qint64 ownPid_;
    int kwinMajor_ = 5;
    QTemporaryDir dir_;
    KWinDesktop desktop_;
    bool reporting_ = false;
    QString problem_;
    std::optional<QDBusMessage> pending_;
    std::deque<QString> requests_;
    std::optional<std::pair<QString, QRect>> placement_;
    bool answerPosted_ = false;
    bool unannounced_ = false; // reports taken inside a wait
    QTimer keepAlive_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::function<void()> onReport_;
    std::function<void()> onStateChanged_;
    QThread inboxThread_;
    std::unique_ptr<ScriptInbox> inbox_;
};

} // namespace vx::kwin
