// Key events the test injects: the KeySource seam for tests.
#pragma once

#include "core/input/key_source.h"

#include <memory>

namespace vx::test {

class FakeKeySource final : public KeySource {
public:
    // One subscriber at a time is all a monitor needs; a new one replaces it.
    Subscription subscribe(std::function<void(const KeyEvent&)> handler) override {
        *handler_ = std::move(handler);
        return Subscription([weak = std::weak_ptr(handler_)] {
            if (auto h = weak.lock())
                *h = nullptr;
        });
    }
    bool hasSubscriber() const { return *handler_ != nullptr; }

    void emit(const KeyEvent& event) {
        if (auto handler = *handler_) // a copy: the handler may unsubscribe itself
            handler(event);
    }
    void flags(ModifierFlags modifiers) {
        emit({KeyEvent::Type::flagsChanged, 0, modifiers, false});
    }

private:
    std::shared_ptr<std::function<void(const KeyEvent&)>> handler_ =
        std::make_shared<std::function<void(const KeyEvent&)>>();
};

} // namespace vx::test
