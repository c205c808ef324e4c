#pragma once

#include <optional>
#include <string>
#include <utility>

namespace orbicap {

// The outcome of a writer or recorder step: success, or a failure that
// carries the message for the user ("Cannot write /x/A.SER: No space left on
// device"). There is deliberately no conversion to bool: older code in this
// program answered "true" for failure, and a silent conversion would let such
// a call site compile with the meaning turned around.
class [[nodiscard]] Status {
public:
    Status() = default;
    static Status Failure(std::string message) {
        Status failed;
        failed.failed_ = true;
        failed.message_ = std::move(message);
        return failed;
    }

    bool Ok() const { return !failed_; }
    bool Failed() const { return failed_; }
    // Empty on success.
    const std::string& Message() const { return message_; }

private:
    bool failed_ = false;
    std::string message_;
};

// A Status that brings a value on success (a handle, a file name).
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    // A failure; a success without a value would leave Value() nothing to
    // give, so it is turned into one.
    Result(Status failure)
        : status_(failure.Ok() ? Status::Failure("no value was produced") : std::move(failure)) {}

    bool Ok() const { return status_.Ok(); }
    bool Failed() const { return status_.Failed(); }
    const std::string& Message() const { return status_.Message(); }
    const Status& Outcome() const { return status_; }
    // Only meaningful when Ok().
    const T& Value() const { return *value_; }

private:
    Status status_;
    std::optional<T> value_;
};

} // namespace orbicap
