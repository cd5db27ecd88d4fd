// Recording fakes of everything the session controller talks to: each keeps the
// calls it received and lets the test script its answers.
#pragma once

#include "core/input/keyboard_layout.h"
#include "core/session/collaborators.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vx::test {

class FakePermissions final : public Permissions {
public:
    bool trusted = true;
    // What the next refresh() reads, when set (trust granted or revoked meanwhile).
    std::optional<bool> trustedAfterRefresh;
    int refreshCount = 0;
    int requestCount = 0;

    bool isAccessibilityTrusted() const override { return trusted; }
    void refresh() override {
        ++refreshCount;
        if (trustedAfterRefresh)
            trusted = *trustedAfterRefresh;
    }
    void requestAccess() override { ++requestCount; }
};

class FakeWindowService final : public WindowService {
public:
    // What anchorFrontmostWindow() answers.
    std::optional<AnchoredWindow> front;
    bool anchorValid = true;
    std::optional<WindowServiceError> setFrameError;
    // When set, runs inside setFrame (trust revoked while the window moves ...).
    std::function<void()> duringSetFrame;
    ProcessID ownPid = 4242;
    std::map<ProcessID, TargetAppInfo> apps;
    std::optional<TargetAppInfo> frontmostApp;

    int anchorCount = 0;
    int validityChecks = 0;
    std::vector<Rect> frames;
    std::vector<AnchoredWindow> released;

    std::optional<AnchoredWindow> anchorFrontmostWindow() override {
        ++anchorCount;
        return front;
    }
    bool isAnchorValid(const AnchoredWindow&) override {
        ++validityChecks;
        return anchorValid;
    }
    Status<WindowServiceError> setFrame(const Rect& frame, const AnchoredWindow&) override {
        frames.push_back(frame);
        if (duringSetFrame)
            duringSetFrame();
        if (setFrameError)
            return fail(*setFrameError);
        return {};
    }
    void releaseAnchor(const AnchoredWindow& window) override { released.push_back(window); }
    std::optional<TargetAppInfo> targetAppInfo(ProcessID pid) override {
        auto it = apps.find(pid);
        if (it == apps.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<TargetAppInfo> frontmostAppInfo() override { return frontmostApp; }
    ProcessID ownProcessID() override { return ownPid; }
};

class FakeHotkeySettings final : public HotkeySettings {
public:
    HotkeyBinding current = HotkeyBinding::defaultBinding();
    double delay = 0.2;
    HotkeyBinding binding() const override { return current; }
    double holdDelay() const override { return delay; }
};

class FakeHoldDetector final : public HoldDetector {
public:
    std::function<HotkeyBinding()> bindingProvider;
    std::function<double()> holdDelayProvider;
    std::function<void()> onHoldBegan;
    std::function<void()> onHoldEnded;
    int startCount = 0;
    int cancelCount = 0;

    void setBindingProvider(std::function<HotkeyBinding()> provider) override {
        bindingProvider = std::move(provider);
    }
    void setHoldDelayProvider(std::function<double()> provider) override {
        holdDelayProvider = std::move(provider);
    }
    void setOnHoldBegan(std::function<void()> callback) override {
        onHoldBegan = std::move(callback);
    }
    void setOnHoldEnded(std::function<void()> callback) override {
        onHoldEnded = std::move(callback);
    }
    void start() override { ++startCount; }
    void cancelHoldSession() override { ++cancelCount; }
};

class FakeRadialMenu final : public RadialMenu {
public:
    bool visible = false;
    Point center;
    std::optional<LayoutSector> highlighted;
    std::function<void()> onCenterTap;
    std::vector<Point> shownAt;
    std::vector<std::optional<TargetAppInfo>> shownFor;
    std::vector<Point> hubLooks;
    int hideCount = 0;

    bool isVisible() const override { return visible; }
    Point menuCenter() const override { return center; }
    void show(Point at, const std::optional<TargetAppInfo>& targetApp) override {
        center = at;
        highlighted.reset();
        visible = true;
        shownAt.push_back(at);
        shownFor.push_back(targetApp);
    }
    void updateHubLook(Point pointer) override { hubLooks.push_back(pointer); }
    void setHighlightedSector(std::optional<LayoutSector> sector) override { highlighted = sector; }
    void hide() override {
        visible = false;
        highlighted.reset();
        ++hideCount;
    }
    std::optional<LayoutSector> highlightedSector() const override { return highlighted; }
    void setOnCenterTap(std::function<void()> callback) override {
        onCenterTap = std::move(callback);
    }
};

class FakeScreenHighlight final : public ScreenHighlight {
public:
    std::optional<DisplayID> active;
    std::vector<DisplayID> shownOn;
    int hideCount = 0;

    void show(const Screen& screen) override {
        active = screen.number.value_or(0);
        shownOn.push_back(*active);
    }
    void hide() override {
        active.reset();
        ++hideCount;
    }
    std::optional<DisplayID> activeDisplayID() const override { return active; }
};

class FakeScrollCapture final : public ScrollCapture {
public:
    std::function<void(double, bool)> onScroll;
    bool capturing = false;
    int startCount = 0;

    void setOnScroll(std::function<void(double, bool)> callback) override {
        onScroll = std::move(callback);
    }
    void start() override {
        capturing = true;
        ++startCount;
    }
    void stop() override { capturing = false; }
};

class FakeKeyboardLayout final : public KeyboardLayout {
public:
    std::map<KeyCode, std::string> texts;
    std::optional<std::string> keyText(KeyCode keyCode) const override {
        auto it = texts.find(keyCode);
        if (it == texts.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace vx::test
