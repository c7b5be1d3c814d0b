#include "app/model/CoreTelephonyNew.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/model/AppLog.h"
#include "app/platform/AppPlatform.h"
#include "shared/Names.h"
#include "shared/VersionCompare.h"

namespace corvane::app {

namespace {

// The first system version whose telephony offers the data-rate interface.
constexpr std::string_view kFirstVersionWithDataRates = "5.1";

}  // namespace

CoreTelephonyNew::CoreTelephonyNew() {
    AppDevice& device = AppPlatform::current().device();
    name = device.uname();
    supportsNew3GAPI = compareVersions(device.systemVersion(), kFirstVersionWithDataRates) >= 0;
    if (supportsNew3GAPI) getDeviceKind(nullptr);
}

bool CoreTelephonyNew::supportsCapability(std::string_view capability) {
    // The platform may be replaced while the app runs (tests install one per
    // case, possibly at the address of the previous one), so no function is
    // kept between questions: a kept one could answer for another device.
    const std::optional<std::function<bool(std::string_view)>> function =
        AppPlatform::current().device().loadCapabilityFunction();
    if (!function || !*function) return false;
    return (*function)(capability);
}

bool CoreTelephonyNew::is3GCapable() {
    isCDMA = false;
    const std::string& machine = name.machine;
    if (machine == "iPhone1,1") {
        AMPWISE_LOG("Disable 3G switch : iPhone1,1 detected");
        return false;
    }
    if (machine.find("iPod") != std::string::npos) {
        AMPWISE_LOG("Disable 3G switch : iPod detected");
        return false;
    }
    if (machine.find("iPad") != std::string::npos && !supportsCapability(deviceinfo::kCellularDataCapability)) {
        AMPWISE_LOG("Disable 3G switch : No cellular data");
        return false;
    }
    switch (deviceKind) {
        case 2: return true;
        case 1:
            if (AppPlatform::current().device().userInterfaceIdiom() == 0) return true;
            AMPWISE_LOG("DeviceKind is 1 and is an iPad : 3G NOT capable");
            return false;
        case 0: return false;
        default:
            AMPWISE_LOG("DeviceKind is %d which is unknown so : 3G NOT capable, by default", deviceKind);
            return false;
    }
}

std::int32_t CoreTelephonyNew::getDeviceKind(const plist::Dictionary* /*options*/) {
    const std::optional<std::vector<std::string>> rates = AppPlatform::current().device().copySupportedDataRates();
    if (!rates) {
        AMPWISE_LOG("getDeviceKind canceled because _CTServerConnectionCreate returned nil");
        deviceKind = -1;
        return deviceKind;
    }
    auto contains = [&rates](std::string_view rate) {
        return std::find(rates->begin(), rates->end(), rate) != rates->end();
    };
    const bool has2G = contains(deviceinfo::kDataRate2G);
    const bool has3G = contains(deviceinfo::kDataRate3G);
    const bool has4G = contains(deviceinfo::kDataRate4G);
    if (has3G && has4G) {
        deviceKind = 2;
    } else if (has2G && has3G) {
        deviceKind = 1;
    } else {
        deviceKind = 0;
    }
    return deviceKind;
}

}  // namespace corvane::app
