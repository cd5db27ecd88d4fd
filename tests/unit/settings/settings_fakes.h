// Stand-ins for the seams the settings code touches: injected key events, an
// in-memory defaults store, a binding holder and a network that answers when told.
#pragma once

#include "core/base/defaults_store.h"
#include "core/input/key_source.h"
#include "core/settings/app_update_service.h"
#include "core/settings/hotkey_recorder.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::testing {

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
        auto copy = *handlers_;
        for (auto& [key, handler] : copy)
            if (handlers_->contains(key))
                handler(event);
    }
    void keyDown(KeyCode code, ModifierFlags modifiers = 0, bool repeat = false) {
        send({KeyEvent::Type::keyDown, code, modifiers, repeat});
    }
    void keyUp(KeyCode code, ModifierFlags modifiers = 0) {
        send({KeyEvent::Type::keyUp, code, modifiers, false});
    }
    void flags(ModifierFlags modifiers) {
        send({KeyEvent::Type::flagsChanged, 0, modifiers, false});
    }
    std::size_t subscriberCount() const { return handlers_->size(); }

private:
    std::shared_ptr<std::map<int, std::function<void(const KeyEvent&)>>> handlers_ =
        std::make_shared<std::map<int, std::function<void(const KeyEvent&)>>>();
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

class MemoryDefaultsStore final : public DefaultsStore {
public:
    bool hasObject(const std::string& key) const override { return strings.contains(key); }
    std::optional<Bytes> data(const std::string&) const override { return std::nullopt; }
    double doubleValue(const std::string&) const override { return 0; }
    std::optional<std::string> string(const std::string& key) const override {
        if (auto it = strings.find(key); it != strings.end())
            return it->second;
        return std::nullopt;
    }
    std::optional<StoreError> setData(const std::string&, const Bytes&) override { return {}; }
    std::optional<StoreError> setDouble(const std::string&, double) override { return {}; }
    std::optional<StoreError> setString(const std::string& key, const std::string& value) override {
        strings[key] = value;
        return {};
    }
    std::map<std::string, std::string> strings;
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
