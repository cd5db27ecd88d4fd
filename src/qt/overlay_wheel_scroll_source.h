// The ScrollSource seam where no client may grab the pointer (Wayland): the
// wheel over this program's own windows, the menu included, while a gesture
// runs. Everywhere else the wheel stays with the window under the pointer.
#pragma once

#include "core/input/scroll_source.h"

#include <QObject>

namespace vx {

class OverlayWheelScrollSource final : public QObject, public ScrollSource {
public:
    OverlayWheelScrollSource() = default;
    ~OverlayWheelScrollSource() override;

    std::optional<std::string> start(Handlers handlers) override;
    void stop() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handlers handlers_;
    bool started_ = false;
};

} // namespace vx
