// Recording fakes of everything the session controller talks to: each keeps
// what the tests assert on and lets the test script its answers.
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
    bool isAccessibilityTrusted() const override { return trusted; }
    std::string refusalReason() const override { return trusted ? "" : "No window manager."; }
    void refresh() override {}
    void requestAccess() override {}
};

class FakeWindowService final : public WindowService {
public:
    std::optional<AnchoredWindow> front; // what anchorFrontmostWindow() answers
    bool anchorValid = true;
    std::optional<WindowServiceError> setFrameError;
    int anchorCount = 0;
    std::vector<Rect> frames;
    std::vector<AnchoredWindow> released;

    std::optional<AnchoredWindow> anchorFrontmostWindow() override {
        anchorCount += front ? 1 : 0;
        return front;
    }
    bool isAnchorValid(const AnchoredWindow&) override { return anchorValid; }
    Status<WindowServiceError> setFrame(const Rect& frame, const AnchoredWindow&) override {
        frames.push_back(frame);
        if (setFrameError)
            return fail(*setFrameError);
        return {};
    }
    void releaseAnchor(const AnchoredWindow& window) override { released.push_back(window); }
    std::optional<TargetAppInfo> targetAppInfo(ProcessID) override { return std::nullopt; }
    std::optional<TargetAppInfo> frontmostAppInfo() override { return std::nullopt; }
    ProcessID ownProcessID() override { return 4242; }
};

class FakeHotkeySettings final : public HotkeySettings {
public:
    HotkeyBinding binding() const override { return HotkeyBinding::defaultBinding(); }
    double holdDelay() const override { return 0.2; }
};

class FakeHoldDetector final : public HoldDetector {
public:
    std::function<void()> onHoldBegan, onHoldEnded;
    void setBindingProvider(std::function<HotkeyBinding()>) override {}
    void setHoldDelayProvider(std::function<double()>) override {}
    void setOnHoldBegan(std::function<void()> c) override { onHoldBegan = c; }
    void setOnHoldEnded(std::function<void()> c) override { onHoldEnded = c; }
    void start() override {}
    void cancelHoldSession() override {}
};

class FakeRadialMenu final : public RadialMenu {
public:
    bool visible = false;
    Point center;
    std::optional<LayoutSector> highlighted;
    std::function<void()> onCenterTap;
    bool isVisible() const override { return visible; }
    Point menuCenter() const override { return center; }
    void show(Point at, const std::optional<TargetAppInfo>&) override {
        center = at;
        highlighted.reset();
        visible = true;
    }
    void updateHubLook(Point) override {}
    void setHighlightedSector(std::optional<LayoutSector> s) override { highlighted = s; }
    void hide() override { visible = false; }
    std::optional<LayoutSector> highlightedSector() const override { return highlighted; }
    void setOnCenterTap(std::function<void()> c) override { onCenterTap = c; }
};

class FakeScreenHighlight final : public ScreenHighlight {
public:
    std::optional<DisplayID> active;
    void show(const Screen& s) override { active = s.number.value_or(0); }
    void hide() override { active.reset(); }
    std::optional<DisplayID> activeDisplayID() const override { return active; }
};

class FakeScrollCapture final : public ScrollCapture {
public:
    std::function<void(double, bool)> onScroll;
    bool capturing = false;
    void setOnScroll(std::function<void(double, bool)> c) override { onScroll = c; }
    void start() override { capturing = true; }
    void stop() override { capturing = false; }
};

// `now` blocks the desktop; a pointer grab only when the question counts it.
class FakeDesktopAccess final : public DesktopAccess {
public:
    Blocker now = Blocker::none;
    Blocker blocker(bool withPointer) override {
        return now == Blocker::pointerHeld && !withPointer ? Blocker::none : now;
    }
};

class FakeKeyboardLayout final : public KeyboardLayout {
public:
    std::map<KeyCode, std::string> texts;
    std::optional<std::string> keyText(KeyCode k) const override {
        return texts.contains(k) ? std::optional(texts.at(k)) : std::nullopt;
    }
};

} // namespace vx::test
