#include "engine/radios/RadiosLib.h"

#include <mutex>
#include <utility>

#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "shared/VersionCompare.h"

namespace corvane {

namespace {

const char* enabledName(bool enabled) { return enabled ? "ENABLED" : "DISABLED"; }

void logAlreadyInState(const char* radio, bool enabled) {
    CORVANE_DEBUG("Switching %s to %s canceled because it's already in that state !", radio, enabledName(enabled));
}

}  // namespace

RadiosLib::RadiosLib(platform::Platform& platform) : platform_(platform), homeScreen_(platform.runtime()) {
    if (compareVersions(platform_.device().systemVersion(), "5.0") > 0) {
        supportsNew3GAPI = true;
        getDeviceKind();
    }
    _is3GCapable = is3GCapable();
}

RadiosLib::~RadiosLib() { forgetCapabilityFunction(platform_); }

// ---- WiFi ---------------------------------------------------------------------

bool RadiosLib::isWiFiEnabled() {
    platform::Object* manager = homeScreen_.sharedWiFiManager();
    if (!homeScreen_.isPowered(manager)) return false;
    return homeScreen_.wiFiEnabled(manager);
}

void RadiosLib::setWiFiEnabled(bool enabled) {
    if (isWiFiEnabled() == enabled) {
        logAlreadyInState("WiFi", enabled);
        return;
    }
    homeScreen_.setWiFiEnabled(homeScreen_.sharedWiFiManager(), enabled);
    platform_.darwinNotifications().post(notifications::kRefreshAllToggles);
}

// ---- Cellular data ------------------------------------------------------------

bool RadiosLib::isEdgeEnabled() { return platform_.telephony().cellularDataPlanIsEnabled(); }

bool RadiosLib::setEdgeEnabled(bool enabled) {
    if (isCallActive()) {
        CORVANE_DEBUG("Switching Edge to %s canceled because a call is active !", enabledName(enabled));
        return false;
    }
    if (isEdgeEnabled() == enabled) {
        logAlreadyInState("Edge", enabled);
        return true;
    }
    platform_.telephony().setCellularDataPlanIsEnabled(enabled);
    platform_.darwinNotifications().post(notifications::kRefreshAllToggles);
    platform_.localNotifications().post(
        notifications::kCellDataChanged,
        plist::Dictionary{{std::string(notifications::kCellDataChangedDataEnabledKey), plist::Value(enabled)}});
    return true;
}

// ---- Network speed --------------------------------------------------------------

bool RadiosLib::set3GState(std::int32_t speed) {
    if (platform_.mainRunLoop().isMainThread()) return set3GStateMainThread(speed);
    // Off the main thread: the change runs later on the main run loop, unless
    // this object is gone by then.
    std::weak_ptr<int> alive = lifeToken_;
    platform_.mainRunLoop().dispatchToMain(guarded([this, alive, speed] {
        if (alive.lock()) set3GStateMainThread(speed);
    }));
    return true;
}

bool RadiosLib::setDataRate(platform::DataRate rate) { return platform_.telephony().setMaxAllowedDataRate(rate); }

bool RadiosLib::set3GStateMainThread(std::int32_t speed) {
    if (speed < kSpeedGSM || speed > kSpeed4G) {
        CORVANE_DEBUG("Unexpected level of network requested : you have asked for %dG !?!", speed);
        return false;
    }
    if (speed == kSpeedGSM) {
        CORVANE_DEBUG("Network request to go to 1G --> defer to Edge manager");
        return setEdgeEnabled(false);
    }
    if (!_is3GCapable) {
        CORVANE_DEBUG("Switching network to %dG canceled because not supported on this device !", speed);
        return true;
    }
    if (isCallActive()) {
        CORVANE_DEBUG("Switching network to %dG canceled because a call is active !", speed);
        return false;
    }
    platform::DataRate rate = speed == kSpeed4G   ? platform::DataRate::Rate4G
                              : speed == kSpeed3G ? platform::DataRate::Rate3G
                                                  : platform::DataRate::Rate2G;
    const std::int32_t kind = getDeviceKind();
    switch (kind) {
        case 2:
            if (_minAllowedRate) rate = *_minAllowedRate;
            return setDataRate(rate);
        case 1:
            if (rate == platform::DataRate::Rate4G) rate = platform::DataRate::Rate3G;
            if (_minAllowedRate) rate = *_minAllowedRate;
            return setDataRate(rate);
        case 0:
            CORVANE_DEBUG("Switching network to %dG canceled because the speed cannot be switched on this device",
                          speed);
            return false;
        default: CORVANE_DEBUG("Unmanaged RATKind : %d", kind); return false;
    }
}

std::int32_t RadiosLib::get3GState() {
    if (!_is3GCapable) return kSpeed3G;
    if (supportsNew3GAPI) {
        const std::int32_t kind = getDeviceKind();
        if (kind == 0) return kSpeed3G;
        if (kind == 2) {
            switch (_maxAllowedRate.value_or(platform::DataRate::Rate4G)) {
                case platform::DataRate::Rate2G: return kSpeed2G;
                case platform::DataRate::Rate3G: return kSpeed3G;
                case platform::DataRate::Rate4G: return kSpeed4G;
            }
            return kSpeedGSM;
        }
        if (kind == 1) {
            switch (_maxAllowedRate.value_or(platform::DataRate::Rate3G)) {
                case platform::DataRate::Rate2G: return kSpeed2G;
                case platform::DataRate::Rate3G: return kSpeed3G;
                default: return kSpeedGSM;  // a kind 1 device has no 4G
            }
        }
        return kSpeedGSM;
    }
    std::unique_ptr<platform::TelephonyServerConnection> connection = platform_.telephony().createServerConnection();
    if (!connection) return kSpeedGSM;
    const platform::RATSelection selection = connection->ratSelection();
    return selection == platform::RATSelection::Selection1 || selection == platform::RATSelection::Selection2
               ? kSpeed3G
               : kSpeed2G;
}

std::optional<platform::DataRate> RadiosLib::minRateFromCode(std::int64_t code) {
    if (code == kRate2G) return platform::DataRate::Rate2G;
    if (code == kRate3G) return platform::DataRate::Rate3G;
    return std::nullopt;
}

std::optional<platform::DataRate> RadiosLib::maxRateFromCode(std::int64_t code) {
    if (code == kRate3G) return platform::DataRate::Rate3G;
    if (code == kRate4G) return platform::DataRate::Rate4G;
    return std::nullopt;
}

// ---- Bluetooth ----------------------------------------------------------------

bool RadiosLib::isBluetoothEnabled() { return platform_.bluetooth().enabled(); }

void RadiosLib::setBluetoothEnabled(bool enabled) {
    if (isBluetoothEnabled() == enabled) {
        logAlreadyInState("Bluetooth", enabled);
        return;
    }
    platform::Bluetooth& bluetooth = platform_.bluetooth();
    if (!enabled && bluetooth.connected()) {
        CORVANE_DEBUG("Switching Bluetooth to %s canceled because it is connected to a device", enabledName(enabled));
        return;
    }
    platform::Preferences& preferences = platform_.preferences();
    preferences.setAppValue(paths::kNetworkPreferencesDomain, bluetooth::kNetworkPreferenceKey, plist::Value(enabled));
    if (enabled)
        bluetooth.setPowered(true);
    else
        bluetooth.setEnabled(false);
    preferences.appSynchronize(paths::kNetworkPreferencesDomain);
    platform_.darwinNotifications().post(notifications::kRefreshAllToggles);
}

// ---- Location services ----------------------------------------------------------

bool RadiosLib::isLocationEnabled() { return platform_.locationServices().locationServicesEnabled(); }

void RadiosLib::setLocationEnabled(bool enabled) {
    if (isLocationEnabled() == enabled) {
        logAlreadyInState("Location", enabled);
        return;
    }
    platform_.locationServices().setLocationServicesEnabled(enabled);
    platform_.darwinNotifications().post(notifications::kLocationPreferences);
}

// ---- Push ---------------------------------------------------------------------

bool RadiosLib::isPushEnabled() {
    const std::optional<plist::Dictionary> list = plist::readDictionary(paths::resolve(paths::kPushPropertyList));
    if (!list) return false;
    const plist::Value* value = list->find(push::kEnablePush);
    return value != nullptr && value->boolValue();
}

void RadiosLib::setPushEnabled(bool enabled) {
    if (isPushEnabled() == enabled) {
        logAlreadyInState("Push", enabled);
        return;
    }
    // The list belongs to the system: it is rewritten whole with only the
    // one key changed, and never replaced by a stand-in when it cannot be read.
    const std::filesystem::path path = paths::resolve(paths::kPushPropertyList);
    std::optional<plist::Dictionary> list = plist::readDictionary(path);
    if (!list) {
        CORVANE_DEBUG("Switching Push to %s canceled because the push property list is missing or unreadable",
                      enabledName(enabled));
        return;
    }
    list->set(push::kEnablePush, plist::Value(enabled));
    if (const Outcome written =
            platform::writePropertyList(platform_.fileManager(), path, plist::Value(std::move(*list)));
        !written) {
        CORVANE_DEBUG("Switching Push to %s failed: the push property list could not be written: %s %s",
                      enabledName(enabled), path.c_str(), written.message().c_str());
        return;
    }
    platform_.darwinNotifications().post(notifications::kPushPreferences);
}

// ---- Low power mode -------------------------------------------------------------

bool RadiosLib::isLowPowerModeEnabled() {
    platform::LowPowerMode& lowPowerMode = platform_.lowPowerMode();
    return lowPowerMode.available() && lowPowerMode.isEnabled();
}

void RadiosLib::setLowPowerModeEnabled(bool enabled) {
    platform::LowPowerMode& lowPowerMode = platform_.lowPowerMode();
    if (!lowPowerMode.available()) {
        CORVANE_DEBUG("Unable to find class %s", "PSLowPowerModeSettingsDetail");
        return;
    }
    const char* state = enabled ? "enabled" : "disabled";
    if (lowPowerMode.isEnabled() == enabled) {
        CORVANE_DEBUG("Low power mode is already %s!", state);
        return;
    }
    CORVANE_DEBUG("Setting low power mode to %s!", state);
    lowPowerMode.setEnabled(enabled);
}

// ---- Telephony state ------------------------------------------------------------

platform::Object* RadiosLib::telephonyManager() { return homeScreen_.sharedTelephonyManager(); }

bool RadiosLib::isAirplaneModeEnabled() {
    platform::Object* manager = telephonyManager();
    return manager != nullptr && homeScreen_.isInAirplaneMode(manager);
}

bool RadiosLib::isCallActive() {
    platform::Object* manager = telephonyManager();
    if (manager == nullptr) return false;
    return homeScreen_.inCall(manager) || homeScreen_.outgoingCallExists(manager) ||
           homeScreen_.incomingCallExists(manager) || homeScreen_.activeCallExists(manager);
}

bool RadiosLib::isTethering() {
    platform::Object* manager = telephonyManager();
    return manager != nullptr && homeScreen_.isNetworkTethering(manager);
}

}  // namespace corvane
