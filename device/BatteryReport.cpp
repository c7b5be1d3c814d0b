#include "device/BatteryReport.h"

#include <cmath>

#include "shared/Names.h"

namespace corvane::device {

namespace {

long long milliampHours(double wattHours, double volts) { return std::llround(wattHours / volts * 1000.0); }

}  // namespace

int batteryPercent(const UPowerBattery& battery) {
    if (battery.percentage) return static_cast<int>(std::lround(*battery.percentage));
    if (battery.energy && battery.energyFull && *battery.energyFull > 0.0) {
        return static_cast<int>(std::lround(*battery.energy / *battery.energyFull * 100.0));
    }
    return 0;
}

plist::Dictionary batteryDictionary(const UPowerBattery& battery, bool onBattery, double wallClockSeconds) {
    using namespace corvane::battery;
    const double volts = battery.voltage && *battery.voltage > 0.0 ? *battery.voltage : kNominalVolts;
    const unsigned state = battery.state.value_or(0);
    const bool charging = state == kUPowerCharging || state == kUPowerPendingCharge;
    const bool external = !onBattery;

    plist::Dictionary d;
    // The maximum from the full energy; the current charge from UPower's own
    // percentage, so that the engine's fraction is the one the desktop shows.
    if (battery.energyFull && *battery.energyFull > 0.0) {
        const long long maximum = milliampHours(*battery.energyFull, volts);
        const double fraction = battery.percentage ? *battery.percentage / 100.0
                                : battery.energy   ? *battery.energy / *battery.energyFull
                                                   : 0.0;
        const long long current = std::llround(static_cast<double>(maximum) * fraction);
        d.set(kMaxCapacity, plist::Value(maximum));
        d.set(kCurrentCapacity, plist::Value(current));
        d.set(kAppleRawMaxCapacity, plist::Value(maximum));
        d.set(kAppleRawCurrentCapacity, plist::Value(current));
    } else if (battery.percentage) {
        d.set(kMaxCapacity, plist::Value(100LL));
        d.set(kCurrentCapacity, plist::Value(std::llround(*battery.percentage)));
    }
    if (battery.energyFullDesign && *battery.energyFullDesign > 0.0) {
        d.set(kDesignCapacity, plist::Value(milliampHours(*battery.energyFullDesign, volts)));
    }
    if (battery.chargeCycles && *battery.chargeCycles >= 0) {
        d.set(kCycleCount, plist::Value(static_cast<long long>(*battery.chargeCycles)));
    }
    if (battery.voltage && *battery.voltage > 0.0) {
        d.set(kVoltage, plist::Value(std::llround(*battery.voltage * 1000.0)));
    }
    if (battery.temperature && *battery.temperature != 0.0) {
        d.set(kTemperature, plist::Value(std::llround(*battery.temperature * 100.0)));
    }
    if (battery.energyRate) {
        // UPower's rate has no sign: the battery gains while charging, loses otherwise.
        const double milliamps = std::fabs(*battery.energyRate) / volts * 1000.0;
        const long long amperage = std::llround(charging ? milliamps : -milliamps);
        d.set(kInstantAmperage, plist::Value(amperage));
        d.set(kAmperage, plist::Value(amperage));
    }
    const long long seconds = charging ? battery.timeToFull.value_or(0) : battery.timeToEmpty.value_or(0);
    if (seconds > 0) d.set(kTimeRemaining, plist::Value(seconds / 60));
    d.set(kIsCharging, plist::Value(charging));
    d.set(kFullyCharged, plist::Value(state == kUPowerFullyCharged));
    d.set(kExternalConnected, plist::Value(external));
    d.set(kExternalChargeCapable, plist::Value(external));
    d.set(kBatteryInstalled, plist::Value(true));
    d.set(kUpdateTime, plist::Value(static_cast<long long>(std::floor(wallClockSeconds))));
    return d;
}

}  // namespace corvane::device
