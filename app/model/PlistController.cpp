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
#include "app/model/Localized.h"
#include "app/platform/AppPlatform.h"
#include "shared/AtomicFile.h"
#include "shared/FileLock.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

std::unique_ptr<PlistController> sharedController;

// The longest a write waits for the engine to finish its own write of the file.
constexpr std::chrono::milliseconds kSettingsLockWait{250};

std::filesystem::path settingsPath() { return paths::resolve(paths::kSettings); }

// Whether the minimum m and the maximum M leave a speed between them
// (m + 2 <= M), for any stored values without overflow: the file's rates are
// not range-checked.
bool leavesASpeedBetween(std::int64_t m, std::int64_t M) {
    return M >= std::numeric_limits<std::int64_t>::min() + 2 && m <= M - 2;
}

int printable(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

PlistController& PlistController::sharedInstance() {
    if (!sharedController) {
        ProcessState::registerReset(ProcessState::kPreferenceModel, [] { resetSharedInstance(); });
        sharedController.reset(new PlistController());
    }
    return *sharedController;
}

void PlistController::resetSharedInstance() { sharedController.reset(); }

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
// array or dictionary as 0 / NO; a NaN or infinite real is kept as read. The
// keys the file lacks are filled in by one write and one notification; the
// file ends as if each had been written on its own, in the reading order.
void PlistController::reloadPrefs() {
    // The engine rewrites the mobile-data file when it starts, maybe after
    // this model was made: the rates are reconciled with the device as the
    // rate screens show it.
    supportedRates_ = MobileDataInfo::loadFromFile();
    const std::filesystem::path path = settingsPath();
    const plist::DictionaryFile read = plist::readDictionaryFile(path);
    switch (read.problem) {
        case plist::FileProblem::None: break;
        case plist::FileProblem::Missing: AMPWISE_LOG("File not found : %s", path.c_str()); return;
        case plist::FileProblem::CannotRead:
            // Perhaps sound, perhaps the user's own choices: kept, and never
            // written over.
            AMPWISE_LOG("File %s cannot be read (%s), settings kept as they are", path.c_str(), read.reason.c_str());
            tell({L("Settings file unreadable"), path.string() + ": " + read.reason + ". " +
                                                     L("The settings shown were not read from it, and it is "
                                                       "not written over.")});
            return;
        case plist::FileProblem::NotAFile:
        case plist::FileProblem::Malformed:
            // Nothing usable in it: read as if it were missing. The next
            // write moves it aside and starts a new file.
            AMPWISE_LOG("File %s is not a readable dictionary (%s), settings kept as they are", path.c_str(),
                        read.reason.c_str());
            return;
    }
    plist::Dictionary fillIns;
    for (const settings::SettingsKey* row : settings::kAppReadOrder) {
        std::visit([&](auto field) { readOrFillIn(*read.dictionary, *row, values_.*field, &fillIns); }, row->field);
    }
    stored_ = values_;
    if (fillIns.empty()) return;
    // Each key is written only while the file still lacks it: whichever side
    // first finds a key missing fixes its value.
    updateFile(path, [&fillIns](plist::Dictionary& prefs) {
        for (const auto& [key, value] : fillIns) {
            if (!prefs.contains(key)) prefs.set(key, value);
        }
    });
    // The rates are not reconciled here: the file keeps what was stored.
}

template <class T>
void PlistController::readOrFillIn(const plist::Dictionary& prefs, const settings::SettingsKey& row, T& field,
                                   plist::Dictionary* fillIns) {
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
    if (fillIns == nullptr) return;
    if (row.appLogsMissing) AMPWISE_LOG("%.*s does not exists", printable(row.key), row.key.data());
    switch (row.appFillIn) {
        case AppFillIn::NotRead: return;
        case AppFillIn::No: fillIns->set(row.key, plist::Value(false)); return;
        // CarMode's YES reaches the model only when it reads the file again.
        case AppFillIn::Yes: fillIns->set(row.key, plist::Value(true)); return;
        case AppFillIn::Current: fillIns->set(row.key, settings::settingsValue(field)); return;
        case AppFillIn::CurrentAsNumber:
            fillIns->set(row.key, settings::settingsValue(field, /*booleanAsNumber=*/true));
            return;
        case AppFillIn::Zero:
            field = 0;
            fillIns->set(row.key, plist::Value(0));
            return;
    }
}

void PlistController::readPresentKeys(const plist::Dictionary& prefs, settings::SettingsValues& values) {
    for (const settings::SettingsKey* row : settings::kAppReadOrder) {
        std::visit([&](auto field) { readOrFillIn(prefs, *row, values.*field, nullptr); }, row->field);
    }
}

bool PlistController::savePrefs() {
    // Keys the model does not own ("SwitchRadiosOnLock", the engine's own
    // keys) stay as read.
    const bool saved = updateFile(settingsPath(), [this](plist::Dictionary& prefs) { setOwnKeys(prefs); });
    if (saved) {
        stored_ = values_;
    } else {
        restoreFromFile();
    }
    return saved;
}

void PlistController::setOwnKeys(plist::Dictionary& prefs) const {
    for (const settings::SettingsKey* row : settings::kAppWriteOrder) {
        std::visit([&](auto field) { prefs.set(row->key, settings::settingsValue(values_.*field)); }, row->field);
    }
}

// The file written is also the file read, so that a write to another file
// than the settings file keeps that file's keys and never copies the
// settings into it.
bool PlistController::_saveValueToFile(std::string_view path, std::string_view key, const plist::Value& value) {
    const std::filesystem::path target = path.empty() ? settingsPath() : paths::resolve(path);
    const bool saved = updateFile(target, [&](plist::Dictionary& prefs) { prefs.set(key, value); });
    if (target != settingsPath()) return saved;
    if (saved) {
        // The file now holds the key: so does what was stored.
        plist::Dictionary written;
        written.set(key, value);
        readPresentKeys(written, stored_);
    } else {
        restoreFromFile();
    }
    return saved;
}

std::int32_t PlistController::getValueFromDict(const plist::Dictionary& dictionary, std::string_view forKey) {
    if (const plist::Value* value = dictionary.find(forKey)) return value->intValue();
    _saveValueToFile({}, forKey, plist::Value(0));
    return 0;
}

void PlistController::restoreFromFile() {
    values_ = stored_;
    if (const std::optional<plist::Dictionary> prefs = plist::readDictionary(settingsPath())) {
        readPresentKeys(*prefs, values_);
        stored_ = values_;
    }
}

namespace {
std::function<void(const SettingsAlert&)>& alertPresenter() {
    static std::function<void(const SettingsAlert&)> presenter;
    return presenter;
}
}  // namespace

void PlistController::setAlertPresenter(std::function<void(const SettingsAlert&)> presenter) {
    alertPresenter() = std::move(presenter);
}

void PlistController::tell(const SettingsAlert& alert) {
    AMPWISE_LOG("%s: %s", alert.title.c_str(), alert.message.c_str());
    if (const auto& presenter = alertPresenter()) presenter(alert);
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

bool PlistController::updateFile(const std::filesystem::path& path,
                                 const std::function<void(plist::Dictionary&)>& change) {
    // Opened before the engine ever ran, the app finds no preferences
    // folder yet: it makes it, or the write below says why it cannot.
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    const FileLock lock(path, kSettingsLockWait);
    if (!lock.held()) AMPWISE_LOG("file %s not locked in time, written without the lock", path.c_str());
    plist::Rewrite rewrite = plist::prepareRewrite(path, AppPlatform::current().currentTime());
    if (rewrite.movedTo) {
        AMPWISE_LOG("File %s is not a readable dictionary (%s), moved aside to %s", path.c_str(),
                    rewrite.read.reason.c_str(), rewrite.movedTo->c_str());
    }
    if (!rewrite.dictionary) {
        const bool unreadable = rewrite.read.problem == plist::FileProblem::CannotRead;
        AMPWISE_LOG("file %s COULD NOT be created: %s %s", path.c_str(), rewrite.read.reason.c_str(),
                    unreadable ? "(the file is kept)" : "(and could not be moved aside)");
        tell({L("Setting not saved"), path.string() + ": " + rewrite.read.reason + ". " +
                                          L("The file is kept as it is; the setting is back to what was saved.")});
        return false;
    }
    change(*rewrite.dictionary);
    if (const Outcome written = plist::writeFile(path, plist::Value(std::move(*rewrite.dictionary)))) {
        AMPWISE_LOG("file %s created", path.c_str());
        firePrefChanged();
        return true;
    } else {
        AMPWISE_LOG("file %s COULD NOT be created: %s", path.c_str(), written.message().c_str());
        tell({L("Setting not saved"),
              path.string() + ": " + written.message() + ". " + L("The setting is back to what the file holds.")});
        return false;
    }
}

}  // namespace corvane::app
