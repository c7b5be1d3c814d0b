#pragma once
// The app's own, reduced detection of the device's cellular capabilities:
// the hardware model, whether the system offers the data-rate interface, the
// device kind summarizing the supported data rates, and whether the network
// speed can be switched at all. Unlike the engine it neither keeps the kind
// between questions nor writes the mobile-data file.

#include <cstdint>
#include <string_view>

#include "app/platform/AppDevice.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class CoreTelephonyNew {
public:
    // Reads the kernel identification; on systems 5.1 and later the data-rate
    // interface is used and the device kind is determined at once.
    CoreTelephonyNew();

    // The capability table's answer for the name; NO when the table's
    // function is missing. The function is looked up at every question, so
    // the answer always comes from the platform installed now.
    static bool supportsCapability(std::string_view capability);

    // Whether the network speed may be switched. Always clears isCDMA first.
    bool is3GCapable();

    // The device kind of the telephony server's supported data rates, asked
    // anew at every call and kept in deviceKind: 2 for 3G and 4G, 1 for 2G
    // and 3G, 0 otherwise, -1 when the server cannot be reached. No caller
    // passes options; they are ignored.
    std::int32_t getDeviceKind(const plist::Dictionary* options = nullptr);

    bool isCDMA = false;
    KernelIdentification name;
    std::int32_t deviceKind = -1;
    bool supportsNew3GAPI = false;
};

}  // namespace corvane::app
