// Key events the test injects: the KeySource seam for tests. Several
// subscribers at once (the trigger monitor and the recorder listen together),
// and each may end its subscription while being told.
#pragma once

#include "core/input/key_source.h"

#include <map>
#include <memory>

namespace vx::test {

class FakeKeySource final : public KeySource {
public:
    Subscription subscribe(std::function<void(const KeyEvent&)> handler) override {
        const auto key = next_++;
        handlers_->emplace(key, std::move(handler));
        return Subscription([weak = std::weak_ptr(handlers_), key] {
            if (auto handlers = weak.lock())
                handlers->erase(key);
        });
    }
    bool hasSubscriber() const { return !handlers_->empty(); }
    std::size_t subscriberCount() const { return handlers_->size(); }

    // Not called emit: Qt defines that as a macro.
    void send(const KeyEvent& event) {
        for (auto& [key, handler] : std::map(*handlers_)) // a copy: handlers may unsubscribe
            if (handlers_->contains(key))
                handler(event);
    }
    void down(KeyCode code, ModifierFlags modifiers, bool repeat = false) {
        send({KeyEvent::Type::keyDown, code, modifiers, repeat});
    }
    void up(KeyCode code, ModifierFlags modifiers) {
        send({KeyEvent::Type::keyUp, code, modifiers, false});
    }
    void flags(ModifierFlags modifiers) {
        send({KeyEvent::Type::flagsChanged, 0, modifiers, false});
    }

private:
    using Handlers = std::map<int, std::function<void(const KeyEvent&)>>;
    std::shared_ptr<Handlers> handlers_ = std::make_shared<Handlers>();
    int next_ = 0;
};

} // namespace vx::test
