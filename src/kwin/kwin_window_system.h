// The WindowSystem seam on KWin: windows as the script reports them, moved by
// asking the script. A window element and its window-server id are the same
// small number, given to each KWin window id on first sight; an application
// element is its process id with a marker bit.
#pragma once

#include "core/window/window_system.h"
#include "kwin/kwin_bridge.h"

#include <functional>
#include <map>

namespace vx::kwin {

class KWinWindowSystem final : public WindowSystem {
public:
    // `iconLookup` renders an icon of the theme by name; absent without a GUI.
    using IconLookup = std::function<std::optional<Image>(const std::string&)>;
    KWinWindowSystem(KWinBridge& bridge, IconLookup iconLookup = {});

    AXRead<ElementRef> focusedApplication() override;
    ProcessID pid(ElementRef application) override;
    ElementRef applicationElement(ProcessID pid) override;
    AXRead<ElementRef> focusedWindow(ElementRef application) override;
    AXRead<std::vector<ElementRef>> windows(ElementRef application) override;
    AXRead<Point> position(ElementRef window) override;
    AXRead<Size> size(ElementRef window) override;
    AXRead<std::string> role(ElementRef element) override;
    AXRead<std::string> title(ElementRef window) override;
    AXRead<bool> isPositionSettable(ElementRef window) override;
    AXRead<bool> isSizeSettable(ElementRef window) override;
    AXStatus setPosition(ElementRef window, Point topLeft) override;
    AXStatus setSize(ElementRef window, Size size) override;
    AXRead<WindowID> windowID(ElementRef window) override;

    ProcessID ownProcessID() override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<RunningApplication> runningApplication(ProcessID pid) override;
    std::vector<RunningApplication> runningApplications() override;
    std::optional<Image> applicationIcon(ProcessID pid) override;

    std::optional<std::vector<WindowListEntry>> onScreenWindows() override;
    std::optional<std::vector<WindowListEntry>> windowInfo(WindowID window) override;
    AXRead<Rect> serverScreenRect(WindowID window) override;
    AXStatus moveWindowWithGroup(WindowID window, Point topLeft) override;
    AXStatus moveWindow(WindowID window, Point topLeft) override;

private:
    const KWinWindow* window(std::uint64_t handle) const;
    WindowID number(const QString& id);
    RunningApplication application(const KWinWindow& window) const;
    WindowListEntry entry(const KWinWindow& window);
    // Asks for `frame` (top-left points), starting from the frame asked for
    // last in this turn, so a position and a size make one placement.
    AXStatus request(std::uint64_t handle, std::optional<Point> origin, std::optional<Size> size);
    // The window as a read of its frame should see it: after a request of
    // this turn, once the script has reported the frame asked for (or a
    // bounded wait has passed, when KWin grants another).
    const KWinWindow* settled(std::uint64_t handle);

    KWinBridge& bridge_;
    IconLookup iconLookup_;
    std::map<QString, WindowID> numbers_;
    std::map<WindowID, QString> ids_;
    struct Asked {
        WindowID id;
        QRect frame;
        bool awaited = false;
    };
    std::optional<Asked> asked_;
};

} // namespace vx::kwin
