// Outputs as the script last reported them; the script reports again when an
// output, a panel or the desktop changes, so nothing here goes stale for long.
#include "kwin/kwin_screens.h"

#include <cmath>

namespace vx::kwin {

Point KWinCoordinates::toTopLeft(QPoint p) const {
    return {static_cast<double>(p.x() - primary.x()), static_cast<double>(p.y() - primary.y())};
}

QPoint KWinCoordinates::fromTopLeft(Point p) const {
    return {static_cast<int>(std::lround(p.x)) + primary.x(),
            static_cast<int>(std::lround(p.y)) + primary.y()};
}

Point KWinCoordinates::toDesktop(QPoint p) const {
    // QRect's bottom() is the last row; the bottom edge lies one below it.
    return {static_cast<double>(p.x() - primary.x()),
            static_cast<double>(primary.y() + primary.height() - p.y())};
}

Rect KWinCoordinates::toDesktop(const QRect& r) const {
    const Point bottomLeft = toDesktop(QPoint(r.x(), r.y() + r.height()));
    return {bottomLeft, {static_cast<double>(r.width()), static_cast<double>(r.height())}};
}

QRect KWinCoordinates::fromDesktop(const Rect& r) const {
    // The top edge in desktop terms is the larger y.
    return {primary.x() + static_cast<int>(std::lround(r.minX())),
            primary.y() + primary.height() - static_cast<int>(std::lround(r.maxY())),
            static_cast<int>(std::lround(r.width())), static_cast<int>(std::lround(r.height()))};
}

KWinCoordinates KWinCoordinates::of(const KWinDesktop& desktop) {
    return {desktop.outputs.empty() ? QRect() : desktop.outputs.front().frame};
}

std::vector<Screen> KWinScreens::screens() const {
    const auto& desktop = bridge_.desktop();
    const auto coordinates = KWinCoordinates::of(desktop);
    std::vector<Screen> out;
    DisplayID number = 1;
    for (const auto& output : desktop.outputs)
        out.push_back(
            {number++, coordinates.toDesktop(output.frame), coordinates.toDesktop(output.usable)});
    return out;
}

std::optional<Screen> KWinScreens::mainScreen() const {
    const auto& desktop = bridge_.desktop();
    const auto all = screens();
    for (std::size_t i = 0; i < desktop.outputs.size() && i < all.size(); ++i)
        if (desktop.outputs[i].name == desktop.activeOutput)
            return all[i];
    if (all.empty())
        return std::nullopt;
    return all.front();
}

Point KWinScreens::pointerLocation() const {
    const auto& desktop = bridge_.desktop();
    return KWinCoordinates::of(desktop).toDesktop(desktop.cursor);
}

} // namespace vx::kwin
