#include "engine/battery/BatteryStatus.h"

#include <string_view>
#include <utility>

#include "shared/Names.h"

namespace corvane {

namespace {

using Field = std::optional<plist::Value> BatteryStatus::*;

// Every plain field with its key, in declaration order.
constexpr std::pair<Field, std::string_view> kFields[] = {
    {&BatteryStatus::AdapterInfo, battery::kAdapterInfo},
    {&BatteryStatus::Amperage, battery::kAmperage},
    {&BatteryStatus::AppleRawCurrentCapacity, battery::kAppleRawCurrentCapacity},
    {&BatteryStatus::AppleRawMaxCapacity, battery::kAppleRawMaxCapacity},
    {&BatteryStatus::AtCriticalLevel, battery::kAtCriticalLevel},
    {&BatteryStatus::AtWarnLevel, battery::kAtWarnLevel},
    {&BatteryStatus::BatteryInstalled, battery::kBatteryInstalled},
    {&BatteryStatus::BatteryKey, battery::kBatteryKey},
    {&BatteryStatus::BootBBCapacity, battery::kBootBBCapacity},
    {&BatteryStatus::BootCapacityEstimate, battery::kBootCapacityEstimate},
    {&BatteryStatus::BootVoltage, battery::kBootVoltage},
    {&BatteryStatus::CFBundleIdentifier, battery::kCFBundleIdentifier},
    {&BatteryStatus::ChargerConfiguration, battery::kChargerConfiguration},
    {&BatteryStatus::CurrentCapacity, battery::kCurrentCapacity},
    {&BatteryStatus::CycleCount, battery::kCycleCount},
    {&BatteryStatus::DesignCapacity, battery::kDesignCapacity},
    {&BatteryStatus::ExternalChargeCapable, battery::kExternalChargeCapable},
    {&BatteryStatus::ExternalConnected, battery::kExternalConnected},
    {&BatteryStatus::FullyCharged, battery::kFullyCharged},
    {&BatteryStatus::IOClass, battery::kIOClass},
    {&BatteryStatus::IOGeneralInterest, battery::kIOGeneralInterest},
    {&BatteryStatus::IOMatchCategory, battery::kIOMatchCategory},
    {&BatteryStatus::IOProbeScore, battery::kIOProbeScore},
    {&BatteryStatus::IOProviderClass, battery::kIOProviderClass},
    {&BatteryStatus::InstantAmperage, battery::kInstantAmperage},
    {&BatteryStatus::IsCharging, battery::kIsCharging},
    {&BatteryStatus::_Location, battery::kLocation},
    {&BatteryStatus::Manufacturer, battery::kManufacturer},
    {&BatteryStatus::MaxCapacity, battery::kMaxCapacity},
    {&BatteryStatus::Model, battery::kModel},
    {&BatteryStatus::Serial, battery::kSerial},
    {&BatteryStatus::Temperature, battery::kTemperature},
    {&BatteryStatus::TimeRemaining, battery::kTimeRemaining},
    {&BatteryStatus::UpdateTime, battery::kUpdateTime},
    {&BatteryStatus::Voltage, battery::kVoltage},
    {&BatteryStatus::builtIn, battery::kBuiltIn},
};

}  // namespace

BatteryStatus::BatteryStatus(const plist::Dictionary& dictionary) {
    if (const plist::Value* adapter = dictionary.find(battery::kAdapterDetails)) {
        adapterDetails = std::make_unique<AdapterDetails>(adapter->asDictionary());
    }
    for (const auto& [field, key] : kFields) {
        if (const plist::Value* value = dictionary.find(key)) this->*field = *value;
    }
}

}  // namespace corvane
