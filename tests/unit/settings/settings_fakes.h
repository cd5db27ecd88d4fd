// Stand-ins for the seams the settings code touches, beyond the shared fakes:
// a binding holder and a network that answers when told.
#pragma once

#include "core/settings/app_update_service.h"
#include "core/settings/hotkey_recorder.h"
#include "fakes/fake_key_source.h"
#include "fakes/in_memory_defaults_store.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::testing {

using test::FakeKeySource;

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
