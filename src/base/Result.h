#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tessaform {

// Why an operation failed: one line for the user.
struct Failure {
    std::string reason;
};

// The value of an operation that can fail, or the reason it failed. A
// function returns either its value or a Failure, and both convert.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    // Empty when the operation succeeded.
    const std::string& error() const
    {
        static const std::string kNone;
        return ok() ? kNone : std::get<1>(state_).reason;
    }

private:
    std::variant<T, Failure> state_;
};

// Success, or the reason for a failure, of an operation without a value.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : error_(std::move(failure.reason)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& error() const { return error_; }

private:
    std::string error_;
    bool ok_ = true;
};

}  // namespace tessaform
