// Key events the test injects, to several subscribers at once (the trigger and
// the recorder listen together), each free to unsubscribe while being told.
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

    // Not called emit: Qt defines that as a macro.
    void send(const KeyEvent& event) {
        for (auto& [key, handler] : std::map(*handlers_)) // a copy: handlers may unsubscribe
            if (handlers_->contains(key))
                handler(event);
    }
    void flags(ModifierFlags m) { send({KeyEvent::Type::flagsChanged, 0, m, false}); }
    void up(KeyCode k, ModifierFlags m) { send({KeyEvent::Type::keyUp, k, m, false}); }
    void down(KeyCode k, ModifierFlags m, bool repeat = false) {
        send({KeyEvent::Type::keyDown, k, m, repeat});
    }

private:
    using Handlers = std::map<int, std::function<void(const KeyEvent&)>>;
    std::shared_ptr<Handlers> handlers_ = std::make_shared<Handlers>();
    int next_ = 0;
};

} // namespace vx::test
