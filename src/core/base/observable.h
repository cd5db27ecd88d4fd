// A value that views and controllers can watch. Every write is stored, but
// observers hear only of writes that change the value, so a 60 Hz tick that
// writes the same sector again costs no notification and no repaint.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace vx {

// Ends an observation when destroyed; movable, so owners can keep it in a member.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }

private:
    std::function<void()> cancel_;
};

template <class T> class Observable {
public:
    using Observer = std::function<void(const T&)>;

    Observable() = default;
    explicit Observable(T initial) : value_(std::move(initial)) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    // Stores `value`; returns whether it differed (and observers were told).
    bool set(T value) {
        // Stored value first: the other order trips a false "may be used
        // uninitialized" in GCC 12's inlined string compare at -O2.
        const bool changed = !(value_ == value);
        value_ = std::move(value);
        if (changed)
            notify();
        return changed;
    }

    // The subscription must not outlive the observable. Watching is allowed
    // through a read-only reference, so owners can hand out their fields
    // without handing out the setter.
    [[nodiscard]] Subscription observe(Observer observer) const {
        const auto key = state_->next++;
        state_->observers.emplace(key, std::move(observer));
        return Subscription([weak = std::weak_ptr<State>(state_), key] {
            if (auto state = weak.lock())
                state->observers.erase(key);
        });
    }

private:
    struct State {
        std::map<unsigned long, Observer> observers;
        unsigned long next = 0;
    };

    void notify() {
        // An observer may unsubscribe (itself or another) while being told.
        auto keep = state_;
        for (auto it = keep->observers.begin(); it != keep->observers.end();) {
            const auto key = it->first;
            auto observer = it->second;
            observer(value_);
            it = keep->observers.upper_bound(key);
        }
    }

    T value_{};
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace vx
