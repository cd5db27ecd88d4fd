// Stand-ins for the seams the settings code touches, beyond the shared fakes:
// a binding holder and a network that answers when told.
#pragma once

#include "core/settings/app_update_service.h"
#include "core/settings/hotkey_recorder.h"
#include "fakes/fake_key_source.h"
#include "fakes/in_memory_defaults_store.h"

#include <memory>
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
    using Done = std::function<void(Result<std::string, FetchError>)>;
    struct Request {
        Done done;
        std::shared_ptr<bool> abandoned;
    };
    std::vector<Request> requests;

    std::unique_ptr<PendingFetch> fetch(const std::string&, Seconds, Done done) override {
        struct Handle final : PendingFetch {
            std::shared_ptr<bool> flag;
            explicit Handle(std::shared_ptr<bool> f) : flag(std::move(f)) {}
            ~Handle() override { *flag = true; }
        };
        auto abandoned = std::make_shared<bool>(false);
        requests.push_back({std::move(done), abandoned});
        return std::make_unique<Handle>(abandoned);
    }
    // Answers the last request as the network would, unless it was abandoned.
    void answer(std::string body) {
        if (!*requests.back().abandoned)
            requests.back().done(std::move(body));
    }
};

} // namespace vx::testing
