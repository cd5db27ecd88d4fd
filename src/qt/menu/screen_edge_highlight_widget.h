// The green glowing frame drawn over a whole display. Without a compositor it
// cannot glow over what lies beneath, so the window is cut to the line itself.
#pragma once

#include "core/menu/screen_edge_highlight.h"

#include <QRegion>
#include <QWidget>

namespace vx {

class ScreenEdgeHighlightWidget final : public QWidget {
    Q_OBJECT
public:
    explicit ScreenEdgeHighlightWidget(QWidget* parent = nullptr);

    const ScreenEdgeHighlightView& view() const { return view_; }
    void setComposited(bool composited);
    bool isComposited() const { return composited_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyShape();

    ScreenEdgeHighlightView view_;
    bool composited_ = true;
};

} // namespace vx
