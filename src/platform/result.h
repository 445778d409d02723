#pragma once

#include <optional>
#include <string>
#include <utility>

namespace velmira {

// Why something failed, in plain words for a message; converts to any Result.
struct Failure {
    std::string why;
};

// Nothing to hand back but success.
struct Done {};

// Success with its value, or the words of a failure. What the layers below the
// screens return: they say why, and the screens decide how to show it.
template <class T = Done>
class [[nodiscard]] Result {
  public:
    Result() requires std::same_as<T, Done> : value_(Done{}) {}
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : error_(std::move(failure.why)) {}

    bool ok() const { return value_.has_value(); }
    // Empty on success.
    const std::string& error() const { return error_; }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }

  private:
    std::optional<T> value_;
    std::string error_;
};

}  // namespace velmira
