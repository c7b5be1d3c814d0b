#pragma once
// UPower's battery as the battery properties dictionary the engine reads:
// capacities in mAh, voltage in mV, temperature in hundredths of a degree,
// currents in mA (negative while the battery feeds the device).

#include <optional>

#include "shared/PropertyList.h"

namespace corvane::device {

// What UPower says of a battery (org.freedesktop.UPower.Device); a property
// the daemon did not get is none.
struct UPowerBattery {
    std::optional<double> percentage;        // %
    std::optional<double> energy;            // Wh
    std::optional<double> energyFull;        // Wh
    std::optional<double> energyFullDesign;  // Wh
    std::optional<double> energyRate;        // W, always positive
    std::optional<double> voltage;           // V
    std::optional<double> temperature;       // degrees Celsius
    std::optional<unsigned> state;           // 1 charging, 2 discharging, 4 fully charged...
    std::optional<int> chargeCycles;         // -1 or missing when unknown
    std::optional<long long> timeToEmpty;    // s
    std::optional<long long> timeToFull;     // s
};

inline constexpr unsigned kUPowerCharging = 1;
inline constexpr unsigned kUPowerFullyCharged = 4;
inline constexpr unsigned kUPowerPendingCharge = 5;

// A battery's nominal voltage, used for the Wh to mAh conversion when UPower
// reports none.
inline constexpr double kNominalVolts = 3.8;

plist::Dictionary batteryDictionary(const UPowerBattery& battery, bool onBattery, double wallClockSeconds);

// The charge in percent the dictionary describes, for the daemon's log line.
int batteryPercent(const UPowerBattery& battery);

}  // namespace corvane::device
