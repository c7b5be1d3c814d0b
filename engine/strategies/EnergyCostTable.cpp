#include "engine/strategies/EnergyCostTable.h"

#include <cmath>
#include <string_view>

#include "engine/controller/DebugLog.h"
#include "shared/Names.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

struct Figure {
    std::string_view key;
    double platform::DeviceEnergyCosts::*field;
};

constexpr Figure kFigures[] = {
    {adaptive::kWiFiIdleMilliwatts, &platform::DeviceEnergyCosts::wifiIdleMilliwatts},
    {adaptive::kCellularDataIdleMilliwatts, &platform::DeviceEnergyCosts::cellularDataIdleMilliwatts},
    {adaptive::kBluetoothIdleMilliwatts, &platform::DeviceEnergyCosts::bluetoothIdleMilliwatts},
    {adaptive::kLocationIdleMilliwatts, &platform::DeviceEnergyCosts::locationIdleMilliwatts},
    {adaptive::kWiFiJoinJoules, &platform::DeviceEnergyCosts::wifiJoinJoules},
    {adaptive::kCellularAttachJoules, &platform::DeviceEnergyCosts::cellularAttachJoules},
    {adaptive::kBluetoothOnJoules, &platform::DeviceEnergyCosts::bluetoothOnJoules},
    {adaptive::kAwakeMilliwatts, &platform::DeviceEnergyCosts::awakeMilliwatts},
    {adaptive::kWakeCostJoules, &platform::DeviceEnergyCosts::wakeJoules},
    {adaptive::kLowPowerModeSavingMilliwatts, &platform::DeviceEnergyCosts::lowPowerModeSavingMilliwatts},
};

}  // namespace

platform::DeviceEnergyCosts EnergyCostTable::defaults() {
    // Round figures for a current phone asleep in its user's pocket, of the
    // order published measurements report; a user who measured their own
    // phone writes better ones into the figures file.
    platform::DeviceEnergyCosts costs;
    costs.wifiIdleMilliwatts = 10.0;         // power-save association plus broadcast wake-ups
    costs.cellularDataIdleMilliwatts = 5.0;  // keep-alives of an attached packet-data context
    costs.bluetoothIdleMilliwatts = 5.0;     // page and inquiry scans
    costs.locationIdleMilliwatts = 0.0;      // the receiver runs only for an application
    costs.wifiJoinJoules = 2.0;
    costs.cellularAttachJoules = 1.5;
    costs.bluetoothOnJoules = 0.2;
    costs.awakeMilliwatts = 300.0;
    costs.wakeJoules = 8.0;                     // resume, some 20 s awake and a short transfer
    costs.lowPowerModeSavingMilliwatts = 30.0;  // lower clocks take about a tenth off the awake draw
    return costs;
}

int EnergyCostTable::applyOverrides(platform::DeviceEnergyCosts& costs, const plist::Dictionary& overrides) {
    int taken = 0;
    for (const Figure& figure : kFigures) {
        const plist::Value* value = overrides.find(figure.key);
        if (value == nullptr) continue;
        const double number = value->doubleValue();
        if ((!value->isInteger() && !value->isReal()) || !std::isfinite(number) || number < 0.0) {
            CORVANE_DEBUG("Energy figure %.*s is not a number of zero or more, ignored",
                          static_cast<int>(figure.key.size()), figure.key.data());
            continue;
        }
        costs.*figure.field = number;
        ++taken;
    }
    return taken;
}

platform::DeviceEnergyCosts EnergyCostTable::load(platform::EnergyCosts* device,
                                                  const std::filesystem::path& overrides) {
    std::optional<platform::DeviceEnergyCosts> known;
    if (device != nullptr) known = device->deviceEnergyCosts();
    platform::DeviceEnergyCosts costs = known.value_or(defaults());
    std::string whyNot;
    if (std::optional<plist::Dictionary> user = plist::readDictionary(overrides, &whyNot)) {
        const int taken = applyOverrides(costs, *user);
        CORVANE_DEBUG("Energy figures: %s, %d taken from %s", known ? "the device's" : "defaults", taken,
                      overrides.c_str());
    } else {
        CORVANE_DEBUG("Energy figures: %s", known ? "the device's" : "defaults");
    }
    return costs;
}

}  // namespace corvane
