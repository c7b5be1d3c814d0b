#pragma once
// Facts about the device: hardware model, system version, core framework
// version, user-interface idiom and the capability table.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

class Device {
public:
    virtual ~Device() = default;
    // The machine field of `uname`, e.g. "iPhone6,1".
    virtual std::string machine() const = 0;
    // The system version string, e.g. "8.1".
    virtual std::string systemVersion() const = 0;
    virtual double coreFoundationVersionNumber() const = 0;
    // 0 for a phone, other values for a tablet.
    virtual int userInterfaceIdiom() const = 0;
    // `MGGetBoolAnswer` of the capability library, or none when the library
    // or the function is missing.
    virtual std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() = 0;
};

}  // namespace corvane::platform
