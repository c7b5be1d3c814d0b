#pragma once
// The energy figures the Adaptive strategy decides with: the device's own
// when the platform knows them, else a table of defaults for a current phone;
// in both cases the user's figures file overrides any of them. A figure that
// is missing, negative or not a number keeps the value beneath it.

#include <filesystem>

#include "engine/platform/EnergyCosts.h"
#include "shared/PropertyList.h"

namespace corvane {

class EnergyCostTable {
public:
    // The figures of a phone nobody described.
    static platform::DeviceEnergyCosts defaults();
    // The figures in force on a platform, with the user's file at `overrides`.
    static platform::DeviceEnergyCosts load(platform::EnergyCosts* device, const std::filesystem::path& overrides);
    // Puts the dictionary's figures over `costs`; answers how many were taken.
    static int applyOverrides(platform::DeviceEnergyCosts& costs, const plist::Dictionary& overrides);
};

}  // namespace corvane
