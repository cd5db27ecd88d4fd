// The script runs inside KWin for as long as Vortaxis does. It pushes what the
// program reads (outputs and their usable areas, windows front to back, the
// active window, the pointer while a gesture may begin) and keeps one call to
// the program open, whose answer is the next thing to do: a pending call is
// answered in a few milliseconds, where loading a script per request costs
// tens of them.
#include "kwin/kwin_script.h"

#include <QRegularExpression>

namespace vx::kwin {

namespace {

// @NAME@ placeholders are filled per KWin version; everything else is shared.
constexpr const char* scriptTemplate =
    R"JS(// Vortaxis's bridge: reports the desktop to Vortaxis and runs its requests.
var service = "@SERVICE@", path = "@PATH@", iface = "@IFACE@", ownPid = @OWNPID@;
var tracking = false, running = true;
// Frames Vortaxis asked for its overlays, by caption.
var ownFrames = {};

function rect(r) { return {x: r.x, y: r.y, width: r.width, height: r.height}; }
function send(part) { callDBus(service, path, iface, "report", JSON.stringify(part)); }
function cursor() { var c = workspace.cursorPos; return {x: c.x, y: c.y}; }
function everyWindow() { return workspace.@WINDOWLIST@; }
function onThisDesktop(w) { return w.onAllDesktops || @ONDESKTOP@; }
@OUTPUTS@
function describe(w) {
    return {id: String(w.internalId), pid: w.pid, caption: String(w.caption),
            resourceClass: String(w.resourceClass), desktopFile: String(w.desktopFileName),
            frame: rect(w.frameGeometry), moveable: w.moveable, resizeable: w.resizeable,
            own: w.pid === ownPid};
}
function windows() {
    // Stacking order runs back to front; Vortaxis reads front to back.
    var all = workspace.stackingOrder || everyWindow(), out = [];
    for (var i = all.length - 1; i >= 0; --i) {
        var w = all[i];
        if (w.deleted || w.minimized || !(w.normalWindow || w.dialog || w.pid === ownPid))
            continue;
        if (onThisDesktop(w))
            out.push(describe(w));
    }
    return out;
}
function report() {
    var active = workspace.@ACTIVE@;
    send({outputs: outputs(), activeOutput: activeOutput(), windows: windows(),
          active: active ? String(active.internalId) : "", cursor: cursor()});
}
function find(id) {
    var all = everyWindow();
    for (var i = 0; i < all.length; ++i)
        if (String(all[i].internalId) === id)
            return all[i];
    return null;
}
function keepOwnOverlay(w) {
    if (w.pid !== ownPid)
        return;
    // The program's overlays: above everything, in no task list.
    w.keepAbove = true;
    w.skipTaskbar = true;
    w.skipPager = true;
    w.skipSwitcher = true;
    var f = ownFrames[String(w.caption)];
    if (f)
        w.frameGeometry = f;
}
function watch(w) {
    keepOwnOverlay(w);
    w.frameGeometryChanged.connect(report);
}
function run(request) {
    var c = JSON.parse(request);
    if (c.op === "quit") {
        running = false;
        return;
    }
    if (c.op === "track") {
        tracking = c.on;
    } else if (c.op === "own") {
        ownFrames[c.caption] = {x: c.x, y: c.y, width: c.width, height: c.height};
        var all = everyWindow();
        for (var i = 0; i < all.length; ++i)
            keepOwnOverlay(all[i]);
    } else if (c.op === "place") {
        var w = find(c.id);
        if (w) {
            if (w.fullScreen)
                w.fullScreen = false;
            w.setMaximize(false, false);
            w.frameGeometry = {x: c.x, y: c.y, width: c.width, height: c.height};
        }
    }
    report();
    next();
}
function next() { if (running) callDBus(service, path, iface, "next", run); }

var known = everyWindow();
for (var i = 0; i < known.length; ++i)
    watch(known[i]);
workspace.@ADDED@.connect(function (w) { watch(w); report(); });
workspace.@REMOVED@.connect(report);
workspace.@ACTIVATED@.connect(report);
workspace.currentDesktopChanged.connect(report);
workspace.@SCREENSCHANGED@.connect(report);
workspace.cursorPosChanged.connect(function () { if (tracking) send({cursor: cursor()}); });
report();
next();
)JS";

// KWin 5 numbers its outputs and desktops; KWin 6 hands out objects.
constexpr const char* outputsV5 =
    R"JS(function outputs() {
    var out = [];
    for (var i = 0; i < workspace.numScreens; ++i)
        out.push({name: String(i),
                  frame: rect(workspace.clientArea(KWin.ScreenArea, i, workspace.currentDesktop)),
                  usable: rect(workspace.clientArea(KWin.PlacementArea, i, workspace.currentDesktop))});
    return out;
}
function activeOutput() { return String(workspace.activeScreen); })JS";

constexpr const char* outputsV6 =
    R"JS(function outputs() {
    var out = [], screens = workspace.screens;
    for (var i = 0; i < screens.length; ++i)
        out.push({name: String(screens[i].name), frame: rect(screens[i].geometry),
                  usable: rect(workspace.clientArea(KWin.PlacementArea, screens[i], workspace.currentDesktop))});
    return out;
}
function activeOutput() { return String(workspace.activeScreen.name); })JS";

} // namespace

QString bridgeScript(const ScriptOptions& options) {
    const bool six = options.kwinMajor >= 6;
    QString text = QString::fromLatin1(scriptTemplate);
    const std::pair<const char*, QString> fills[] = {
        {"@OUTPUTS@", QString::fromLatin1(six ? outputsV6 : outputsV5)},
        {"@SERVICE@", options.service},
        {"@PATH@", QString::fromLatin1(bridgePath)},
        {"@IFACE@", QString::fromLatin1(bridgeInterface)},
        {"@OWNPID@", QString::number(options.ownPid)},
        {"@WINDOWLIST@", QString::fromLatin1(six ? "windowList()" : "clientList()")},
        {"@ONDESKTOP@",
         QString::fromLatin1(six ? "w.desktops.indexOf(workspace.currentDesktop) >= 0"
                                 : "w.desktop === workspace.currentDesktop")},
        {"@ACTIVE@", QString::fromLatin1(six ? "activeWindow" : "activeClient")},
        {"@ADDED@", QString::fromLatin1(six ? "windowAdded" : "clientAdded")},
        {"@REMOVED@", QString::fromLatin1(six ? "windowRemoved" : "clientRemoved")},
        {"@ACTIVATED@", QString::fromLatin1(six ? "windowActivated" : "clientActivated")},
        {"@SCREENSCHANGED@", QString::fromLatin1(six ? "screensChanged" : "numberScreensChanged")},
    };
    for (const auto& [placeholder, value] : fills)
        text.replace(QString::fromLatin1(placeholder), value);
    return text;
}

QString scriptObjectPath(int kwinMajor, int id) {
    return kwinMajor >= 6 ? QStringLiteral("/Scripting/Script%1").arg(id)
                          : QStringLiteral("/%1").arg(id);
}

std::optional<int> kwinMajorVersion(const QString& supportInformation) {
    static const QRegularExpression version(QStringLiteral("KWin version:\\s*(\\d+)\\."));
    const auto match = version.match(supportInformation);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

} // namespace vx::kwin
