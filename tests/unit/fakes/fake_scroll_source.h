// Scroll events the test injects, and a platform that can refuse the capture:
// the ScrollSource seam for tests.
#pragma once

#include "core/input/scroll_source.h"

namespace vx::test {

class FakeScrollSource final : public ScrollSource {
public:
    std::optional<std::string> refusal; // set to make start() fail
    int starts = 0;
    int stops = 0;
    bool capturing = false;

    std::optional<std::string> start(Handlers handlers) override {
        ++starts;
        if (capturing)
            ++overlappingStarts;
        if (refusal)
            return refusal;
        handlers_ = std::move(handlers);
        capturing = true;
        return std::nullopt;
    }
    void stop() override {
        ++stops;
        capturing = false;
        handlers_ = {};
    }

    // What the platform does with the event: pass it on when nobody captures.
    ScrollDisposition scroll(ScrollEvent event) {
        if (!capturing || !handlers_.onScroll)
            return ScrollDisposition::pass;
        return handlers_.onScroll(event);
    }
    ScrollDisposition wheel(double lines) { return scroll({false, 0, lines}); }
    ScrollDisposition swipe(double points) { return scroll({true, points, 0}); }

    // The platform takes the capture away; the handler is told.
    void interrupt() {
        capturing = false;
        if (handlers_.onInterrupted)
            handlers_.onInterrupted();
    }

    int overlappingStarts = 0; // a start while a capture was already held

private:
    Handlers handlers_;
};

} // namespace vx::test
