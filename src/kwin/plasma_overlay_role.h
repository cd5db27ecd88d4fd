// Tells KWin that a window of ours is an on-screen display, through KDE's
// plasma-shell protocol on Qt's own Wayland connection. KWin gives such a
// window neither the keyboard focus nor a place in task lists, and keeps it
// above the others: the menu then opens without taking the focus from the
// window it is about to arrange (no window rule in the user's configuration).
#pragma once

#include <QString>
#include <memory>

class QWindow;

namespace vx::kwin {

class PlasmaOverlayRole {
public:
    // Nothing, and why in `error`, when Qt does not run on Wayland or the
    // compositor offers no plasma shell.
    static std::unique_ptr<PlasmaOverlayRole> bind(QString* error);
    ~PlasmaOverlayRole();
    PlasmaOverlayRole(const PlasmaOverlayRole&) = delete;
    PlasmaOverlayRole& operator=(const PlasmaOverlayRole&) = delete;

    // Gives the shown `window` the role before it is first drawn; Qt makes a
    // new surface at every show, so this is asked at every show. False when
    // the window has no Wayland surface.
    bool markShown(QWindow& window);

    struct State; // the Wayland objects, where the registry's listener sees them

private:
    explicit PlasmaOverlayRole(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace vx::kwin
