#pragma once
// What the app may ask the system about the device it runs on: the kernel
// identification, the system and framework versions, the capability table,
// the telephony server's data rates, whether a system class answers a class
// operation, and the host name.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::app {

// The five fields of `uname`.
struct KernelIdentification {
    std::string sysname;
    std::string nodename;
    std::string release;
    std::string version;
    std::string machine;
};

class AppDevice {
public:
    virtual ~AppDevice() = default;
    virtual KernelIdentification uname() const = 0;
    // The system version string, e.g. "8.0.2".
    virtual std::string systemVersion() const = 0;
    virtual double coreFoundationVersionNumber() const = 0;
    // 0 for a phone, other values for a tablet.
    virtual int userInterfaceIdiom() const = 0;
    // Whether the system class exists and answers the class operation.
    virtual bool classRespondsToClassOperation(std::string_view className, std::string_view operation) const = 0;
    // `MGGetBoolAnswer` of the capability library, or none when the library
    // or the function is missing.
    virtual std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() = 0;
    // The telephony server's supported data rates, by constant name
    // ("kCTRegistrationDataRate2G", ...); none when no server connection
    // could be had.
    virtual std::optional<std::vector<std::string>> copySupportedDataRates() = 0;
    // The system's host name; none when it cannot be read.
    virtual std::optional<std::string> hostName() const = 0;
};

}  // namespace corvane::app
