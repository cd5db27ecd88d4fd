// Scroll events the test injects, and a platform that can refuse the capture:
// the ScrollSource seam for tests.
#pragma once

#include "core/input/scroll_source.h"

namespace vx::test {

class FakeScrollSource final : public ScrollSource {
public:
    std::optional<std::string> refusal; // set to make start() fail
    int starts = 0, stops = 0;
    bool capturing = false;

    std::optional<std::string> start(Handlers handlers) override {
        ++starts;
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
        return capturing && handlers_.onScroll ? handlers_.onScroll(event)
                                               : ScrollDisposition::pass;
    }
    ScrollDisposition wheel(double lines) { return scroll({false, 0, lines}); }

    // The platform takes the capture away; the handler is told.
    void interrupt() {
        capturing = false;
        if (handlers_.onInterrupted)
            handlers_.onInterrupted();
    }

private:
    Handlers handlers_;
};

} // namespace vx::test
