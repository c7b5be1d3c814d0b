#include "sim/SimBattery.h"

#include <algorithm>
#include <cmath>

#include "shared/Names.h"

namespace corvane::sim {

namespace {
// Charging is integrated in steps this long, as its current follows the charge.
constexpr double kChargeStepSeconds = 60.0;
// A cycle count starts where a phone of a year or so would be.
constexpr int kStartCycleCount = 120;
}  // namespace

SimBattery::SimBattery(const PowerModel& model, double designCapacity, double startPercent)
    : model_(model),
      designCapacity_(designCapacity),
      maxCapacity_(designCapacity),
      charge_(designCapacity * std::clamp(startPercent, 0.0, 100.0) / 100.0),
      lowest_(charge_) {}

double SimBattery::netCurrent(double drawMilliwatts, bool onAC) const {
    const double phone = drawMilliwatts / model_.nominalVoltage();
    if (!onAC) return -phone;
    // The adapter gives at most its charge current; the phone's draw comes out of it.
    return std::min(model_.chargeCurrent(fraction()), model_.chargeCurrent(0.0) - phone);
}

void SimBattery::take(double milliampHours) {
    drawnTotal_ += std::min(milliampHours, charge_);
    charge_ = std::max(0.0, charge_ - milliampHours);
    lowest_ = std::min(lowest_, charge_);
}

void SimBattery::run(double seconds, double drawMilliwatts, bool onAC) {
    if (!(seconds > 0.0)) return;
    if (!onAC) {
        take(-netCurrent(drawMilliwatts, false) * seconds / 3600.0);
        return;
    }
    // The charge current follows the charge: integrate in steps.
    for (double left = seconds; left > 0.0;) {
        const double step = std::min(left, kChargeStepSeconds);
        const double current = netCurrent(drawMilliwatts, true);
        if (current >= 0.0) {
            charge_ = std::min(maxCapacity_, charge_ + current * step / 3600.0);
        } else {
            take(-current * step / 3600.0);
        }
        left -= step;
    }
}

void SimBattery::spend(double joules, bool onAC) {
    if (onAC || !(joules > 0.0)) return;
    take(joules / 3.6 / model_.nominalVoltage());
}

std::optional<double> SimBattery::secondsToNextPercent(double drawMilliwatts, bool onAC) const {
    const double onePercent = maxCapacity_ / 100.0;
    const double steps = charge_ / onePercent;
    const double current = netCurrent(drawMilliwatts, onAC);
    if (current > 0.0) {
        const double next = (std::floor(steps + 1e-9) + 1.0) * onePercent;
        return std::max(1.0, (next - charge_) / current * 3600.0);
    }
    if (current >= 0.0 || charge_ <= 0.0) return std::nullopt;
    double below = (std::ceil(steps - 1e-9) - 1.0) * onePercent;
    if (below < 0.0) below = 0.0;
    return std::max(1.0, (charge_ - below) / -current * 3600.0);
}

void SimBattery::forcePercent(double percent) {
    charge_ = maxCapacity_ * std::clamp(percent, 0.0, 100.0) / 100.0;
    lowest_ = std::min(lowest_, charge_);
}

double SimBattery::percent() const { return fraction() * 100.0; }

int SimBattery::wholePercent() const { return static_cast<int>(std::floor(percent() + 1e-9)); }

double SimBattery::voltage(bool charging) const {
    // A lithium-ion cell between about 3.5 V empty and 4.2 V full, a little
    // higher while charging.
    return 3500.0 + 700.0 * fraction() + (charging ? 100.0 : 0.0);
}

plist::Dictionary SimBattery::properties(double wallClockSeconds, double drawMilliwatts, bool onAC) const {
    using namespace corvane::battery;
    const bool full = charge_ >= maxCapacity_ - 0.5;
    const bool charging = onAC && !full;
    const double millivolts = voltage(charging);
    const double chargeCurrent = onAC ? std::max(0.0, netCurrent(drawMilliwatts, true)) : 0.0;
    // Positive while charging, negative while the battery feeds the phone.
    const long long amperage = std::llround(netCurrent(drawMilliwatts, onAC));
    long long minutesLeft = 0;
    if (charging && chargeCurrent > 0.0) {
        minutesLeft = std::llround((maxCapacity_ - charge_) / chargeCurrent * 60.0);
    } else if (!onAC && amperage < 0) {
        minutesLeft = std::llround(charge_ / static_cast<double>(-amperage) * 60.0);
    }
    const long long current = std::llround(charge_);
    const long long maximum = std::llround(maxCapacity_);
    // Hundredths of a degree: room temperature, warmer under load and while charging.
    const long long temperature = std::llround(2500.0 + drawMilliwatts / 10.0 + (charging ? 400.0 : 0.0));

    plist::Dictionary d;
    if (onAC) {
        d.set(kAdapterDetails, plist::Value(plist::Dictionary{{std::string(kAdapterAmperage), 1000},
                                                              {std::string(kAdapterDescription), "usb brick"},
                                                              {std::string(kAdapterFamilyCode), -536854528},
                                                              {std::string(kAdapterPMUConfiguration), 1000},
                                                              {std::string(kAdapterWatts), 5}}));
    }
    d.set(kAdapterInfo, plist::Value(onAC ? 16384 : 0));
    d.set(kAmperage, plist::Value(amperage));
    d.set(kAppleRawCurrentCapacity, plist::Value(current));
    d.set(kAppleRawMaxCapacity, plist::Value(maximum));
    d.set(kAtCriticalLevel, plist::Value(fraction() < 0.05));
    d.set(kAtWarnLevel, plist::Value(fraction() < 0.10));
    d.set(kBatteryInstalled, plist::Value(true));
    d.set(kBatteryKey, plist::Value("0003-default"));
    d.set(kBootBBCapacity, plist::Value(52));
    d.set(kBootCapacityEstimate, plist::Value(2));
    d.set(kBootVoltage, plist::Value(3802));
    d.set(kCFBundleIdentifier, plist::Value("com.apple.driver.AppleD1815PMU"));
    d.set(kChargerConfiguration, plist::Value(onAC ? 1000 : 0));
    d.set(kCurrentCapacity, plist::Value(current));
    d.set(kCycleCount, plist::Value(kStartCycleCount + static_cast<long long>(drawnTotal_ / maxCapacity_)));
    d.set(kDesignCapacity, plist::Value(std::llround(designCapacity_)));
    d.set(kExternalChargeCapable, plist::Value(onAC));
    d.set(kExternalConnected, plist::Value(onAC));
    d.set(kFullyCharged, plist::Value(full));
    d.set(kIOClass, plist::Value("AppleD1815PMUPowerSource"));
    d.set(kIOGeneralInterest, plist::Value("IOCommand is not serializable"));
    d.set(kIOMatchCategory, plist::Value("IODefaultMatchCategory"));
    d.set(kIOProbeScore, plist::Value(0));
    d.set(kIOProviderClass, plist::Value("AppleD1815PMU"));
    d.set(kInstantAmperage, plist::Value(amperage));
    d.set(kIsCharging, plist::Value(charging));
    d.set(kLocation, plist::Value(0));
    d.set(kManufacturer, plist::Value("A"));
    d.set(kMaxCapacity, plist::Value(maximum));
    d.set(kModel, plist::Value("0003-A"));
    d.set(kSerial, plist::Value("C01438200PHFX8TAA"));
    d.set(kTemperature, plist::Value(temperature));
    d.set(kTimeRemaining, plist::Value(minutesLeft));
    d.set(kUpdateTime, plist::Value(static_cast<long long>(std::floor(wallClockSeconds))));
    d.set(kVoltage, plist::Value(std::llround(millivolts)));
    d.set(kBuiltIn, plist::Value(true));
    return d;
}

}  // namespace corvane::sim
