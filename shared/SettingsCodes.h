#pragma once
// Numbers carried by the settings file, shared by the engine (strategies,
// settings, radio code) and the app's settings screens. They are integers
// rather than scoped enumerations because they come from the settings file
// unchecked, and values outside the named ones do occur (a
// radio setting of 3, a network speed of 7): code that reads them must treat
// unknown values by its own rule instead of relying on the named cases.

#include <cstdint>
#include <iterator>
#include <string_view>

namespace corvane {

// Identifies a saving strategy (settings key "Strategy").
enum StrategyNumber : std::int32_t {
    kStrategyNone = 0,
    kStrategyIMessage = 1,
    kStrategyNormal = 2,
    kStrategyAggressive = 3,
    kStrategyUltimate = 4,
    kStrategyCustom = 5,
    // Switches radios off only when the device's own figures say it pays.
    kStrategyAdaptive = 6,
    // One past the last strategy: a number added above becomes known.
    kStrategyCount
};

// Whether a number names a strategy. Any other is the file's or the user's
// mistake: the engine keeps the strategy in force (Normal at start-up).
constexpr bool isKnownStrategy(std::int64_t number) { return number >= 0 && number < kStrategyCount; }

// The name a person reads for a strategy; empty for a number that names none.
constexpr std::string_view strategyDisplayName(std::int64_t number) {
    constexpr std::string_view names[] = {"None", "iMessage", "Normal", "Aggressive", "Ultimate", "Custom", "Adaptive"};
    static_assert(std::size(names) == kStrategyCount, "every strategy has its name");
    return isKnownStrategy(number) ? names[number] : std::string_view{};
}

// What to do with one radio. At sleep: Auto leaves it as it is, On switches
// it on, Off switches it off. At wake-up: Auto restores the state memorized
// before sleep, On switches it on, Off leaves it off.
using RadioSetting = std::int32_t;
inline constexpr RadioSetting kRadioAuto = 0;
inline constexpr RadioSetting kRadioOn = 1;
inline constexpr RadioSetting kRadioOff = 2;

// A requested cellular speed; GSM means cellular data off.
using NetworkSpeed = std::int32_t;
inline constexpr NetworkSpeed kSpeedNoChange = 0;
inline constexpr NetworkSpeed kSpeedGSM = 1;
inline constexpr NetworkSpeed kSpeed2G = 2;
inline constexpr NetworkSpeed kSpeed3G = 3;
inline constexpr NetworkSpeed kSpeed4G = 4;

// A data-rate restriction (settings keys "MinRate" and "MaxRate"): the
// slowest speed allowed as a minimum, the fastest as a maximum.
using RateCode = std::int64_t;
inline constexpr RateCode kRateNoRestriction = 0;
inline constexpr RateCode kRate2G = 1;
inline constexpr RateCode kRate3G = 2;
inline constexpr RateCode kRate4G = 3;

}  // namespace corvane
