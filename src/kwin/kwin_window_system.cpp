// Reads answer from the script's last report; writes become one placement
// request per turn. KWin moves the window a few milliseconds later and the
// script reports the new frame then, so a read of a frame just asked for waits
// for that report: core judges from that read whether KWin kept the window
// in place.
#include "kwin/kwin_window_system.h"

#include "kwin/kwin_screens.h"

#include <QFile>
#include <QMetaObject>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <unistd.h>

namespace vx::kwin {

namespace {

constexpr std::uint64_t applicationMarker = std::uint64_t{1} << 40;
// As long as the X11 side waits for a window manager's answer: a client that
// is slow to take a new size still makes it, one that refuses costs no more.
constexpr std::chrono::milliseconds placementAnswerTimeout{400};

std::string str(const QString& s) {
    return s.toStdString();
}

// Name and Icon of a desktop entry's main group, read directly: KWin names
// the entry, so no search over every installed one is needed.
struct Entry {
    QString name, icon;
};
std::optional<Entry> desktopEntry(const QString& id) {
    if (id.isEmpty())
        return std::nullopt;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                                id + QStringLiteral(".desktop"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    Entry entry;
    bool inMain = false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMain = line == QLatin1String("[Desktop Entry]");
        else if (inMain && line.startsWith(QLatin1String("Name=")) && entry.name.isEmpty())
            entry.name = line.mid(5).trimmed();
        else if (inMain && line.startsWith(QLatin1String("Icon=")) && entry.icon.isEmpty())
            entry.icon = line.mid(5).trimmed();
    }
    return entry;
}

} // namespace

KWinWindowSystem::KWinWindowSystem(KWinBridge& bridge, IconLookup iconLookup)
    : bridge_(bridge), iconLookup_(std::move(iconLookup)) {}

WindowID KWinWindowSystem::number(const QString& id) {
    const auto [it, inserted] =
        numbers_.try_emplace(id, static_cast<WindowID>(numbers_.size() + 1));
    if (inserted)
        ids_.emplace(it->second, id);
    return it->second;
}

const KWinWindow* KWinWindowSystem::window(std::uint64_t handle) const {
    const auto id = ids_.find(static_cast<WindowID>(handle));
    if (handle == 0 || handle >= applicationMarker || id == ids_.end())
        return nullptr;
    for (const auto& w : bridge_.desktop().windows)
        if (w.id == id->second)
            return &w;
    return nullptr;
}

RunningApplication KWinWindowSystem::application(const KWinWindow& w) const {
    RunningApplication app;
    app.processID = static_cast<ProcessID>(w.pid);
    const auto entry = desktopEntry(w.desktopFile);
    if (entry && !entry->name.isEmpty())
        app.localizedName = str(entry->name);
    else if (!w.resourceClass.isEmpty())
        app.localizedName = str(w.resourceClass);
    if (!w.desktopFile.isEmpty())
        app.bundleIdentifier = str(w.desktopFile);
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(w.pid) + "/exe", ec);
    if (!ec)
        app.bundlePath = exe.string();
    return app;
}

WindowListEntry KWinWindowSystem::entry(const KWinWindow& w) {
    const Point origin = KWinCoordinates::of(bridge_.desktop()).toTopLeft(w.frame.topLeft());
    return {static_cast<ProcessID>(w.pid), std::int64_t{0}, number(w.id), str(w.resourceClass),
            WindowListBounds{origin.x, origin.y, static_cast<double>(w.frame.width()),
                             static_cast<double>(w.frame.height())}};
}

AXRead<ElementRef> KWinWindowSystem::focusedApplication() {
    for (const auto& w : bridge_.desktop().windows)
        if (w.id == bridge_.desktop().active)
            return AXRead<ElementRef>::of(applicationElement(static_cast<ProcessID>(w.pid)));
    return AXRead<ElementRef>::error(axstatus::noValue);
}

ProcessID KWinWindowSystem::pid(ElementRef application) {
    return application.handle > applicationMarker
               ? static_cast<ProcessID>(application.handle - applicationMarker)
               : 0;
}

ElementRef KWinWindowSystem::applicationElement(ProcessID pid) {
    return {applicationMarker + static_cast<std::uint64_t>(pid)};
}

AXRead<ElementRef> KWinWindowSystem::focusedWindow(ElementRef application) {
    const ProcessID owner = pid(application);
    for (const auto& w : bridge_.desktop().windows)
        if (w.id == bridge_.desktop().active && w.pid == owner)
            return AXRead<ElementRef>::of({number(w.id)});
    return AXRead<ElementRef>::error(axstatus::noValue);
}

AXRead<std::vector<ElementRef>> KWinWindowSystem::windows(ElementRef application) {
    const ProcessID owner = pid(application);
    if (owner == 0)
        return AXRead<std::vector<ElementRef>>::error(axstatus::invalidElement);
    std::vector<ElementRef> out;
    for (const auto& w : bridge_.desktop().windows)
        if (w.pid == owner)
            out.push_back({number(w.id)});
    return AXRead<std::vector<ElementRef>>::of(std::move(out));
}

AXRead<Point> KWinWindowSystem::position(ElementRef handle) {
    const auto* w = settled(handle.handle);
    if (!w)
        return AXRead<Point>::error(axstatus::invalidElement);
    return AXRead<Point>::of(KWinCoordinates::of(bridge_.desktop()).toTopLeft(w->frame.topLeft()));
}

AXRead<Size> KWinWindowSystem::size(ElementRef handle) {
    const auto* w = settled(handle.handle);
    if (!w)
        return AXRead<Size>::error(axstatus::invalidElement);
    return AXRead<Size>::of(
        {static_cast<double>(w->frame.width()), static_cast<double>(w->frame.height())});
}

AXRead<std::string> KWinWindowSystem::role(ElementRef element) {
    if (element.handle > applicationMarker)
        return AXRead<std::string>::of("AXApplication");
    return window(element.handle) ? AXRead<std::string>::of("AXWindow")
                                  : AXRead<std::string>::error(axstatus::invalidElement);
}

AXRead<std::string> KWinWindowSystem::title(ElementRef handle) {
    const auto* w = window(handle.handle);
    return w ? AXRead<std::string>::of(str(w->caption))
             : AXRead<std::string>::error(axstatus::invalidElement);
}

AXRead<bool> KWinWindowSystem::isPositionSettable(ElementRef handle) {
    const auto* w = window(handle.handle);
    return w ? AXRead<bool>::of(w->moveable) : AXRead<bool>::error(axstatus::invalidElement);
}

AXRead<bool> KWinWindowSystem::isSizeSettable(ElementRef handle) {
    const auto* w = window(handle.handle);
    return w ? AXRead<bool>::of(w->resizeable) : AXRead<bool>::error(axstatus::invalidElement);
}

AXStatus KWinWindowSystem::request(std::uint64_t handle, std::optional<Point> origin,
                                   std::optional<Size> size) {
    const auto* w = window(handle);
    if (!w)
        return axstatus::invalidElement;
    if (!bridge_.isReporting())
        return axstatus::cannotComplete;
    const auto id = static_cast<WindowID>(handle);
    const bool fresh = !asked_ || asked_->id != id;
    QRect frame = fresh ? w->frame : asked_->frame;
    if (fresh)
        // Forgotten after this turn: later requests start from what KWin reports.
        QMetaObject::invokeMethod(
            &bridge_, [this] { asked_.reset(); }, Qt::QueuedConnection);
    if (origin)
        frame.moveTopLeft(KWinCoordinates::of(bridge_.desktop()).fromTopLeft(*origin));
    if (size)
        frame.setSize({static_cast<int>(std::lround(size->width)),
                       static_cast<int>(std::lround(size->height))});
    asked_ = Asked{id, frame};
    bridge_.place(w->id, frame);
    return axstatus::success;
}

const KWinWindow* KWinWindowSystem::settled(std::uint64_t handle) {
    if (asked_ && asked_->id == handle && !asked_->awaited) {
        asked_->awaited = true;
        const QRect wanted = asked_->frame;
        bridge_.waitFor(
            [&] {
                const auto* w = window(handle);
                return !w || w->frame == wanted;
            },
            placementAnswerTimeout);
    }
    return window(handle);
}

AXStatus KWinWindowSystem::setPosition(ElementRef window, Point topLeft) {
    return request(window.handle, topLeft, std::nullopt);
}

AXStatus KWinWindowSystem::setSize(ElementRef window, Size size) {
    return request(window.handle, std::nullopt, size);
}

AXRead<WindowID> KWinWindowSystem::windowID(ElementRef handle) {
    return window(handle.handle) ? AXRead<WindowID>::of(static_cast<WindowID>(handle.handle))
                                 : AXRead<WindowID>::error(axstatus::invalidElement);
}

ProcessID KWinWindowSystem::ownProcessID() {
    return static_cast<ProcessID>(::getpid());
}

std::optional<RunningApplication> KWinWindowSystem::frontmostApplication() {
    for (const auto& w : bridge_.desktop().windows)
        if (w.id == bridge_.desktop().active)
            return application(w);
    return std::nullopt;
}

std::optional<RunningApplication> KWinWindowSystem::runningApplication(ProcessID pid) {
    for (const auto& w : bridge_.desktop().windows)
        if (w.pid == pid)
            return application(w);
    return std::nullopt;
}

std::vector<RunningApplication> KWinWindowSystem::runningApplications() {
    std::vector<RunningApplication> out;
    for (const auto& w : bridge_.desktop().windows) {
        const bool seen = std::any_of(out.begin(), out.end(), [&](const RunningApplication& a) {
            return a.processID == w.pid;
        });
        if (!seen)
            out.push_back(application(w));
    }
    return out;
}

std::optional<Image> KWinWindowSystem::applicationIcon(ProcessID pid) {
    if (!iconLookup_)
        return std::nullopt;
    for (const auto& w : bridge_.desktop().windows) {
        if (w.pid != pid)
            continue;
        const auto entry = desktopEntry(w.desktopFile);
        const QString name = entry && !entry->icon.isEmpty() ? entry->icon : w.resourceClass;
        return iconLookup_(str(name));
    }
    return std::nullopt;
}

std::optional<std::vector<WindowListEntry>> KWinWindowSystem::onScreenWindows() {
    if (!bridge_.isReporting())
        return std::nullopt;
    std::vector<WindowListEntry> out;
    for (const auto& w : bridge_.desktop().windows)
        out.push_back(entry(w));
    return out;
}

std::optional<std::vector<WindowListEntry>> KWinWindowSystem::windowInfo(WindowID id) {
    const auto* w = settled(id);
    if (!w)
        return std::nullopt;
    return std::vector<WindowListEntry>{entry(*w)};
}

AXRead<Rect> KWinWindowSystem::serverScreenRect(WindowID id) {
    const auto* w = settled(id);
    if (!w)
        return AXRead<Rect>::error(axstatus::invalidElement);
    const Point origin = KWinCoordinates::of(bridge_.desktop()).toTopLeft(w->frame.topLeft());
    return AXRead<Rect>::of(
        {origin, {static_cast<double>(w->frame.width()), static_cast<double>(w->frame.height())}});
}

AXStatus KWinWindowSystem::moveWindowWithGroup(WindowID id, Point topLeft) {
    return request(id, topLeft, std::nullopt);
}

AXStatus KWinWindowSystem::moveWindow(WindowID id, Point topLeft) {
    return request(id, topLeft, std::nullopt);
}

} // namespace vx::kwin
