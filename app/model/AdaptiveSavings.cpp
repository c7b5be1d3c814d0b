#include "app/model/AdaptiveSavings.h"

#include <cmath>
#include <cstdio>

#include "app/model/Localized.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

double numberOr(const plist::Dictionary& dictionary, std::string_view key, double fallback) {
    const plist::Value* value = dictionary.find(key);
    if (value == nullptr || !(value->isInteger() || value->isReal())) return fallback;
    const double number = value->doubleValue();
    return std::isfinite(number) ? number : fallback;
}

// The battery's energy when full, joules; none without its figures.
std::optional<double> batteryJoules() {
    const auto state = plist::readDictionary(paths::resolve(paths::kLastBatteryState));
    if (!state) return std::nullopt;
    const double milliampHours = numberOr(*state, battery::kDesignCapacity, 0.0);
    const double millivolts = numberOr(*state, battery::kVoltage, 0.0);
    if (milliampHours <= 0.0 || millivolts <= 0.0) return std::nullopt;
    return milliampHours * 3.6 * millivolts / 1000.0;
}

}  // namespace

std::optional<std::string> AdaptiveSavings::sinceLastCharge() {
    const auto records = plist::readDictionary(paths::resolve(paths::kAdaptiveRecords));
    if (!records) return std::nullopt;
    const double net = numberOr(*records, adaptive::kRadioJoulesSaved, 0.0) -
                       numberOr(*records, adaptive::kSwitchJoulesSpent, 0.0) +
                       numberOr(*records, adaptive::kWakeJoulesSaved, 0.0);
    char text[128];
    if (const std::optional<double> full = batteryJoules()) {
        std::snprintf(text, sizeof text, L("Saved since last charge: %.1f %% of battery (%.0f J)").c_str(),
                      100.0 * net / *full, net);
    } else {
        std::snprintf(text, sizeof text, L("Saved since last charge: %.0f J").c_str(), net);
    }
    return std::string(text);
}

}  // namespace corvane::app
