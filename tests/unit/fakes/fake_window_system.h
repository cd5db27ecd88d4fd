// A scripted desktop behind the WindowSystem seam: applications, their windows,
// writes that land where the script says; every call checks for a held lock.
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
    void check() { callsUnderLock += lockHeld && lockHeld() ? 1 : 0; }
};

struct FakeWindow {
    ProcessID owner = 0;
    Rect frame; // top-left coordinates
    std::optional<WindowID> id;
    AXStatus positionWriteStatus = axstatus::success, sizeWriteStatus = axstatus::success;
    // Where writes land: sizes never go below this, positions are off by this.
    Size minimumSize{};
    Point landingOffset{};
    std::int64_t layer = 0;
    std::function<void(WindowListEntry&)> editEntry{};
    // Every write is taken and nothing moves: a tiling manager's tiled window.
    bool heldInPlace = false;
};

struct FakeApp {
    RunningApplication info;
    std::optional<std::size_t> focusedWindow; // index into FakeWindowSystem::stack
};

class FakeWindowSystem final : public WindowSystem {
public:
    ProcessID own = 100;
    std::map<ProcessID, FakeApp> apps;
    std::vector<FakeWindow> stack; // front to back, the order of the window list
    std::optional<ProcessID> focusedApp, frontmost;
    bool windowInfoReadable = true, serverRectReadable = true;
    std::size_t serverMoves = 0; // by the window server, not by accessibility
    LockWatch lock;

    FakeApp& addApp(ProcessID pid, std::optional<std::string> name) {
        auto& app = apps[pid];
        app.info = {pid, std::move(name), std::nullopt, std::nullopt};
        return app;
    }
    // Answers the window's index in `stack`.
    std::size_t addWindow(ProcessID owner, Rect frame, std::optional<WindowID> id = std::nullopt) {
        stack.push_back({.owner = owner, .frame = frame, .id = id});
        return stack.size() - 1;
    }
    static ElementRef element(std::size_t index) { return ElementRef{index + 1}; }

    // An application's element is its pid past every window's.
    AXRead<ElementRef> focusedApplication() override {
        return log(), focusedApp ? AXRead<ElementRef>::of(appElement(*focusedApp))
                                 : AXRead<ElementRef>::error(axstatus::noValue);
    }
    ProcessID pid(ElementRef app) override { return log(), ProcessID(app.handle - appBase); }
    ElementRef applicationElement(ProcessID pid) override { return log(), appElement(pid); }
    AXRead<ElementRef> focusedWindow(ElementRef app) override {
        const auto* a = appOf(app);
        return a && a->focusedWindow ? AXRead<ElementRef>::of(element(*a->focusedWindow))
                                     : AXRead<ElementRef>::error(axstatus::noValue);
    }
    AXRead<std::vector<ElementRef>> windows(ElementRef app) override {
        const auto* a = appOf(app);
        if (!a)
            return AXRead<std::vector<ElementRef>>::error(axstatus::invalidElement);
        std::vector<ElementRef> out;
        for (std::size_t i = 0; i < stack.size(); ++i)
            if (stack[i].owner == a->info.processID)
                out.push_back(element(i));
        return AXRead<std::vector<ElementRef>>::of(out);
    }
    AXRead<Point> position(ElementRef e) override { return read(e, &Rect::origin); }
    AXRead<Size> size(ElementRef e) override { return read(e, &Rect::size); }
    AXRead<std::string> role(ElementRef e) override { return read(e, std::string("AXWindow")); }
    AXRead<std::string> title(ElementRef e) override { return read(e, std::string()); }
    AXRead<bool> isPositionSettable(ElementRef e) override { return read(e, true); }
    AXRead<bool> isSizeSettable(ElementRef e) override { return read(e, true); }
    AXStatus setPosition(ElementRef e, Point p) override {
        log();
        auto* w = live(e);
        if (w && w->positionWriteStatus == axstatus::success && !w->heldInPlace)
            w->frame.origin = {p.x + w->landingOffset.x, p.y + w->landingOffset.y};
        return w ? w->positionWriteStatus : axstatus::invalidElement;
    }
    AXStatus setSize(ElementRef e, Size s) override {
        log();
        auto* w = live(e);
        if (w && w->sizeWriteStatus == axstatus::success && !w->heldInPlace)
            w->frame.size = {std::max(s.width, w->minimumSize.width),
                             std::max(s.height, w->minimumSize.height)};
        return w ? w->sizeWriteStatus : axstatus::invalidElement;
    }
    AXRead<WindowID> windowID(ElementRef e) override {
        auto* w = live(e);
        return w && w->id ? read(e, *w->id) : AXRead<WindowID>::error(axstatus::failure);
    }

    ProcessID ownProcessID() override { return log(), own; }
    std::optional<RunningApplication> frontmostApplication() override {
        return frontmost ? runningApplication(*frontmost) : std::nullopt;
    }
    std::optional<RunningApplication> runningApplication(ProcessID pid) override {
        const auto it = apps.find(pid);
        return log(), it == apps.end() ? std::nullopt : std::optional(it->second.info);
    }
    std::vector<RunningApplication> runningApplications() override { return {}; }
    std::optional<Image> applicationIcon(ProcessID) override { return log(), std::nullopt; }

    std::optional<std::vector<WindowListEntry>> onScreenWindows() override {
        log();
        std::vector<WindowListEntry> out;
        for (const auto& w : stack)
            out.push_back(entry(w));
        return out;
    }
    std::optional<std::vector<WindowListEntry>> windowInfo(WindowID id) override {
        auto* w = byID(id);
        return windowInfoReadable && w ? std::optional(std::vector{entry(*w)}) : std::nullopt;
    }
    AXRead<Rect> serverScreenRect(WindowID id) override {
        auto* w = byID(id);
        return serverRectReadable && w ? AXRead<Rect>::of(w->frame)
                                       : AXRead<Rect>::error(axstatus::failure);
    }
    AXStatus moveWindowWithGroup(WindowID id, Point p) override { return serverMove(byID(id), p); }
    AXStatus moveWindow(WindowID id, Point p) override { return serverMove(byID(id), p); }

private:
    static constexpr std::uint64_t appBase = std::uint64_t{1} << 40;

    void log() { lock.check(); }
    static ElementRef appElement(ProcessID pid) {
        return ElementRef{appBase + static_cast<std::uint64_t>(pid)};
    }
    const FakeApp* appOf(ElementRef app) {
        log();
        const auto it = apps.find(ProcessID(app.handle - appBase));
        return app.handle < appBase || it == apps.end() ? nullptr : &it->second;
    }
    FakeWindow* live(ElementRef e) {
        return e.handle == 0 || e.handle > stack.size() ? nullptr : &stack[e.handle - 1];
    }
    // The value when `e` is a live window, else the status of a gone one.
    template <class T> AXRead<T> read(ElementRef e, T value) {
        log();
        return live(e) ? AXRead<T>::of(value) : AXRead<T>::error(axstatus::invalidElement);
    }
    template <class T> AXRead<T> read(ElementRef e, T Rect::*part) {
        return live(e) ? read(e, live(e)->frame.*part) : read(e, T{});
    }
    FakeWindow* byID(WindowID id) {
        log();
        for (auto& w : stack)
            if (w.id == id)
                return &w;
        return nullptr;
    }
    WindowListEntry entry(const FakeWindow& w) const {
        const auto app = apps.find(w.owner);
        WindowListEntry e{w.owner, w.layer, w.id,
                          app == apps.end() ? std::nullopt : app->second.info.localizedName,
                          WindowListBounds{w.frame.origin.x, w.frame.origin.y, w.frame.size.width,
                                           w.frame.size.height}};
        if (w.editEntry)
            w.editEntry(e);
        return e;
    }
    AXStatus serverMove(FakeWindow* w, Point p) {
        ++serverMoves;
        if (w && !w->heldInPlace)
            w->frame.origin = p;
        return w ? axstatus::success : axstatus::failure;
    }
};

class FakeAccessTrust final : public AccessTrust {
public:
    bool trusted = true;
    bool grantOnRequest = false;
    int requests = 0;
    LockWatch lock;

    bool isTrusted() override { return lock.check(), trusted; }
    std::string missing() override { return trusted ? "" : "No window manager is running."; }
    bool requestTrust() override {
        lock.check();
        ++requests;
        return trusted = trusted || grantOnRequest;
    }
    void openSettings() override {}
};

} // namespace vx::test
