#include "app/model/PlistController.h"

#include <chrono>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>
#include <variant>

#include "app/model/AppLog.h"
#include "app/platform/AppPlatform.h"
#include "shared/AtomicFile.h"
#include "shared/FileLock.h"
#include "shared/MoveAside.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
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
    if (!instance) {
        ProcessState::registerReset(ProcessState::kPreferenceModel, [] { resetSharedInstance(); });
        instance.reset(new PlistController());
    }
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
    for (const settings::SettingsKey* row : settings::kAppReadOrder) {
        std::visit([&](auto field) { readOrFillIn(*read, *row, values_.*field); }, row->field);
    }
    // The rates are not reconciled here: the file keeps what was stored.
}

template <class T>
void PlistController::readOrFillIn(const plist::Dictionary& prefs, const settings::SettingsKey& row, T& field) {
    using settings::AppFillIn;
    if (const plist::Value* value = prefs.find(row.key)) {
        if constexpr (std::is_same_v<T, bool>) {
            field = value->boolValue();
        } else if constexpr (std::is_same_v<T, double>) {
            field = value->doubleValue();
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
            // A strategy number and a radio setting are 32 bits wide.
            field = value->intValue();
        } else {
            field = value->integerValue();
        }
        return;
    }
    if (row.appLogsMissing) AMPWISE_LOG("%.*s does not exists", printable(row.key), row.key.data());
    switch (row.appFillIn) {
        case AppFillIn::NotRead: return;
        case AppFillIn::No: _saveValueToFile({}, row.key, plist::Value(false)); return;
        // CarMode's YES reaches the model only when it reads the file again.
        case AppFillIn::Yes: _saveValueToFile({}, row.key, plist::Value(true)); return;
        case AppFillIn::Current: _saveValueToFile({}, row.key, settings::settingsValue(field)); return;
        case AppFillIn::CurrentAsNumber:
            _saveValueToFile({}, row.key, settings::settingsValue(field, /*booleanAsNumber=*/true));
            return;
        case AppFillIn::Zero:
            field = 0;
            _saveValueToFile({}, row.key, plist::Value(0));
            return;
    }
}

void PlistController::savePrefs() {
    // Keys the model does not own ("SwitchRadiosOnLock", the engine's own
    // keys) stay as read.
    updateFile(settingsPath(), [this](plist::Dictionary& prefs) { setOwnKeys(prefs); });
}

void PlistController::setOwnKeys(plist::Dictionary& prefs) const {
    for (const settings::SettingsKey* row : settings::kAppWriteOrder) {
        std::visit([&](auto field) { prefs.set(row->key, settings::settingsValue(values_.*field)); }, row->field);
    }
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

std::int64_t PlistController::radioRestrictionForType(bool isMinimum) const {
    return isMinimum ? values_.minRate : values_.maxRate;
}

bool PlistController::radioRestrictionChanged(std::int64_t rate, bool forType) {
    (forType ? values_.minRate : values_.maxRate) = rate;
    const bool otherChanged = ensureRateCoherence(forType);
    savePrefs();
    return otherChanged;
}

bool PlistController::ensureRateCoherence(bool minimumChanged) {
    if (values_.minRate == kRateNoRestriction || values_.maxRate == kRateNoRestriction) return false;
    if (leavesASpeedBetween(values_.minRate, values_.maxRate)) return false;
    if (minimumChanged) {
        if (values_.minRate > kRate2G) {
            // Nothing lies above the minimum's next speed but 4G: no maximum.
            values_.maxRate = kRateNoRestriction;
        } else {
            values_.maxRate = values_.minRate + 2;
            if (!supportedRates_.supportsRate(values_.maxRate)) values_.maxRate = kRateNoRestriction;
        }
    } else {
        if (values_.maxRate < kRate3G) {
            values_.minRate = kRateNoRestriction;
        } else {
            values_.minRate = values_.maxRate - 2;
            if (!supportedRates_.supportsRate(values_.minRate)) values_.minRate = kRateNoRestriction;
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
