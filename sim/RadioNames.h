#pragma once
// The phone's radios and cellular data rates under the names that scenarios,
// live commands, traces and summaries use. Each has one table, read both ways.

#include <optional>
#include <string_view>

#include "engine/platform/Telephony.h"

namespace corvane::sim {

// What a radio switch changes. Speed is the requested top data rate.
enum class Radio { WiFi, Edge, Bluetooth, Location, Push, LowPowerMode, Speed };

// The radios a scenario switches on or off at t = 0 ("radios"), in reading order.
inline constexpr Radio kScenarioRadios[] = {Radio::WiFi, Radio::Edge, Radio::Bluetooth, Radio::Location, Radio::Push};

std::string_view radioName(Radio radio);
std::optional<Radio> radioNamed(std::string_view name);

// Every data rate, slowest first, and its name: "2G", "3G" and "4G".
inline constexpr platform::DataRate kDataRates[] = {platform::DataRate::Rate2G, platform::DataRate::Rate3G,
                                                    platform::DataRate::Rate4G};
std::string_view dataRateName(platform::DataRate rate);
std::optional<platform::DataRate> dataRateNamed(std::string_view name);

}  // namespace corvane::sim
