// Key events the test injects: the KeySource seam for tests.
#pragma once

#include "core/input/key_source.h"

#include <map>
#include <memory>

namespace vx::test {

class FakeKeySource final : public KeySource {
public:
    Subscription subscribe(std::function<void(const KeyEvent&)> handler) override {
        const auto key = state_->next++;
        state_->handlers.emplace(key, std::move(handler));
        return Subscription([weak = std::weak_ptr<State>(state_), key] {
            if (auto state = weak.lock())
                state->handlers.erase(key);
        });
    }

    std::size_t subscriberCount() const { return state_->handlers.size(); }

    void emit(const KeyEvent& event) {
        auto keep = state_;
        for (auto it = keep->handlers.begin(); it != keep->handlers.end();) {
            const auto key = it->first;
            auto handler = it->second;
            handler(event);
            it = keep->handlers.upper_bound(key);
        }
    }
    void flags(ModifierFlags modifiers) {
        emit({KeyEvent::Type::flagsChanged, 0, modifiers, false});
    }
    void down(KeyCode code, ModifierFlags modifiers, bool isRepeat = false) {
        emit({KeyEvent::Type::keyDown, code, modifiers, isRepeat});
    }
    void up(KeyCode code, ModifierFlags modifiers) {
        emit({KeyEvent::Type::keyUp, code, modifiers, false});
    }

private:
    struct State {
        std::map<unsigned long, std::function<void(const KeyEvent&)>> handlers;
        unsigned long next = 0;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace vx::test
