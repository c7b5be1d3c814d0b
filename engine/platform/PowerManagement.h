#pragma once
// System power management: power messages and scheduled power events.

#include <cstdint>
#include <functional>

#include "shared/PropertyList.h"

namespace corvane::platform {

inline constexpr std::uint32_t kIOMessageCanSystemSleep = 0xE0000270;
inline constexpr std::uint32_t kIOMessageSystemWillSleep = 0xE0000280;
inline constexpr std::uint32_t kIOMessageSystemHasPoweredOn = 0xE0000300;
inline constexpr std::uint32_t kIOMessageSystemWillPowerOn = 0xE0000320;

class PowerManagement {
public:
    using Callback = std::function<void(std::uint32_t messageType, std::intptr_t messageArgument)>;
    virtual ~PowerManagement() = default;

    // Registers for system power messages, delivered on the main run loop.
    // Answers NO when the registration failed.
    virtual bool registerForSystemPower(Callback callback) = 0;
    virtual void allowPowerChange(std::intptr_t messageArgument) = 0;
    virtual void cancelPowerChange(std::intptr_t messageArgument) = 0;

    // Each event a dictionary with "time" (date), "scheduledby" and "eventtype".
    virtual plist::Array copyScheduledPowerEvents() = 0;
    // Error codes: 0 on success.
    virtual int schedulePowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) = 0;
    virtual int cancelScheduledPowerEvent(plist::Date time, std::string_view scheduledBy,
                                          std::string_view eventType) = 0;
};

}  // namespace corvane::platform
