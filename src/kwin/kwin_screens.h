// The Screens seam on KWin: the outputs and usable areas the script reports,
// and the pointer. KWin's global pixels have their origin at the top-left of
// the whole layout; core's coordinates start at the first output, which
// stands in for a primary display here.
#pragma once

#include "core/window/screens.h"
#include "kwin/kwin_bridge.h"

namespace vx::kwin {

// KWin's global pixels to core's two systems and back, around the first output.
struct KWinCoordinates {
    QRect primary;
    Point toTopLeft(QPoint p) const;
    QPoint fromTopLeft(Point p) const;
    Rect toDesktop(const QRect& r) const;
    Point toDesktop(QPoint p) const;
    QRect fromDesktop(const Rect& r) const;
    static KWinCoordinates of(const KWinDesktop& desktop);
};

class KWinScreens final : public Screens {
public:
    explicit KWinScreens(const KWinBridge& bridge) : bridge_(bridge) {}

    std::vector<Screen> screens() const override;
    // The output KWin calls active (where the keyboard focus is).
    std::optional<Screen> mainScreen() const override;
    Point pointerLocation() const override;

private:
    const KWinBridge& bridge_;
};

} // namespace vx::kwin
