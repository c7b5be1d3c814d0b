#include "app/model/PlistController.h"

#include <chrono>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/platform/AppPlatform.h"
#include "shared/AtomicFile.h"
#include "shared/FileLock.h"
#include "shared/MoveAside.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

std::unique_ptr<PlistController> instance;

// The longest a write waits for the engine to finish its own write of the file.
constexpr std::chrono::milliseconds kSettingsLockWait{250};

std::filesystem::path settingsPath() { return paths::resolve(paths::kSettings); }

bool fileExists(const std::filesystem::path& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

// Whether the minimum m and the maximum M leave a speed between them
// (m + 2 <= M), for any stored values without overflow: the file's rates are
// not range-checked.
bool leavesASpeedBetween(std::int64_t m, std::int64_t M) {
    return M >= std::numeric_limits<std::int64_t>::min() + 2 && m <= M - 2;
}

int printable(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

PlistController& PlistController::sharedInstance() {
    if (!instance) instance.reset(new PlistController());
    return *instance;
}

void PlistController::resetSharedInstance() { instance.reset(); }

PlistController::PlistController() { _init(); }

void PlistController::_init() {
    // Every other default, the two rate restrictions included, is set by the
    // member initialisers, in the order of the declarations.
    supportedRates_ = MobileDataInfo::loadFromFile();
    // Temporary files of writes that a crash or a kill interrupted earlier.
    const std::filesystem::path folder = paths::resolve(paths::kPreferencesFolder);
    if (const std::size_t removed = removeStaleTemporaryFiles(folder))
        AMPWISE_LOG("Removed %zu unfinished temporary files from %s", removed, folder.c_str());
}

// A key present in the file is converted with the usual number conversions
// whatever its type: a string by its leading numeric text, a date, data,
// array or dictionary as 0 / NO; a NaN or infinite real is kept as read. A
// missing key costs one single-key write (and one notification) of the value
// the app fills in.
void PlistController::reloadPrefs() {
    using namespace settings;
    // The engine rewrites the mobile-data file when it starts, maybe after
    // this model was made: the rates are reconciled with the device as the
    // rate screens show it.
    supportedRates_ = MobileDataInfo::loadFromFile();
    const std::filesystem::path path = settingsPath();
    if (!fileExists(path)) {
        AMPWISE_LOG("File not found : %s", path.c_str());
        return;
    }
    std::string whyNot;
    const std::optional<plist::Dictionary> read = plist::readDictionary(path, &whyNot);
    if (!read) {
        // Nothing usable in it: read as if it were missing. The next write
        // moves it aside and starts a new file.
        AMPWISE_LOG("File %s is not a readable dictionary (%s), settings kept as they are", path.c_str(),
                    whyNot.c_str());
        return;
    }
    const plist::Dictionary& prefs = *read;

    const auto reportMissing = [](std::string_view key) {
        AMPWISE_LOG("%.*s does not exists", printable(key), key.data());
    };
    const auto boolean = [&](std::string_view key, bool& property, const plist::Value& written) {
        if (const plist::Value* value = prefs.find(key)) {
            property = value->boolValue();
        } else {
            _saveValueToFile({}, key, written);
        }
    };
    const auto real = [&](std::string_view key, double& property) {
        if (const plist::Value* value = prefs.find(key)) {
            property = value->doubleValue();
        } else {
            _saveValueToFile({}, key, plist::Value(property));
        }
    };
    // Written as integer 0 or 1 when missing.
    const auto flag = [&](std::string_view key, bool& property, bool logMissing) {
        if (const plist::Value* value = prefs.find(key)) {
            property = value->boolValue();
        } else {
            if (logMissing) reportMissing(key);
            _saveValueToFile({}, key, plist::Value(property ? 1 : 0));
        }
    };
    const auto rate = [&](std::string_view key, std::int64_t& field) {
        if (const plist::Value* value = prefs.find(key)) {
            field = value->integerValue();
        } else {
            reportMissing(key);
            field = 0;
            _saveValueToFile({}, key, plist::Value(0));
        }
    };

    boolean(kDebug, debug_, plist::Value(false));
    if (const plist::Value* value = prefs.find(kCarMode)) {
        carMode_ = value->boolValue();
    } else {
        // Only the file receives YES; the model reads it back at the next reload.
        _saveValueToFile({}, kCarMode, plist::Value(true));
    }
    boolean(kDisableIcon, disableIcon_, plist::Value(false));
    boolean(kLowPowerMode, manageLowPowerMode_, plist::Value(true));
    boolean(kEnabledAllRadios, enabledAllRadios_, plist::Value(true));
    boolean(kEnabledAllRadiosInBackground, enabledAllRadiosInBackground_, plist::Value(true));
    boolean(kEnabledEdgeOffOnWifi, enabledEdgeOffOnWifi_, plist::Value(true));
    real(kRadioTimerDurationAtSleep, radioTimerDurationAtSleep_);
    real(kRadioTimerDurationAtWakeup, radioTimerDurationAtWakeup_);
    real(kWakeInterval, wakeIntervalMinutes_);
    if (const plist::Value* value = prefs.find(kStrategy)) {
        // A StrategyNumber is 32 bits wide.
        strategy_ = value->intValue();
    } else {
        _saveValueToFile({}, kStrategy, plist::Value(static_cast<long long>(strategy_)));
    }
    flag(kManageCriticalLevel, enableNoRadioAtCriticalLevel_, false);
    flag(kSaveStats, enableSaveStats_, true);
    flag(kSaveLastState, enableSaveLastState_, true);
    flag(kNoneOnAC, enableNoneOnAC_, true);
    flag(kSwitchRadiosOnLock, switchRadiosOnLock_, true);
    rate(kMinRate, minRate_);
    rate(kMaxRate, maxRate_);

    edge_ = getValueFromDict(prefs, kEdge);
    threeG_ = getValueFromDict(prefs, k3G);
    fourG_ = getValueFromDict(prefs, k4G);
    wifi_ = getValueFromDict(prefs, kWiFi);
    push_ = getValueFromDict(prefs, kPush);
    location_ = getValueFromDict(prefs, kLocation);
    bluetooth_ = getValueFromDict(prefs, kBluetooth);
    edgeAtSleep_ = getValueFromDict(prefs, kEdgeAtSleep);
    threeGAtSleep_ = getValueFromDict(prefs, k3GAtSleep);
    fourGAtSleep_ = getValueFromDict(prefs, k4GAtSleep);
    wifiAtSleep_ = getValueFromDict(prefs, kWiFiAtSleep);
    pushAtSleep_ = getValueFromDict(prefs, kPushAtSleep);
    locationAtSleep_ = getValueFromDict(prefs, kLocationAtSleep);
    bluetoothAtSleep_ = getValueFromDict(prefs, kBluetoothAtSleep);
    // The rates are not reconciled here: the file keeps what was stored.
}

void PlistController::savePrefs() {
    // Keys the model does not own ("SwitchRadiosOnLock", the engine's own
    // keys) stay as read.
    updateFile(settingsPath(), [this](plist::Dictionary& prefs) { setOwnKeys(prefs); });
}

void PlistController::setOwnKeys(plist::Dictionary& prefs) const {
    using namespace settings;
    prefs.set(kDebug, debug_);
    prefs.set(kCarMode, carMode_);
    prefs.set(kLowPowerMode, manageLowPowerMode_);
    prefs.set(kDisableIcon, disableIcon_);
    prefs.set(kEnabledAllRadios, enabledAllRadios_);
    prefs.set(kEnabledAllRadiosInBackground, enabledAllRadiosInBackground_);
    prefs.set(kEnabledEdgeOffOnWifi, enabledEdgeOffOnWifi_);
    prefs.set(kRadioTimerDurationAtSleep, radioTimerDurationAtSleep_);
    prefs.set(kRadioTimerDurationAtWakeup, radioTimerDurationAtWakeup_);
    prefs.set(kWakeInterval, wakeIntervalMinutes_);
    prefs.set(kStrategy, static_cast<long long>(strategy_));
    prefs.set(kManageCriticalLevel, enableNoRadioAtCriticalLevel_);
    prefs.set(kSaveStats, enableSaveStats_);
    prefs.set(kSaveLastState, enableSaveLastState_);
    prefs.set(kNoneOnAC, enableNoneOnAC_);
    prefs.set(kEdge, edge_);
    prefs.set(k3G, threeG_);
    prefs.set(k4G, fourG_);
    prefs.set(kWiFi, wifi_);
    prefs.set(kPush, push_);
    prefs.set(kLocation, location_);
    prefs.set(kBluetooth, bluetooth_);
    prefs.set(kEdgeAtSleep, edgeAtSleep_);
    prefs.set(k3GAtSleep, threeGAtSleep_);
    prefs.set(k4GAtSleep, fourGAtSleep_);
    prefs.set(kWiFiAtSleep, wifiAtSleep_);
    prefs.set(kPushAtSleep, pushAtSleep_);
    prefs.set(kLocationAtSleep, locationAtSleep_);
    prefs.set(kBluetoothAtSleep, bluetoothAtSleep_);
    prefs.set(kMinRate, static_cast<long long>(minRate_));
    prefs.set(kMaxRate, static_cast<long long>(maxRate_));
}

// The file written is also the file read, so that a write to another file
// than the settings file keeps that file's keys and never copies the
// settings into it.
void PlistController::_saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value) {
    const std::filesystem::path target = path.empty() ? settingsPath() : paths::resolve(path);
    updateFile(target, [&](plist::Dictionary& prefs) { prefs.set(key, value); });
}

std::int32_t PlistController::getValueFromDict(const plist::Dictionary& dictionary, std::string_view forKey) {
    if (const plist::Value* value = dictionary.find(forKey)) return value->intValue();
    _saveValueToFile({}, forKey, plist::Value(0));
    return 0;
}

std::int64_t PlistController::radioRestrictionForType(bool isMinimum) const { return isMinimum ? minRate_ : maxRate_; }

bool PlistController::radioRestrictionChanged(std::int64_t rate, bool forType) {
    (forType ? minRate_ : maxRate_) = rate;
    const bool otherChanged = ensureRateCoherence(forType);
    savePrefs();
    return otherChanged;
}

bool PlistController::ensureRateCoherence(bool minimumChanged) {
    if (minRate_ == 0 || maxRate_ == 0) return false;
    if (leavesASpeedBetween(minRate_, maxRate_)) return false;
    if (minimumChanged) {
        if (minRate_ > 1) {
            // Nothing lies above the minimum's next speed but 4G: no maximum.
            maxRate_ = 0;
        } else {
            maxRate_ = minRate_ + 2;
            if (!supportedRates_.supportsRate(maxRate_)) maxRate_ = 0;
        }
    } else {
        if (maxRate_ < 2) {
            minRate_ = 0;
        } else {
            minRate_ = maxRate_ - 2;
            if (!supportedRates_.supportsRate(minRate_)) minRate_ = 0;
        }
    }
    return true;
}

void PlistController::firePrefChanged() {
    AppPlatform::current().darwinNotifications().post(notifications::kPreferencesChanged);
}

std::optional<plist::Dictionary> PlistController::settingsToUpdate(const std::filesystem::path& path) {
    if (!fileExists(path)) return plist::Dictionary{};
    std::string whyNot;
    std::optional<plist::Dictionary> read = plist::readDictionary(path, &whyNot);
    if (read) return read;
    const std::optional<std::filesystem::path> aside = moveAside(path, AppPlatform::current().currentTime());
    if (!aside) {
        AMPWISE_LOG("File %s is not a readable dictionary (%s) and could not be moved aside", path.c_str(),
                    whyNot.c_str());
        return std::nullopt;
    }
    AMPWISE_LOG("File %s is not a readable dictionary (%s), moved aside to %s", path.c_str(), whyNot.c_str(),
                aside->c_str());
    return plist::Dictionary{};
}

void PlistController::updateFile(const std::filesystem::path& path,
                                 const std::function<void(plist::Dictionary&)>& change) {
    const FileLock lock(path, kSettingsLockWait);
    if (!lock.held()) AMPWISE_LOG("file %s not locked in time, written without the lock", path.c_str());
    std::optional<plist::Dictionary> prefs = settingsToUpdate(path);
    if (!prefs) {
        AMPWISE_LOG("file %s COULD NOT be created", path.c_str());
        return;
    }
    change(*prefs);
    if (const Outcome written = plist::writeFile(path, plist::Value(std::move(*prefs)))) {
        AMPWISE_LOG("file %s created", path.c_str());
        firePrefChanged();
    } else {
        AMPWISE_LOG("file %s COULD NOT be created: %s", path.c_str(), written.message().c_str());
    }
}

}  // namespace corvane::app
