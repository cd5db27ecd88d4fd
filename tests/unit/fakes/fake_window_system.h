// A scripted desktop behind the WindowSystem seam: applications, their windows
// (with or without an accessibility element and a window-server id), settable
// flags, statuses to answer, and writes that land where the script says. Every
// call is logged, and every call checks that the caller holds no lock it
// promised not to hold across a seam call.
#pragma once

#include "core/window/access_trust.h"
#include "core/window/window_system.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vx::test {

// Counts calls made while `lockHeld` answers true.
struct LockWatch {
    std::function<bool()> lockHeld;
    int callsUnderLock = 0;
    void check() {
        if (lockHeld && lockHeld())
            ++callsUnderLock;
    }
};

struct FakeWindow {
    ProcessID owner = 0;
    Rect frame; // top-left coordinates
    // Reachable through accessibility (listed in the owner's windows).
    bool exposed = true;
    // The window-server id; absent or 0 when the platform cannot tell it.
    std::optional<WindowID> id;
    AXStatus idStatus = axstatus::success;
    std::string role = "AXWindow";
    std::string title;
    bool positionSettable = true;
    bool sizeSettable = true;
    AXStatus settableStatus = axstatus::success;
    AXStatus positionWriteStatus = axstatus::success;
    AXStatus sizeWriteStatus = axstatus::success;
    bool frameReadable = true;
    // Where writes land: sizes never go below this, positions are off by this.
    Size minimumSize;
    Point landingOffset;
    bool ignoresServerMoves = false;
    // In the on-screen window list, and how it is listed there.
    bool listed = true;
    std::int64_t layer = 0;
    bool boundsListed = true;
    std::optional<std::string> listedOwnerName; // else the owner's name
    std::function<void(WindowListEntry&)> editEntry;
    bool closed = false;
};

struct FakeApp {
    RunningApplication info;
    AXStatus windowsStatus = axstatus::success;
    std::optional<std::size_t> focusedWindow; // index into FakeWindowSystem::stack
    std::optional<Image> icon;
};

class FakeWindowSystem final : public WindowSystem {
public:
    ProcessID own = 100;
    std::map<ProcessID, FakeApp> apps;
    // Front to back: the order of the window list.
    std::vector<FakeWindow> stack;
    std::optional<ProcessID> focusedApp;
    std::optional<ProcessID> frontmost;
    bool listReadable = true;
    bool windowInfoReadable = true;
    bool serverRectReadable = true;
    // Position writes and server moves are held back until settle(), as a
    // window manager answers a moment later.
    bool deferMoves = false;

    std::vector<std::string> calls;
    LockWatch lock;

    // --- scripting ---
    FakeApp& addApp(ProcessID pid, std::optional<std::string> name,
                    std::optional<std::string> bundlePath = std::nullopt) {
        auto& app = apps[pid];
        app.info.processID = pid;
        app.info.localizedName = std::move(name);
        app.info.bundlePath = std::move(bundlePath);
        return app;
    }
    // Answers the window's index in `stack`.
    std::size_t addWindow(ProcessID owner, Rect frame, std::optional<WindowID> id = std::nullopt) {
        FakeWindow window;
        window.owner = owner;
        window.frame = frame;
        window.id = id;
        stack.push_back(std::move(window));
        return stack.size() - 1;
    }
    static ElementRef element(std::size_t index) { return ElementRef{index + 1}; }
    FakeWindow& window(ElementRef e) { return stack.at(e.handle - 1); }
    std::size_t count(const std::string& call) const {
        return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
    }
    void settle() {
        for (auto& [index, to] : pending_)
            stack[index].frame.origin = to;
        pending_.clear();
    }

    // --- accessibility ---
    AXRead<ElementRef> focusedApplication() override {
        log("focusedApplication");
        if (!focusedApp)
            return AXRead<ElementRef>::error(axstatus::noValue);
        return AXRead<ElementRef>::of(applicationElement(*focusedApp));
    }
    ProcessID pid(ElementRef application) override {
        log("pid");
        return isApp(application) ? appPID(application) : 0;
    }
    ElementRef applicationElement(ProcessID pid) override {
        log("applicationElement");
        return ElementRef{appBase + static_cast<std::uint64_t>(pid)};
    }
    AXRead<ElementRef> focusedWindow(ElementRef application) override {
        log("focusedWindow");
        const auto it = apps.find(appPID(application));
        if (!isApp(application) || it == apps.end() || !it->second.focusedWindow)
            return AXRead<ElementRef>::error(axstatus::noValue);
        return AXRead<ElementRef>::of(element(*it->second.focusedWindow));
    }
    AXRead<std::vector<ElementRef>> windows(ElementRef application) override {
        log("windows");
        const auto it = apps.find(appPID(application));
        if (!isApp(application) || it == apps.end())
            return AXRead<std::vector<ElementRef>>::error(axstatus::invalidElement);
        if (it->second.windowsStatus != axstatus::success)
            return AXRead<std::vector<ElementRef>>::error(it->second.windowsStatus);
        std::vector<ElementRef> out;
        for (std::size_t i = 0; i < stack.size(); ++i) {
            if (stack[i].owner == appPID(application) && stack[i].exposed && !stack[i].closed)
                out.push_back(element(i));
        }
        return AXRead<std::vector<ElementRef>>::of(out);
    }
    AXRead<Point> position(ElementRef e) override {
        log("position");
        if (auto* w = live(e); w && w->frameReadable)
            return AXRead<Point>::of(w->frame.origin);
        return AXRead<Point>::error(axstatus::noValue);
    }
    AXRead<Size> size(ElementRef e) override {
        log("size");
        if (auto* w = live(e); w && w->frameReadable)
            return AXRead<Size>::of(w->frame.size);
        return AXRead<Size>::error(axstatus::noValue);
    }
    AXRead<std::string> role(ElementRef e) override {
        log("role");
        if (auto* w = live(e))
            return AXRead<std::string>::of(w->role);
        return AXRead<std::string>::error(axstatus::invalidElement);
    }
    AXRead<std::string> title(ElementRef e) override {
        log("title");
        if (auto* w = live(e))
            return AXRead<std::string>::of(w->title);
        return AXRead<std::string>::error(axstatus::invalidElement);
    }
    AXRead<bool> isPositionSettable(ElementRef e) override {
        log("isPositionSettable");
        return settable(e, &FakeWindow::positionSettable);
    }
    AXRead<bool> isSizeSettable(ElementRef e) override {
        log("isSizeSettable");
        return settable(e, &FakeWindow::sizeSettable);
    }
    AXStatus setPosition(ElementRef e, Point topLeft) override {
        log("setPosition");
        auto* w = live(e);
        if (!w)
            return axstatus::invalidElement;
        if (w->positionWriteStatus == axstatus::success)
            moveTo(e.handle - 1, {topLeft.x + w->landingOffset.x, topLeft.y + w->landingOffset.y});
        return w->positionWriteStatus;
    }
    AXStatus setSize(ElementRef e, Size size) override {
        log("setSize");
        auto* w = live(e);
        if (!w)
            return axstatus::invalidElement;
        if (w->sizeWriteStatus == axstatus::success)
            w->frame.size = {std::max(size.width, w->minimumSize.width),
                             std::max(size.height, w->minimumSize.height)};
        return w->sizeWriteStatus;
    }
    AXRead<WindowID> windowID(ElementRef e) override {
        log("windowID");
        auto* w = live(e);
        if (!w || !w->id || w->idStatus != axstatus::success)
            return AXRead<WindowID>::error(w ? w->idStatus : axstatus::invalidElement);
        return AXRead<WindowID>::of(*w->id);
    }

    // --- processes and applications ---
    ProcessID ownProcessID() override {
        log("ownProcessID");
        return own;
    }
    std::optional<RunningApplication> frontmostApplication() override {
        log("frontmostApplication");
        if (!frontmost)
            return std::nullopt;
        if (const auto it = apps.find(*frontmost); it != apps.end())
            return it->second.info;
        return RunningApplication{*frontmost, {}, {}, {}};
    }
    std::optional<RunningApplication> runningApplication(ProcessID pid) override {
        log("runningApplication");
        if (const auto it = apps.find(pid); it != apps.end())
            return it->second.info;
        return std::nullopt;
    }
    std::vector<RunningApplication> runningApplications() override {
        log("runningApplications");
        std::vector<RunningApplication> out;
        for (const auto& [pid, app] : apps)
            out.push_back(app.info);
        return out;
    }
    std::optional<Image> applicationIcon(ProcessID pid) override {
        log("applicationIcon");
        if (const auto it = apps.find(pid); it != apps.end())
            return it->second.icon;
        return std::nullopt;
    }

    // --- window server ---
    std::optional<std::vector<WindowListEntry>> onScreenWindows() override {
        log("onScreenWindows");
        if (!listReadable)
            return std::nullopt;
        std::vector<WindowListEntry> out;
        for (const auto& w : stack) {
            if (w.listed && !w.closed)
                out.push_back(entry(w));
        }
        return out;
    }
    std::optional<std::vector<WindowListEntry>> windowInfo(WindowID id) override {
        log("windowInfo");
        auto* w = byID(id);
        if (!windowInfoReadable || !w)
            return std::nullopt;
        return std::vector<WindowListEntry>{entry(*w)};
    }
    AXRead<Rect> serverScreenRect(WindowID id) override {
        log("serverScreenRect");
        auto* w = byID(id);
        if (!serverRectReadable || !w)
            return AXRead<Rect>::error(axstatus::failure);
        return AXRead<Rect>::of(w->frame);
    }
    AXStatus moveWindowWithGroup(WindowID id, Point topLeft) override {
        log("moveWindowWithGroup");
        return serverMove(id, topLeft);
    }
    AXStatus moveWindow(WindowID id, Point topLeft) override {
        log("moveWindow");
        return serverMove(id, topLeft);
    }

private:
    static constexpr std::uint64_t appBase = std::uint64_t{1} << 40;

    void log(const char* call) {
        lock.check();
        calls.emplace_back(call);
    }
    static bool isApp(ElementRef e) { return e.handle >= appBase; }
    static ProcessID appPID(ElementRef e) {
        return isApp(e) ? static_cast<ProcessID>(e.handle - appBase) : 0;
    }
    FakeWindow* live(ElementRef e) {
        if (isApp(e) || e.handle == 0 || e.handle > stack.size())
            return nullptr;
        auto& w = stack[e.handle - 1];
        return w.closed ? nullptr : &w;
    }
    FakeWindow* byID(WindowID id) {
        for (auto& w : stack) {
            if (w.id == id && !w.closed)
                return &w;
        }
        return nullptr;
    }
    AXRead<bool> settable(ElementRef e, bool FakeWindow::*flag) {
        auto* w = live(e);
        if (!w)
            return AXRead<bool>::error(axstatus::invalidElement);
        if (w->settableStatus != axstatus::success)
            return AXRead<bool>::error(w->settableStatus);
        return AXRead<bool>::of(w->*flag);
    }
    WindowListEntry entry(const FakeWindow& w) const {
        WindowListEntry e;
        e.ownerPID = w.owner;
        e.layer = w.layer;
        e.number = w.id;
        if (w.listedOwnerName)
            e.ownerName = w.listedOwnerName;
        else if (const auto it = apps.find(w.owner); it != apps.end())
            e.ownerName = it->second.info.localizedName;
        if (w.boundsListed)
            e.bounds = WindowListBounds{w.frame.origin.x, w.frame.origin.y, w.frame.size.width,
                                        w.frame.size.height};
        if (w.editEntry)
            w.editEntry(e);
        return e;
    }
    AXStatus serverMove(WindowID id, Point topLeft) {
        for (std::size_t i = 0; i < stack.size(); ++i) {
            auto& w = stack[i];
            if (w.id != id || w.closed)
                continue;
            if (w.ignoresServerMoves)
                return axstatus::success;
            moveTo(i, topLeft);
            return axstatus::success;
        }
        return axstatus::failure;
    }

    void moveTo(std::size_t index, Point topLeft) {
        if (deferMoves)
            pending_.emplace_back(index, topLeft);
        else
            stack[index].frame.origin = topLeft;
    }

    std::vector<std::pair<std::size_t, Point>> pending_;
};

class FakeAccessTrust final : public AccessTrust {
public:
    bool trusted = true;
    bool grantOnRequest = false;
    int requests = 0;
    int settingsOpened = 0;
    LockWatch lock;

    bool isTrusted() override {
        lock.check();
        return trusted;
    }
    bool requestTrust() override {
        lock.check();
        ++requests;
        if (grantOnRequest)
            trusted = true;
        return trusted;
    }
    void openSettings() override {
        lock.check();
        ++settingsOpened;
    }
};

} // namespace vx::test
