// Everything the program reaches Plasma's Wayland session through: the KWin
// script's bridge and the seams built on it, and KGlobalAccel for the trigger.
#pragma once

#include "app/desktop_seams.h"
#include "core/base/run_loop.h"
#include "core/input/hotkey_binding.h"
#include "qt/menu/overlay_platform.h"

#include <functional>
#include <memory>
#include <string>

namespace vx {

namespace kwin {
class KWinBridge;
}

// Which platform layer a session calls for, from its environment.
enum class SessionPlatform { x11, kwinWayland, otherWayland };
// `sessionType` is $XDG_SESSION_TYPE, `currentDesktop` $XDG_CURRENT_DESKTOP;
// `asked` is $VX_PLATFORM ("x11" or "kwin"), which wins.
SessionPlatform sessionPlatform(const std::string& sessionType, const std::string& currentDesktop,
                                const std::string& asked);

class KWinPlatform {
public:
    // Nothing and the reason in `error` when KWin cannot be reached.
    // `onStatus` hears every change of what stops window moves (empty: none),
    // the script's first report included.
    static std::unique_ptr<KWinPlatform> open(std::function<void(const std::string&)> onStatus,
                                              std::string* error);
    ~KWinPlatform();

    DesktopSeams seams();
    kwin::KWinBridge& bridge();

    // Takes the wheel anywhere while a gesture runs, through windows made
    // like the overlays.
    void catchWheelWith(OverlayPlatform overlays);

    // Registers the user's trigger with KGlobalAccel; the reason when refused.
    std::optional<std::string> setBinding(const HotkeyBinding& binding);

    struct Parts;

private:
    explicit KWinPlatform(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

} // namespace vx
