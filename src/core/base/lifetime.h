// Callbacks that hold their owner weakly. An owner keeps a Lifetime member;
// closures it hands to collaborators, timers and posted tasks are wrapped with
// `guard`, and once the owner is destroyed they do nothing — a timer tick, a
// scroll step or a key event that arrives late cannot reach freed memory.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace vx {

class Lifetime {
public:
    Lifetime() = default;
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;

    // Returns a callable that forwards to `fn` while this Lifetime exists and
    // otherwise returns a default-constructed result.
    template <class F> auto guard(F fn) const {
        return [weak = std::weak_ptr<const Token>(token_), fn = std::move(fn)](auto&&... args) {
            using R = decltype(fn(std::forward<decltype(args)>(args)...));
            if (weak.expired()) {
                if constexpr (std::is_void_v<R>)
                    return;
                else
                    return R{};
            }
            return fn(std::forward<decltype(args)>(args)...);
        };
    }

    // Like guard, but returns `fallback` once the owner is gone.
    template <class F, class R> auto guardOr(F fn, R fallback) const {
        return [weak = std::weak_ptr<const Token>(token_), fn = std::move(fn),
                fallback = std::move(fallback)](auto&&... args) -> R {
            if (weak.expired())
                return fallback;
            return fn(std::forward<decltype(args)>(args)...);
        };
    }

private:
    struct Token {};
    std::shared_ptr<const Token> token_ = std::make_shared<const Token>();
};

} // namespace vx
