// The settings file and the three application lists shared with the app:
// reading them into the engine, filling in missing settings keys, and the
// application names file written on the app's request.
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "engine/strategies/StrategyTypes.h"
#include "shared/FileLock.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane {

namespace {

// The longest the main thread waits for the settings lock (the app may be
// writing the file at the same moment).
constexpr std::chrono::milliseconds kSettingsLockWait{100};

// Reads the settings dictionary key by key. A missing key gives the caller's
// fallback and, where the settings table says so, is written into the file
// (one read and one atomic rewrite per key). A key whose value has no number
// conversion (an array, a dictionary, a date, data) or is not a finite number
// also gives the fallback, with a debug line, and is left as it is in the file.
class SettingsReader {
public:
    SettingsReader(Corvane& engine, const plist::Dictionary& settings) : engine_(engine), settings_(settings) {}

    const plist::Value* usable(std::string_view key) const {
        const plist::Value* value = settings_.find(key);
        if (value == nullptr) return nullptr;
        if (!value->isNumber() && !value->isString()) {
            CORVANE_DEBUG("Settings key %.*s holds no number, using its default", static_cast<int>(key.size()),
                          key.data());
            return nullptr;
        }
        if (!std::isfinite(value->doubleValue())) {
            CORVANE_DEBUG("Settings key %.*s holds no finite number, using its default", static_cast<int>(key.size()),
                          key.data());
            return nullptr;
        }
        return value;
    }

    bool missing(std::string_view key) const { return !settings_.contains(key); }

    void writeIfMissing(std::string_view key, const std::optional<plist::Value>& written) {
        if (written && missing(key)) engine_.saveValueToFile(paths::kSettings, key, *written);
    }

    bool boolean(std::string_view key, bool fallback, std::optional<plist::Value> written = std::nullopt) {
        const plist::Value* value = usable(key);
        writeIfMissing(key, written);
        return value ? value->boolValue() : fallback;
    }

    std::int64_t integer(std::string_view key, std::int64_t fallback, std::optional<plist::Value> written) {
        const plist::Value* value = usable(key);
        writeIfMissing(key, written);
        return value ? value->integerValue() : fallback;
    }

    double real(std::string_view key, double fallback, std::optional<plist::Value> written) {
        const plist::Value* value = usable(key);
        writeIfMissing(key, written);
        return value ? value->doubleValue() : fallback;
    }

    // A radio setting: missing keys go through the engine's own fill-in rule.
    RadioSetting radio(std::string_view key) { return engine_.getValueFromDict(settings_, key); }

private:
    Corvane& engine_;
    const plist::Dictionary& settings_;
};

// Keys 10 to 33 of the settings table, into a Custom strategy not yet in force.
void readCustomStrategy(SettingsReader& reader, Strategie& custom) {
    using namespace settings;
    custom.enabledAllRadios = reader.boolean(kEnabledAllRadios, custom.enabledAllRadios, plist::Value(true));
    custom.enabledAllRadiosInBackground =
        reader.boolean(kEnabledAllRadiosInBackground, custom.enabledAllRadiosInBackground, plist::Value(true));
    custom.enabledEdgeOffOnWifi =
        reader.boolean(kEnabledEdgeOffOnWifi, custom.enabledEdgeOffOnWifi, plist::Value(true));
    custom.radioTimerDurationAtSleep = reader.real(kRadioTimerDurationAtSleep, custom.radioTimerDurationAtSleep,
                                                   plist::Value(custom.radioTimerDurationAtSleep));
    custom.radioTimerDurationAtWakeup = reader.real(kRadioTimerDurationAtWakeup, custom.radioTimerDurationAtWakeup,
                                                    plist::Value(custom.radioTimerDurationAtWakeup));
    custom.wakeIntervalMinutes =
        reader.real(kWakeInterval, custom.wakeIntervalMinutes, plist::Value(custom.wakeIntervalMinutes));
    custom.enableNoRadioAtCriticalLevel = reader.boolean(kManageCriticalLevel, custom.enableNoRadioAtCriticalLevel,
                                                         plist::Value(custom.enableNoRadioAtCriticalLevel));
    custom.enableSaveStats = reader.boolean(kSaveStats, custom.enableSaveStats, plist::Value(custom.enableSaveStats));
    custom.enableSaveLastBattStat =
        reader.boolean(kSaveLastState, custom.enableSaveLastBattStat, plist::Value(custom.enableSaveLastBattStat));
    CommonToAllStrategies::sharedInstance().setBlockPopups(reader.boolean(kBlockPopups, false, plist::Value(false)));

    custom.edge = reader.radio(kEdge);
    custom.threeG = reader.radio(k3G);
    custom.fourG = reader.radio(k4G);
    custom.wifi = reader.radio(kWiFi);
    custom.location = reader.radio(kLocation);
    custom.push = reader.radio(kPush);
    custom.bluetooth = reader.radio(kBluetooth);
    custom.edgeAtSleep = reader.radio(kEdgeAtSleep);
    custom.threeGAtSleep = reader.radio(k3GAtSleep);
    custom.fourGAtSleep = reader.radio(k4GAtSleep);
    custom.wifiAtSleep = reader.radio(kWiFiAtSleep);
    custom.locationAtSleep = reader.radio(kLocationAtSleep);
    custom.pushAtSleep = reader.radio(kPushAtSleep);
    custom.bluetoothAtSleep = reader.radio(kBluetoothAtSleep);
}

// An application list: empty when the file is missing or unreadable.
plist::Dictionary readApplicationList(std::string_view phonePath, const char* listName, platform::FileManager& files) {
    const std::filesystem::path path = paths::resolve(phonePath);
    if (!files.fileExists(path)) {
        CORVANE_DEBUG("%s list: no file, the list is empty", listName);
        return {};
    }
    std::string whyNot;
    std::optional<plist::Dictionary> list = plist::readDictionary(path, &whyNot);
    if (!list) {
        CORVANE_DEBUG("%s list: file %s is not a readable dictionary, the list is empty (%s)", listName, path.c_str(),
                      whyNot.c_str());
        return {};
    }
    CORVANE_DEBUG("%s list: %zu entries", listName, list->size());
    return std::move(*list);
}

void logEnabledEntries(const char* listName, const plist::Dictionary& list) {
    if (!DebugLog::debugEnabled()) return;
    for (const auto& [identifier, value] : list) {
        if (value.boolValue()) CORVANE_DEBUG("%s list: %s", listName, identifier.c_str());
    }
}

}  // namespace

void Corvane::reloadPrefs() {
    const std::filesystem::path settingsPath = paths::resolve(paths::kSettings);
    if (!platform_.fileManager().fileExists(settingsPath)) {
        // A deleted settings file leaves every value in force until it reappears.
        CORVANE_DEBUG("File not found : %s", settingsPath.c_str());
        return;
    }
    std::string whyNot;
    std::optional<plist::Dictionary> read = plist::readDictionary(settingsPath, &whyNot);
    if (!read) {
        // A damaged file says nothing new: like a deleted one, it leaves the
        // settings in force (an Aggressive user is not dropped to Normal).
        CORVANE_DEBUG("Settings file %s is not a readable dictionary (%s), keeping the settings in force",
                      settingsPath.c_str(), whyNot.c_str());
        return;
    }
    const plist::Dictionary settingsDictionary = std::move(*read);
    SettingsReader reader(*this, settingsDictionary);
    CommonToAllStrategies& common = CommonToAllStrategies::sharedInstance();

    DebugLog::setDebugEnabled(
        reader.boolean(settings::kDebug, DebugLog::debugEnabled(), plist::Value(DebugLog::debugEnabled() ? 1 : 0)));
    common.setDisableIcon(reader.boolean(settings::kDisableIcon, false));
    manageLowPowerMode = reader.boolean(settings::kLowPowerMode, true);
    common.setCarMode(reader.boolean(settings::kCarMode, true));
    common.setEnableNoneOnAC(reader.boolean(settings::kNoneOnAC, true, plist::Value(1)));

    const std::int32_t strategyNumber =
        static_cast<std::int32_t>(reader.integer(settings::kStrategy, kStrategyNormal, plist::Value(kStrategyNormal)));
    // The new base strategy is completed before it is put in force: a
    // verification thread may read the strategy in force at any time.
    std::shared_ptr<Strategie> newBase = Strategie::strategyFromEnum(strategyNumber);
    if (!newBase) {
        CORVANE_DEBUG("Strategy %d is unknown, keeping %s", strategyNumber,
                      strategy ? strategy->name().c_str() : "none");
    }

    common.setSwitchRadiosOnLock(reader.boolean(settings::kSwitchRadiosOnLock, false, plist::Value(0)));
    const std::int64_t minRate = reader.integer(settings::kMinRate, 0, plist::Value(0));
    if (radiosLib) radiosLib->setMinAllowedRate(RadiosLib::minRateFromCode(minRate));
    const std::int64_t maxRate = reader.integer(settings::kMaxRate, 0, plist::Value(0));
    if (radiosLib) radiosLib->setMaxAllowedRate(RadiosLib::maxRateFromCode(maxRate));

    if (newBase && strategyNumber == kStrategyCustom) readCustomStrategy(reader, *newBase);

    if (newBase) {
        baseStrategy = std::move(newBase);  // the previous base goes with its last reference
        strategy = (common.enableNoneOnAC() && onAC)
                       ? std::shared_ptr<Strategie>(Strategie::strategyFromEnum(kStrategyNone))
                       : baseStrategy;
        CORVANE_DEBUG("Strategy %s in force (chosen: %s)", strategy->name().c_str(), baseStrategy->name().c_str());
        strategyDidChanged();
    }

    {
        std::lock_guard guard(edge2WiFiManager->lock());
        loadAppsState();
        logEnabledEntries("Radios-off", shutdownApps);
        logEnabledEntries("Keep-radios", keepApps);
        logEnabledEntries("No-delay", noDelayApps);
    }
}

void Corvane::loadAppsState() {
    platform::FileManager& files = platform_.fileManager();
    shutdownApps = readApplicationList(paths::kShutdownList, "Radios-off", files);
    keepApps = readApplicationList(paths::kKeepList, "Keep-radios", files);
    noDelayApps = readApplicationList(paths::kDelayList, "No-delay", files);
}

void Corvane::generateAppList() {
    plist::Dictionary names;
    for (platform::Object* application : homeScreen_.allApplications()) {
        std::string identifier = homeScreen_.bundleIdentifier(application);
        if (identifier.empty()) continue;  // nothing the app could show or store
        names.set(identifier, plist::Value(homeScreen_.displayName(application)));
    }
    const bool written = plist::writeFile(paths::resolve(paths::kApplicationNames), plist::Value(names));
    CORVANE_DEBUG("Application names file: %zu entries%s", names.size(), written ? "" : " (not written)");
}

std::int32_t Corvane::getValueFromDict(const plist::Dictionary& dictionary, std::string_view forKey) {
    const plist::Value* value = dictionary.find(forKey);
    if (value == nullptr) {
        saveValueToFile(paths::kSettings, forKey, plist::Value(state));
        return 0;
    }
    if (!value->isNumber() && !value->isString()) {
        CORVANE_DEBUG("Settings key %.*s holds no number, using 0", static_cast<int>(forKey.size()), forKey.data());
        return 0;
    }
    return value->intValue();
}

void Corvane::saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value) {
    // Re-read from disk at each write, under the lock the app takes for its
    // own writes, so that neither undoes the other's keys; the atomic rewrite
    // means a reader always sees a whole file. A file that is missing or
    // unreadable is left alone: the engine never creates the settings file,
    // nor replaces one it cannot read.
    const std::filesystem::path resolved = paths::resolve(path);
    if (!platform_.fileManager().fileExists(resolved)) {
        CORVANE_DEBUG("file %s COULD NOT be created", resolved.c_str());
        return;
    }
    const FileLock lock(resolved, kSettingsLockWait);
    if (!lock.held()) CORVANE_DEBUG("file %s not locked in time, written without the lock", resolved.c_str());
    std::optional<plist::Dictionary> dictionary = plist::readDictionary(resolved);
    if (!dictionary) {
        CORVANE_DEBUG("file %s COULD NOT be created: not a readable dictionary", resolved.c_str());
        return;
    }
    dictionary->set(key, value);
    if (const Outcome written = plist::writeFile(resolved, plist::Value(std::move(*dictionary)))) {
        CORVANE_DEBUG("file %s created", resolved.c_str());
    } else {
        CORVANE_DEBUG("file %s COULD NOT be created: %s", resolved.c_str(), written.message().c_str());
    }
}

}  // namespace corvane
