// The device-capability part of the radio gateway: the capability table, the
// device kind summarizing the supported data rates, and whether the network
// speed may be switched at all.
#include <functional>
#include <mutex>

#include "engine/controller/DebugLog.h"
#include "engine/radios/RadiosLib.h"
#include "shared/MobileDataInfo.h"

namespace corvane {

namespace {

// Systems up to this core framework version look the capability function up
// for every question; later ones keep it for the process.
constexpr double kLastFrameworkWithoutCachedCapabilities = 793.0;

using CapabilityFunction = std::function<bool(std::string_view)>;

struct CapabilityCache {
    std::mutex mutex;
    const platform::Platform* owner = nullptr;
    CapabilityFunction function;
};

CapabilityCache& capabilityCache() {
    static CapabilityCache* cache = new CapabilityCache;  // lives until the process ends
    return *cache;
}

}  // namespace

bool RadiosLib::supportsCapability(platform::Platform& platform, std::string_view capability) {
    platform::Device& device = platform.device();
    if (device.coreFoundationVersionNumber() <= kLastFrameworkWithoutCachedCapabilities) {
        if (std::optional<CapabilityFunction> function = device.loadCapabilityFunction()) {
            return (*function)(capability);
        }
        // The library could not be opened: fall back to the kept function.
    }
    CapabilityCache& cache = capabilityCache();
    CapabilityFunction function;
    {
        std::lock_guard guard(cache.mutex);
        if (cache.owner != &platform || !cache.function) {
            std::optional<CapabilityFunction> loaded = device.loadCapabilityFunction();
            cache.owner = &platform;
            cache.function = loaded ? std::move(*loaded) : CapabilityFunction{};
        }
        function = cache.function;
    }
    return function ? function(capability) : false;
}

void RadiosLib::forgetCapabilityFunction(const platform::Platform& platform) {
    CapabilityCache& cache = capabilityCache();
    std::lock_guard guard(cache.mutex);
    if (cache.owner != &platform) return;
    cache.owner = nullptr;
    cache.function = CapabilityFunction{};
}

bool RadiosLib::is3GCapable() {
    platform::Device& device = platform_.device();
    const std::string machine = device.machine();
    if (machine == "iPhone1,1") {
        CORVANE_DEBUG("Disable 3G switch : iPhone1,1 detected");
        return false;
    }
    if (machine.find("iPod") != std::string::npos) {
        CORVANE_DEBUG("Disable 3G switch : iPod detected");
        return false;
    }
    if (machine.find("iPad") != std::string::npos && !supportsCapability(platform_, "cellular-data")) {
        CORVANE_DEBUG("Disable 3G switch : No cellular data");
        return false;
    }
    if (!supportsNew3GAPI) return is3GCapableByRATSelection();
    const std::int32_t kind = getDeviceKind();
    switch (kind) {
        case 2: return true;
        case 1:
            if (device.userInterfaceIdiom() == 0) return true;
            CORVANE_DEBUG("DeviceKind is 1 and is an iPad : 3G NOT capable");
            return false;
        case 0: return false;
        default: CORVANE_DEBUG("DeviceKind is %d which is unknown so : 3G NOT capable, by default", kind); return false;
    }
}

bool RadiosLib::is3GCapableByRATSelection() {
    std::unique_ptr<platform::TelephonyServerConnection> connection = platform_.telephony().createServerConnection();
    if (!connection) {
        CORVANE_DEBUG("Disable 3G : No CTServerConnection acquired");
        return false;
    }
    switch (connection->ratSelection()) {
        case platform::RATSelection::Selection3:
            CORVANE_DEBUG("Disable 3G switch for CDMA Device (Sel3), %s, %s", "kCTRegistrationRATSelection3",
                          "kCTRegistrationRATSelection3");
            return false;
        case platform::RATSelection::Selection7:
            CORVANE_DEBUG("Disable 3G switch for CDMA Device (Sel7), %s, %s", "kCTRegistrationRATSelection7",
                          "kCTRegistrationRATSelection7");
            return false;
        default: return true;
    }
}

std::int32_t RadiosLib::getDeviceKind(const plist::Dictionary* /*options*/) {
    if (deviceKind != -1) return deviceKind;
    if (std::optional<std::int32_t> kind = detectDeviceKind()) deviceKind = *kind;
    return deviceKind;
}

std::optional<std::int32_t> RadiosLib::detectDeviceKind() {
    std::unique_ptr<platform::TelephonyServerConnection> connection = platform_.telephony().createServerConnection();
    if (!connection) {
        CORVANE_DEBUG("getDeviceKind canceled because _CTServerConnectionCreate returned nil");
        return std::nullopt;
    }
    MobileDataInfo record;
    std::int32_t kind = 0;
    const std::vector<platform::DataRate> rates =
        connection->copySupportedDataRates().value_or(std::vector<platform::DataRate>{});
    auto contains = [&rates](platform::DataRate rate) {
        for (platform::DataRate supported : rates) {
            if (supported == rate) return true;
        }
        return false;
    };
    if (contains(platform::DataRate::Rate2G)) {
        record.setSupport2G(true);
        if (contains(platform::DataRate::Rate3G)) kind = 1;
    }
    if (contains(platform::DataRate::Rate3G)) {
        // A radio with 3G also speaks 2G.
        record.setSupport2G(true);
        record.setSupport3G(true);
        if (contains(platform::DataRate::Rate4G)) {
            record.setSupport4G(true);
            kind = 2;
        }
    }
    record.setDeviceKind(kind);
    if (!record.saveToFile()) CORVANE_DEBUG("The mobile-data file could not be written");
    return kind;
}

}  // namespace corvane
