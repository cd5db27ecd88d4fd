// Errors are values in core: an operation that can fail returns Result<T, E>
// (or Status<E> when there is nothing to return) and never throws across a seam.
#pragma once

#include <cassert>
#include <optional>
#include <utility>
#include <variant>

namespace vx {

template <class E> struct Failure {
    E error;
};
template <class E> Failure<std::decay_t<E>> fail(E&& e) { return {std::forward<E>(e)}; }

template <class T, class E> class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> f) : v_(std::in_place_index<1>, std::move(f.error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { assert(ok()); return std::get<0>(v_); }
    T& value() & { assert(ok()); return std::get<0>(v_); }
    T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    const E& error() const { assert(!ok()); return std::get<1>(v_); }

    T valueOr(T fallback) const { return ok() ? std::get<0>(v_) : std::move(fallback); }

private:
    std::variant<T, E> v_;
};

// Success or an error, nothing else.
template <class E> class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure<E> f) : error_(std::move(f.error)) {}
    static Status success() { return {}; }

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const E& error() const { assert(error_); return *error_; }

private:
    std::optional<E> error_;
};

} // namespace vx
