#pragma once
// How the radios of a Linux device read as the engine's: signal strength in
// percent as bars, and ModemManager's mode bits as data rates.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/Telephony.h"

namespace corvane::device {

// ModemManager's mode bits (MMModemMode).
inline constexpr std::uint32_t kMode2G = 1u << 1;
inline constexpr std::uint32_t kMode3G = 1u << 2;
inline constexpr std::uint32_t kMode4G = 1u << 3;

// A combination of allowed modes and the preferred one, as ModemManager
// lists and sets them.
struct ModemModes {
    std::uint32_t allowed = 0;
    std::uint32_t preferred = 0;
    bool operator==(const ModemModes&) const = default;
};

// 0 to 3 bars, as the home screen's WiFi manager answers: none below 10 %,
// then one bar per third above it.
int barsForStrength(int percent);

// The fastest rate a mode set allows; none when it allows none of 2G/3G/4G.
std::optional<platform::DataRate> fastestRate(std::uint32_t allowed);

// The data rates the modem can be limited to, slowest first.
std::vector<platform::DataRate> supportedRates(const std::vector<ModemModes>& supported);

// The supported combination that limits the modem to `rate`: the one whose
// fastest rate is `rate` (else the nearest slower one), allowing the most
// modes and preferring its fastest. none when the modem supports nothing at
// or below `rate`.
std::optional<ModemModes> modesForRate(const std::vector<ModemModes>& supported, platform::DataRate rate);

// "2G", "3G" or "4G".
std::string rateName(platform::DataRate rate);
std::optional<platform::DataRate> rateNamed(const std::string& name);

}  // namespace corvane::device
