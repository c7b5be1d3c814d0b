#pragma once
// The answer of an operation that yields nothing but success or the reason
// it failed. It tests true on success, as the yes-or-no answers it replaces
// did, and carries the failure's error code so that a log line can say why.

#include <string>
#include <system_error>

namespace corvane {

class Outcome {
public:
    // Success.
    Outcome() = default;
    // A failure, unless the code is empty.
    Outcome(std::error_code reason) : reason_(reason) {}

    static Outcome fromErrno(int number) { return Outcome(std::error_code(number, std::generic_category())); }

    // True on success, so that callers which only need yes or no read it as before.
    operator bool() const { return !reason_; }
    const std::error_code& reason() const { return reason_; }
    // The reason in words ("No space left on device"); "Success" on success.
    std::string message() const { return reason_.message(); }

private:
    std::error_code reason_;
};

}  // namespace corvane
