// The ScrollSource seam where no client may grab the pointer (Wayland): the
// wheel over this program's own windows, the menu included, while a gesture
// runs, and over any window `onActive` shows for the gesture's length.
#pragma once

#include "core/input/scroll_source.h"

#include <QObject>
#include <functional>

namespace vx {

class OverlayWheelScrollSource final : public QObject, public ScrollSource {
public:
    // Told true when a gesture starts listening, false when it stops.
    explicit OverlayWheelScrollSource(std::function<void(bool)> onActive = {})
        : onActive_(std::move(onActive)) {}
    ~OverlayWheelScrollSource() override;

    std::optional<std::string> start(Handlers handlers) override;
    void stop() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(bool)> onActive_;
    Handlers handlers_;
    bool started_ = false;
};

} // namespace vx
