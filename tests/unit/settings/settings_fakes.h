// Stand-ins for the seams the settings code touches, beyond the shared fakes:
// a binding holder and a network that answers when told.
#pragma once

#include "core/input/key_source.h"
#include "core/settings/app_update_service.h"
#include "core/settings/hotkey_recorder.h"
#include "fakes/in_memory_defaults_store.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::testing {

// Several subscribers at once, each may end its subscription while being told.
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
    void send(const KeyEvent& event) {
        for (auto& [key, handler] : std::map(*handlers_))
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
    std::size_t subscriberCount() const { return handlers_->size(); }

private:
    using Handlers = std::map<int, std::function<void(const KeyEvent&)>>;
    std::shared_ptr<Handlers> handlers_ = std::make_shared<Handlers>();
    int next_ = 0;
};

class FakeBindingTarget final : public BindingTarget {
public:
    HotkeyBinding binding() const override { return value; }
    void setBinding(const HotkeyBinding& binding) override {
        value = binding;
        writes.push_back(binding);
    }
    HotkeyBinding value = HotkeyBinding::defaultBinding();
    std::vector<HotkeyBinding> writes;
};

// Holds each request until the test answers it.
class ScriptedFetcher final : public HttpFetcher {
public:
    struct Request {
        std::string url;
        Seconds timeout{};
        std::function<void(Result<std::string, FetchError>)> done;
        std::shared_ptr<bool> abandoned;
    };

    std::unique_ptr<PendingFetch>
    fetch(const std::string& url, Seconds timeout,
          std::function<void(Result<std::string, FetchError>)> done) override {
        auto abandoned = std::make_shared<bool>(false);
        requests.push_back({url, timeout, std::move(done), abandoned});
        return std::make_unique<Handle>(abandoned);
    }

    // Answers the last request as the network would, unless it was abandoned.
    void answer(Result<std::string, FetchError> result) {
        auto& request = requests.back();
        if (!*request.abandoned)
            request.done(std::move(result));
    }

    std::vector<Request> requests;

private:
    struct Handle final : PendingFetch {
        explicit Handle(std::shared_ptr<bool> flag) : flag_(std::move(flag)) {}
        ~Handle() override { *flag_ = true; }
        std::shared_ptr<bool> flag_;
    };
};

} // namespace vx::testing
