#pragma once
// Settings keys, file keys and notification names shared by the engine and
// the app, and by the tools around them.

#include <string_view>

namespace corvane::notifications {
inline constexpr std::string_view kPreferencesChanged = "org.fernhill.Corvane-preferencesChanged";
inline constexpr std::string_view kApplicationListRequest = "org.fernhill.ampwise-apps";
inline constexpr std::string_view kWake = "com.quibbit.Corvane-wake";
inline constexpr std::string_view kRefreshAllToggles = "com.sbsettings.refreshalltoggles";
inline constexpr std::string_view kLocationPreferences = "com.apple.locationd/Prefs";
inline constexpr std::string_view kPushPreferences = "com.apple.persistentconnection-mcc/Prefs";
// Local (in-process) notification posted after a cellular data switch.
inline constexpr std::string_view kCellDataChanged = "PSCellDataChangedNotification";
inline constexpr std::string_view kCellDataChangedDataEnabledKey = "DataEnabled";
}  // namespace corvane::notifications

namespace corvane::settings {
// Settings file keys, in the order the engine reads them.
inline constexpr std::string_view kDebug = "Debug";
inline constexpr std::string_view kDisableIcon = "DisableIcon";
inline constexpr std::string_view kLowPowerMode = "LowPowerMode";
inline constexpr std::string_view kCarMode = "CarMode";
inline constexpr std::string_view kNoneOnAC = "NoneOnAC";
inline constexpr std::string_view kStrategy = "Strategy";
inline constexpr std::string_view kSwitchRadiosOnLock = "SwitchRadiosOnLock";
inline constexpr std::string_view kMinRate = "MinRate";
inline constexpr std::string_view kMaxRate = "MaxRate";
inline constexpr std::string_view kEnabledAllRadios = "EnabledAllRadios";
inline constexpr std::string_view kEnabledAllRadiosInBackground = "EnabledAllRadiosInBackground";
inline constexpr std::string_view kEnabledEdgeOffOnWifi = "EnabledEdgeOffOnWifi";
inline constexpr std::string_view kRadioTimerDurationAtSleep = "RadioTimerDurationAtSleep";
inline constexpr std::string_view kRadioTimerDurationAtWakeup = "RadioTimerDurationAtWakeup";
inline constexpr std::string_view kWakeInterval = "WakeInterval";
inline constexpr std::string_view kManageCriticalLevel = "ManageCriticalLevel";
inline constexpr std::string_view kSaveStats = "SaveStats";
inline constexpr std::string_view kSaveLastState = "SaveLastState";
inline constexpr std::string_view kBlockPopups = "BlockPopups";
inline constexpr std::string_view kEdge = "Edge";
inline constexpr std::string_view k3G = "3G";
inline constexpr std::string_view k4G = "4G";
inline constexpr std::string_view kWiFi = "WiFi";
inline constexpr std::string_view kLocation = "Location";
inline constexpr std::string_view kPush = "Push";
inline constexpr std::string_view kBluetooth = "Bluetooth";
inline constexpr std::string_view kEdgeAtSleep = "EdgeAtSleep";
inline constexpr std::string_view k3GAtSleep = "3GAtSleep";
inline constexpr std::string_view k4GAtSleep = "4GAtSleep";
inline constexpr std::string_view kWiFiAtSleep = "WiFiAtSleep";
inline constexpr std::string_view kLocationAtSleep = "LocationAtSleep";
inline constexpr std::string_view kPushAtSleep = "PushAtSleep";
inline constexpr std::string_view kBluetoothAtSleep = "BluetoothAtSleep";
}  // namespace corvane::settings

namespace corvane::statistics {
// Keys of the statistics property list.
inline constexpr std::string_view kLastSavedRadioTime = "lastSavedRadioTime";
inline constexpr std::string_view kSavedRadioTime = "savedRadioTime";
inline constexpr std::string_view kSavedRadioTimeSinceFirstUse = "savedRadioTimeSinceFirstUse";
inline constexpr std::string_view kEdgeLastState = "edgeLastState";
inline constexpr std::string_view kEdgeDisabledByMyself = "edgeDesactivatedByMyself";
inline constexpr std::string_view kWifiDisabledByMySelf = "wifiDisabledByMySelf";
}  // namespace corvane::statistics

namespace corvane::mobiledata {
inline constexpr std::string_view kIsCDMA = "isCDMA";
inline constexpr std::string_view kSupport2G = "support2G";
inline constexpr std::string_view kSupport3G = "support3G";
inline constexpr std::string_view kSupport4G = "support4G";
inline constexpr std::string_view kDeviceKind = "deviceKind";
}  // namespace corvane::mobiledata

namespace corvane::power {
// Scheduled power events: dictionary keys, and the engine's own scheduler.
inline constexpr std::string_view kEventTime = "time";
inline constexpr std::string_view kEventScheduledBy = "scheduledby";
inline constexpr std::string_view kEventType = "eventtype";
inline constexpr std::string_view kEventsKey = "events";
inline constexpr std::string_view kEngineScheduler = "com.quibbit.Ampwise";
inline constexpr std::string_view kEngineEventType = "wake";
inline constexpr std::string_view kPersistentConnectionPrefix = "com.apple.persistentconnection";
inline constexpr std::string_view kAlarmScheduler = "com.apple.mobiletimer";
inline constexpr std::string_view kCalendarScheduler = "com.apple.eventkit.alarmengine";
}  // namespace corvane::power

namespace corvane::push {
inline constexpr std::string_view kEnablePush = "PCEnablePush";
}

namespace corvane::bluetooth {
inline constexpr std::string_view kNetworkPreferenceKey = "bluetooth-network";
}

namespace corvane::battery {
// Keys of the battery properties dictionary reported by the system.
inline constexpr std::string_view kAdapterDetails = "AdapterDetails";
inline constexpr std::string_view kAdapterInfo = "AdapterInfo";
inline constexpr std::string_view kAmperage = "Amperage";
inline constexpr std::string_view kAppleRawCurrentCapacity = "AppleRawCurrentCapacity";
inline constexpr std::string_view kAppleRawMaxCapacity = "AppleRawMaxCapacity";
inline constexpr std::string_view kAtCriticalLevel = "AtCriticalLevel";
inline constexpr std::string_view kAtWarnLevel = "AtWarnLevel";
inline constexpr std::string_view kBatteryInstalled = "BatteryInstalled";
inline constexpr std::string_view kBatteryKey = "BatteryKey";
inline constexpr std::string_view kBootBBCapacity = "BootBBCapacity";
inline constexpr std::string_view kBootCapacityEstimate = "BootCapacityEstimate";
inline constexpr std::string_view kBootVoltage = "BootVoltage";
inline constexpr std::string_view kCFBundleIdentifier = "CFBundleIdentifier";
inline constexpr std::string_view kChargerConfiguration = "ChargerConfiguration";
inline constexpr std::string_view kCurrentCapacity = "CurrentCapacity";
inline constexpr std::string_view kCycleCount = "CycleCount";
inline constexpr std::string_view kDesignCapacity = "DesignCapacity";
inline constexpr std::string_view kExternalChargeCapable = "ExternalChargeCapable";
inline constexpr std::string_view kExternalConnected = "ExternalConnected";
inline constexpr std::string_view kFullyCharged = "FullyCharged";
inline constexpr std::string_view kIOClass = "IOClass";
inline constexpr std::string_view kIOGeneralInterest = "IOGeneralInterest";
inline constexpr std::string_view kIOMatchCategory = "IOMatchCategory";
inline constexpr std::string_view kIOProbeScore = "IOProbeScore";
inline constexpr std::string_view kIOProviderClass = "IOProviderClass";
inline constexpr std::string_view kInstantAmperage = "InstantAmperage";
inline constexpr std::string_view kIsCharging = "IsCharging";
inline constexpr std::string_view kLocation = "Location";
inline constexpr std::string_view kManufacturer = "Manufacturer";
inline constexpr std::string_view kMaxCapacity = "MaxCapacity";
inline constexpr std::string_view kModel = "Model";
inline constexpr std::string_view kSerial = "Serial";
inline constexpr std::string_view kTemperature = "Temperature";
inline constexpr std::string_view kTimeRemaining = "TimeRemaining";
inline constexpr std::string_view kUpdateTime = "UpdateTime";
inline constexpr std::string_view kVoltage = "Voltage";
inline constexpr std::string_view kBuiltIn = "built-in";
// Keys of the nested adapter dictionary.
inline constexpr std::string_view kAdapterAmperage = "Amperage";
inline constexpr std::string_view kAdapterDescription = "Description";
inline constexpr std::string_view kAdapterFamilyCode = "FamilyCode";
inline constexpr std::string_view kAdapterPMUConfiguration = "PMUConfiguration";
inline constexpr std::string_view kAdapterWatts = "Watts";
}  // namespace corvane::battery

namespace corvane::systemversion {
// Keys of the system version property list.
inline constexpr std::string_view kProductName = "ProductName";
inline constexpr std::string_view kProductVersion = "ProductVersion";
}  // namespace corvane::systemversion

namespace corvane::simdevice {
// Keys of the simulated phone's device file.
inline constexpr std::string_view kMachine = "machine";
inline constexpr std::string_view kSystemVersion = "systemVersion";
inline constexpr std::string_view kCoreFoundationVersionNumber = "coreFoundationVersionNumber";
inline constexpr std::string_view kUserInterfaceIdiom = "userInterfaceIdiom";
inline constexpr std::string_view kCapabilities = "capabilities";
inline constexpr std::string_view kTelephonyServerReachable = "telephonyServerReachable";
inline constexpr std::string_view kRATSelection = "ratSelection";
inline constexpr std::string_view kSupportedDataRates = "supportedDataRates";
inline constexpr std::string_view kLowPowerModeAvailable = "lowPowerModeAvailable";
}  // namespace corvane::simdevice

namespace corvane::deviceinfo {
// What the app's device-information screen asks of the system: the telephony
// server's data-rate names, the capability that marks a tablet with cellular
// data, and the low-power-mode settings class with its class operation.
inline constexpr std::string_view kDataRate2G = "kCTRegistrationDataRate2G";
inline constexpr std::string_view kDataRate3G = "kCTRegistrationDataRate3G";
inline constexpr std::string_view kDataRate4G = "kCTRegistrationDataRate4G";
inline constexpr std::string_view kCellularDataCapability = "cellular-data";
inline constexpr std::string_view kLowPowerModeSettingsClass = "PSLowPowerModeSettingsDetail";
inline constexpr std::string_view kLowPowerModeEnabledOperation = "isEnabled";
}  // namespace corvane::deviceinfo

namespace corvane::batterydetail {
// The entry of the last-battery-state file that the battery detail screens
// leave out.
inline constexpr std::string_view kBatteryData = "battery-data";
}  // namespace corvane::batterydetail

namespace corvane::userdefaults {
// The pull-to-refresh header's last "Last update: ..." text.
inline constexpr std::string_view kRefreshHeaderLastRefresh = "EGORefreshTableView_LastRefresh";
}  // namespace corvane::userdefaults

namespace corvane::adaptive {
// Keys of the Adaptive records file: "Locks" is an array of dictionaries
// with the lock's start ("Start", a date) and length ("Seconds", a real).
inline constexpr std::string_view kLocks = "Locks";
inline constexpr std::string_view kLockStart = "Start";
inline constexpr std::string_view kLockSeconds = "Seconds";
// Since the phone last came off its charger ("SinceCharge", a date): the
// energy the radios did not draw while switched off, what switching them
// back on and waking them in the background cost, and the wake-ups of the
// sleeping phone saved by gathering other applications' wake events, with
// the energy they would have cost. Energies in joules.
inline constexpr std::string_view kSinceCharge = "SinceCharge";
inline constexpr std::string_view kRadioJoulesSaved = "RadioJoulesSaved";
inline constexpr std::string_view kSwitchJoulesSpent = "SwitchJoulesSpent";
inline constexpr std::string_view kWakesAvoided = "WakesAvoided";
inline constexpr std::string_view kWakeJoulesSaved = "WakeJoulesSaved";

// Keys of the user's energy figures file, and of the device's figures.
inline constexpr std::string_view kWiFiIdleMilliwatts = "WiFiIdleMilliwatts";
inline constexpr std::string_view kCellularDataIdleMilliwatts = "CellularDataIdleMilliwatts";
inline constexpr std::string_view kBluetoothIdleMilliwatts = "BluetoothIdleMilliwatts";
inline constexpr std::string_view kLocationIdleMilliwatts = "LocationIdleMilliwatts";
inline constexpr std::string_view kWiFiJoinJoules = "WiFiJoinJoules";
inline constexpr std::string_view kCellularAttachJoules = "CellularAttachJoules";
inline constexpr std::string_view kBluetoothOnJoules = "BluetoothOnJoules";
inline constexpr std::string_view kAwakeMilliwatts = "AwakeMilliwatts";
inline constexpr std::string_view kLowPowerModeSavingMilliwatts = "LowPowerModeSavingMilliwatts";
inline constexpr std::string_view kWakeCostJoules = "WakeJoules";
}  // namespace corvane::adaptive
