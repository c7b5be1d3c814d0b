#pragma once
// The record of one battery properties dictionary: every field holds the
// value found under its key, unconverted, or none when the key is absent.
// The nested "AdapterDetails" dictionary becomes an AdapterDetails record.

#include <memory>
#include <optional>

#include "engine/battery/AdapterDetails.h"
#include "shared/PropertyList.h"

namespace corvane {

class BatteryStatus {
public:
    // A value under "AdapterDetails" that is not a dictionary gives an
    // AdapterDetails record whose fields are all none.
    explicit BatteryStatus(const plist::Dictionary& dictionary);

    // Fields in declaration order; each under the key of the same name,
    // except `_Location` ("Location") and `builtIn` ("built-in").
    std::unique_ptr<AdapterDetails> adapterDetails;
    std::optional<plist::Value> AdapterInfo;
    std::optional<plist::Value> Amperage;
    std::optional<plist::Value> AppleRawCurrentCapacity;
    std::optional<plist::Value> AppleRawMaxCapacity;
    std::optional<plist::Value> AtCriticalLevel;
    std::optional<plist::Value> AtWarnLevel;
    std::optional<plist::Value> BatteryInstalled;
    std::optional<plist::Value> BatteryKey;
    std::optional<plist::Value> BootBBCapacity;
    std::optional<plist::Value> BootCapacityEstimate;
    std::optional<plist::Value> BootVoltage;
    std::optional<plist::Value> CFBundleIdentifier;
    std::optional<plist::Value> ChargerConfiguration;
    std::optional<plist::Value> CurrentCapacity;
    std::optional<plist::Value> CycleCount;
    std::optional<plist::Value> DesignCapacity;
    std::optional<plist::Value> ExternalChargeCapable;
    std::optional<plist::Value> ExternalConnected;
    std::optional<plist::Value> FullyCharged;
    std::optional<plist::Value> IOClass;
    std::optional<plist::Value> IOGeneralInterest;
    std::optional<plist::Value> IOMatchCategory;
    std::optional<plist::Value> IOProbeScore;
    std::optional<plist::Value> IOProviderClass;
    std::optional<plist::Value> InstantAmperage;
    std::optional<plist::Value> IsCharging;
    std::optional<plist::Value> _Location;
    std::optional<plist::Value> Manufacturer;
    std::optional<plist::Value> MaxCapacity;
    std::optional<plist::Value> Model;
    std::optional<plist::Value> Serial;
    std::optional<plist::Value> Temperature;
    std::optional<plist::Value> TimeRemaining;
    std::optional<plist::Value> UpdateTime;
    std::optional<plist::Value> Voltage;
    std::optional<plist::Value> builtIn;
};

}  // namespace corvane
