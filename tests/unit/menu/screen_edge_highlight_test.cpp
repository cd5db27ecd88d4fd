// The outline of the target display: one panel over the whole display, moved
// between displays, and the frame it draws.
#include "core/menu/screen_edge_highlight.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vx;

namespace {

struct Log {
    int created = 0;
    std::vector<std::string> calls;
    std::vector<Rect> frames;
};

class Panel : public OverlayPanelHost {
public:
    explicit Panel(Log& log) : log_(log) {}
    void setFrame(const Rect& frame) override {
        log_.calls.push_back("frame");
        log_.frames.push_back(frame);
    }
    void orderFrontRegardless() override { log_.calls.push_back("front"); }
    void orderOut() override { log_.calls.push_back("out"); }

private:
    Log& log_;
};

} // namespace

TEST(ScreenEdgeHighlight, CoversTheWholeDisplayAndMovesWithoutANewPanel) {
    Log log;
    ScreenEdgeHighlightController outline([&] {
        ++log.created;
        return std::make_unique<Panel>(log);
    });
    outline.hide(); // nothing shown yet: nothing to order out
    EXPECT_EQ(log.created, 0);

    const Screen left{7, {0, 0, 1440, 900}, {0, 0, 1440, 875}};
    const Screen right{std::nullopt, {1440, -100, 1920, 1080}, {1440, -100, 1920, 1050}};
    outline.show(left);
    EXPECT_EQ(outline.activeDisplayID(), 7u);
    EXPECT_EQ(log.frames.back(), left.frame); // not the visible frame

    outline.show(right);
    EXPECT_EQ(outline.activeDisplayID(), 0u); // a display without a number reads as 0
    EXPECT_EQ(log.frames.back(), right.frame);

    outline.hide();
    EXPECT_EQ(outline.activeDisplayID(), std::nullopt);
    outline.show(left);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"frame", "front", "frame", "front", "out",
                                                   "frame", "front"}));
}

TEST(ScreenEdgeHighlight, FrameSitsInsideTheEdgesAndCollapsesOnTinyPanels) {
    const ScreenEdgeHighlightView view;
    struct Case {
        Size panel;
        Rect frame;
    };
    const std::vector<Case> cases = {
        {{1440, 900}, {3, 3, 1434, 894}},
        {{6, 6}, {3, 3, 0, 0}},
        {{5, 100}, {2.5, 3, 0, 94}},
        {{0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view.frameRect(c.panel), c.frame) << c.panel;
}
