// The settings file and the three application lists shared with the app:
// reading them into the engine, filling in missing settings keys, and the
// application names file written on the app's request.
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <variant>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/AtomicFile.h"
#include "shared/FileLock.h"
#include "shared/MoveAside.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "shared/SettingsTable.h"

namespace corvane {

namespace {

// The longest the main thread waits for the settings lock (the app may be
// writing the file at the same moment).
constexpr std::chrono::milliseconds kSettingsLockWait{100};

// Reads the settings dictionary row by row of the settings table. A missing
// key gives the value in place (the fallback) and, where the table says so,
// is written into the file (one read and one atomic rewrite per key). A key
// whose value has no number conversion (an array, a dictionary, a date,
// data) or is not a finite number also gives the fallback, with a debug
// line, and is left as it is in the file.
class SettingsReader {
public:
    SettingsReader(Corvane& engine, const plist::Dictionary& settings) : engine_(engine), settings_(settings) {}

    // Reads the row's key into its field of `values`, which holds the fallback.
    void read(const settings::SettingsKey& row, settings::SettingsValues& values) {
        std::visit([&](auto field) { read(row, values.*field); }, row.field);
    }

private:
    template <class T>
    void read(const settings::SettingsKey& row, T& field) {
        using settings::EngineFillIn;
        if constexpr (std::is_same_v<T, RadioSetting>) {
            if (row.engineFillIn == EngineFillIn::RadioRule) {
                field = engine_.getValueFromDict(settings_, row.key);
                return;
            }
        }
        const plist::Value* value = usable(row.key);
        if (row.engineFillIn != EngineFillIn::Nothing && !settings_.contains(row.key)) {
            const bool asNumber = row.engineFillIn == EngineFillIn::FallbackAsNumber;
            engine_.saveValueToFile(paths::kSettings, row.key, settings::settingsValue(field, asNumber));
        }
        if (value == nullptr) return;
        if constexpr (std::is_same_v<T, bool>) {
            field = value->boolValue();
        } else if constexpr (std::is_same_v<T, double>) {
            field = value->doubleValue();
        } else {
            field = static_cast<T>(value->integerValue());
        }
    }

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

    Corvane& engine_;
    const plist::Dictionary& settings_;
};

// The value in force for each key the engine reads whatever the strategy,
// used when the key is missing or unusable.
settings::SettingsValues engineFallbacks() {
    settings::SettingsValues values;
    values.debug = DebugLog::debugEnabled();
    values.disableIcon = false;
    values.manageLowPowerMode = true;
    values.carMode = true;
    values.enableNoneOnAC = true;
    values.strategy = kStrategyNormal;
    values.switchRadiosOnLock = false;
    values.minRate = kRateNoRestriction;
    values.maxRate = kRateNoRestriction;
    values.blockPopups = false;
    return values;
}

// Calls `link` with each Custom-strategy value and the strategy's field that
// holds it.
template <class Link>
void forEachCustomField(Link link) {
    using V = settings::SettingsValues;
    link(&V::enabledAllRadios, &Strategie::enabledAllRadios);
    link(&V::enabledAllRadiosInBackground, &Strategie::enabledAllRadiosInBackground);
    link(&V::enabledEdgeOffOnWifi, &Strategie::enabledEdgeOffOnWifi);
    link(&V::radioTimerDurationAtSleep, &Strategie::radioTimerDurationAtSleep);
    link(&V::radioTimerDurationAtWakeup, &Strategie::radioTimerDurationAtWakeup);
    link(&V::wakeIntervalMinutes, &Strategie::wakeIntervalMinutes);
    link(&V::enableNoRadioAtCriticalLevel, &Strategie::enableNoRadioAtCriticalLevel);
    link(&V::enableSaveStats, &Strategie::enableSaveStats);
    link(&V::enableSaveLastState, &Strategie::enableSaveLastBattStat);
    link(&V::edge, &Strategie::edge);
    link(&V::threeG, &Strategie::threeG);
    link(&V::fourG, &Strategie::fourG);
    link(&V::wifi, &Strategie::wifi);
    link(&V::location, &Strategie::location);
    link(&V::push, &Strategie::push);
    link(&V::bluetooth, &Strategie::bluetooth);
    link(&V::edgeAtSleep, &Strategie::edgeAtSleep);
    link(&V::threeGAtSleep, &Strategie::threeGAtSleep);
    link(&V::fourGAtSleep, &Strategie::fourGAtSleep);
    link(&V::wifiAtSleep, &Strategie::wifiAtSleep);
    link(&V::locationAtSleep, &Strategie::locationAtSleep);
    link(&V::pushAtSleep, &Strategie::pushAtSleep);
    link(&V::bluetoothAtSleep, &Strategie::bluetoothAtSleep);
}

// The Custom strategy's keys, into a Custom strategy not yet in force: the
// strategy's own values are the fallbacks.
void readCustomStrategy(SettingsReader& reader, settings::SettingsValues& values, Strategie& custom) {
    forEachCustomField([&](auto value, auto field) { values.*value = custom.*field; });
    for (const settings::SettingsKey& row : settings::kSettingsTable) {
        if (row.engineScope == settings::EngineScope::Custom) reader.read(row, values);
    }
    forEachCustomField([&](auto value, auto field) { custom.*field = values.*value; });
    CommonToAllStrategies::sharedInstance().setBlockPopups(values.blockPopups);
}

// What kept a reader from a file, for the debug lines (after the path).
const char* problemInWords(plist::FileProblem problem) {
    switch (problem) {
        case plist::FileProblem::None: return "was read";
        case plist::FileProblem::Missing: return "does not exist";
        case plist::FileProblem::NotAFile: return "is not a regular file";
        case plist::FileProblem::CannotRead: return "cannot be read";
        case plist::FileProblem::Malformed: return "is not a readable dictionary";
    }
    return "cannot be read";
}

// An application list: empty when the file is missing or unreadable.
plist::Dictionary readApplicationList(std::string_view phonePath, const char* listName, platform::FileManager& files) {
    const std::filesystem::path path = paths::resolve(phonePath);
    if (!files.fileExists(path)) {
        CORVANE_DEBUG("%s list: no file, the list is empty", listName);
        return {};
    }
    plist::DictionaryFile list = plist::readDictionaryFile(path);
    if (!list.dictionary) {
        CORVANE_DEBUG("%s list: file %s %s (%s), the list is empty", listName, path.c_str(),
                      problemInWords(list.problem), list.reason.c_str());
        return {};
    }
    CORVANE_DEBUG("%s list: %zu entries", listName, list.dictionary->size());
    return std::move(*list.dictionary);
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
    plist::DictionaryFile read = plist::readDictionaryFile(settingsPath);
    if (!read.dictionary) {
        // A file that cannot be read, or a damaged one, says nothing new:
        // like a deleted one, it leaves the settings in force (an Aggressive
        // user is not dropped to Normal). The app, which writes the file,
        // keeps one it cannot read and replaces a damaged one.
        CORVANE_DEBUG("Settings file %s %s (%s), keeping the settings in force", settingsPath.c_str(),
                      problemInWords(read.problem), read.reason.c_str());
        return;
    }
    const plist::Dictionary settingsDictionary = std::move(*read.dictionary);
    SettingsReader reader(*this, settingsDictionary);
    CommonToAllStrategies& common = CommonToAllStrategies::sharedInstance();

    settings::SettingsValues values = engineFallbacks();
    for (const settings::SettingsKey& row : settings::kSettingsTable) {
        if (row.engineScope != settings::EngineScope::Always) continue;
        reader.read(row, values);
        // The debug lines of the keys read next follow the new setting.
        if (row.key == settings::kDebug) DebugLog::setDebugEnabled(values.debug);
    }
    common.setDisableIcon(values.disableIcon);
    manageLowPowerMode = values.manageLowPowerMode;
    common.setCarMode(values.carMode);
    common.setEnableNoneOnAC(values.enableNoneOnAC);
    common.setSwitchRadiosOnLock(values.switchRadiosOnLock);
    if (radiosLib) radiosLib->setMinAllowedRate(RadiosLib::minRateFromCode(values.minRate));
    if (radiosLib) radiosLib->setMaxAllowedRate(RadiosLib::maxRateFromCode(values.maxRate));

    // The new base strategy is completed before it is put in force: a
    // verification thread may read the strategy in force at any time.
    std::shared_ptr<Strategie> newBase = Strategie::strategyFromEnum(values.strategy);
    if (!newBase) {
        CORVANE_DEBUG("Strategy %d is unknown, keeping %s", values.strategy,
                      strategy ? strategy->name().c_str() : "none");
    }
    if (newBase && values.strategy == kStrategyCustom) readCustomStrategy(reader, values, *newBase);

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
    const std::filesystem::path path = paths::resolve(paths::kApplicationNames);
    // Something other than a file in its place (a directory would refuse
    // the new file) is kept aside for whoever put it there.
    if (const std::optional<std::string> found = nonRegularEntry(path)) {
        const auto aside = moveAside(path, platform_.clock().now().secondsSince1970);
        CORVANE_DEBUG("Application names file %s is %s, %s%s", path.c_str(), found->c_str(),
                      aside ? "moved aside to " : "and could not be moved aside", aside ? aside->c_str() : "");
    }
    const bool written = platform::writePropertyList(platform_.fileManager(), path, plist::Value(names));
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
        CORVANE_DEBUG("file %s COULD NOT be created: it does not exist", resolved.c_str());
        return;
    }
    const FileLock lock(resolved, kSettingsLockWait);
    if (!lock.held()) CORVANE_DEBUG("file %s not locked in time, written without the lock", resolved.c_str());
    plist::DictionaryFile read = plist::readDictionaryFile(resolved);
    std::optional<plist::Dictionary>& dictionary = read.dictionary;
    if (!dictionary) {
        CORVANE_DEBUG("file %s COULD NOT be created: it %s (%s)", resolved.c_str(), problemInWords(read.problem),
                      read.reason.c_str());
        return;
    }
    dictionary->set(key, value);
    if (const Outcome written =
            platform::writePropertyList(platform_.fileManager(), resolved, plist::Value(std::move(*dictionary)))) {
        CORVANE_DEBUG("file %s created", resolved.c_str());
    } else {
        CORVANE_DEBUG("file %s COULD NOT be created: %s", resolved.c_str(), written.message().c_str());
    }
}

}  // namespace corvane
