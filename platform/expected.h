// A value, or why there is none: the one shape in which a failure crosses from a folder to the
// one above it, each folder with its own error type. Only exhausted memory is thrown, and it is
// caught in one place (memory.h).
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace qlx::platform {

// Why there is no value, to be returned where an Expected is.
template <typename E> struct Unexpected { E error; };
template <typename E> Unexpected<E> unexpected(E error) {
    return {std::move(error)};
}

template <typename T, typename E> class Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {} // NOLINT: a value
    Expected(Unexpected<E> why) : state_(std::in_place_index<1>, std::move(why.error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    T value_or(T other) const { return has_value() ? **this : std::move(other); }
    // Only where there is no value.
    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

// Success, or why not.
template <typename E> class Expected<void, E> {
public:
    Expected() = default;
    Expected(Unexpected<E> why) : error_(std::move(why.error)) {} // NOLINT: a failure

    bool has_value() const { return !error_.has_value(); }
    explicit operator bool() const { return has_value(); }
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

} // namespace qlx::platform
