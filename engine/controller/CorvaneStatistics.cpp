// The statistics of the engine: the battery history database shared with the
// app, the critical-level rule and the background check that every battery
// reading drives, and the statistics property list that keeps the radio-off
// counters and the Edge/WiFi flags across restarts.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "engine/battery/BatteryStatus.h"
#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/controller/Guarded.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/Strategie.h"
#include "shared/AtomicFile.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "shared/StatisticsSchema.h"
#include "shared/StatisticsStore.h"

namespace corvane {

namespace {

constexpr double kCriticalChargeFraction = 0.15;
constexpr double kMinimumSecondsBetweenRows = 30.0;
constexpr double kBusyRetryPauseSeconds = 1.0;
// A busy database (the app reading or purging it) is retried this often, one
// pause apart, before the reading is dropped.
constexpr int kMaximumBusyRetries = 3;
constexpr double kAlertDuration = 4.0;

constexpr std::string_view kInfoTitle = "Ampwise info";

// The values of one statistics row taken from a battery record: the text of
// each value, none where the key was missing (or the value has no text form).
struct Reading {
    std::array<std::optional<std::string>, 12> columns;
};

std::optional<std::string> textOf(const std::optional<plist::Value>& value) {
    return value ? value->text() : std::nullopt;
}

Reading readingOf(const BatteryStatus& status) {
    return Reading{{textOf(status.CurrentCapacity), textOf(status.DesignCapacity), textOf(status.MaxCapacity),
                    textOf(status.Temperature), textOf(status.TimeRemaining), textOf(status.InstantAmperage),
                    textOf(status.CycleCount), textOf(status.Amperage), textOf(status.Voltage),
                    textOf(status.UpdateTime), textOf(status.FullyCharged), textOf(status.IsCharging)}};
}

// Load times 100, to the nearest integer (0.5 rounds up).
std::int64_t hundredths(double load) {
    const double scaled = std::floor(load * 100.0 + 0.5);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e15) return 0;
    return static_cast<std::int64_t>(scaled);
}

std::array<std::int64_t, 3> loadAverages(platform::Platform& platform) {
    const std::optional<std::array<double, 3>> sample = platform.loadAverage().sample();
    if (!sample) return {0, 0, 0};
    return {hundredths((*sample)[0]), hundredths((*sample)[1]), hundredths((*sample)[2])};
}

// The charge fraction as the critical-level rule sees it. A zero maximum
// makes it infinite, which counts as charged enough; 0 over 0 leaves it
// undefined, which matches neither direction. A reading without a usable
// current charge (missing, or neither a number nor numeric text) is undefined
// as well: no data must never force the radios off.
enum class Charge { Critical, Sufficient, Undefined };

struct ChargeReading {
    Charge charge;
    double fraction;
};

std::optional<double> currentChargeOf(const std::optional<plist::Value>& value) {
    if (!value) return std::nullopt;
    if (value->isNumber()) return value->doubleValue();
    if (const std::string* text = value->asString()) {
        char* end = nullptr;
        std::strtod(text->c_str(), &end);
        if (end != text->c_str()) return value->doubleValue();
    }
    return std::nullopt;
}

ChargeReading chargeOf(const BatteryStatus& status) {
    constexpr ChargeReading kUndefined{Charge::Undefined, std::numeric_limits<double>::quiet_NaN()};
    const std::optional<double> current = currentChargeOf(status.CurrentCapacity);
    // The maximum is read with the usual conversions: missing or not a number is 0.
    const double maximum = status.MaxCapacity ? status.MaxCapacity->doubleValue() : 0.0;
    if (!current || std::isnan(*current) || std::isnan(maximum)) return kUndefined;
    if (maximum == 0.0) {
        if (*current == 0.0) return kUndefined;
        return {Charge::Sufficient, std::copysign(std::numeric_limits<double>::infinity(), *current)};
    }
    const double fraction = *current / maximum;
    if (std::isnan(fraction)) return kUndefined;
    if (std::isinf(fraction)) return {Charge::Sufficient, fraction};
    return {fraction < kCriticalChargeFraction ? Charge::Critical : Charge::Sufficient, fraction};
}

}  // namespace

// The rules work on the engine's strategies, radios-off date, timers and
// statistics connection.
struct Corvane::StatisticsRules {
    // Whether the database can take a row now: Unavailable when it is busy
    // or the disk failed (full, I/O error), to be tried again later.
    enum class Readiness { Ready, Unavailable, Failed };

    static void applyCriticalLevelRule(Corvane& engine, const BatteryStatus& status);
    static void backgroundCheck(Corvane& engine);
    static void saveReading(Corvane& engine, const Reading& reading, int busyRetriesLeft);
    static Readiness openDatabase(Corvane& engine);
    static Readiness createDatabase(Corvane& engine, const std::filesystem::path& database);
    static void closeDatabase(Corvane& engine);
    static void retryLater(Corvane& engine, const Reading& reading, int busyRetriesLeft);
};

void Corvane::StatisticsRules::applyCriticalLevelRule(Corvane& engine, const BatteryStatus& status) {
    const ChargeReading reading = chargeOf(status);
    const Strategie& current = *engine.strategy;
    const bool temporaryUltimate =
        current.strategy == kStrategyUltimate && engine.baseStrategy && engine.strategy != engine.baseStrategy;

    if (current.enableNoRadioAtCriticalLevel && reading.charge == Charge::Critical &&
        current.strategy != kStrategyUltimate) {
        CORVANE_DEBUG("Switching to Ultimate mode: charge is %0.2f%%", reading.fraction * 100.0);
        const bool switchOffNow = !engine.isDimmed();
        // The radios on now are saved first (unless they are off already, or
        // a temporary strategy is in force), so that the charge coming back
        // restores them.
        if (switchOffNow && !engine.lastTurnOff) engine.memorizeStates();
        engine.strategy = Strategie::strategyFromEnum(kStrategyUltimate);
        engine.strategyDidChanged();
        if (switchOffNow) {
            engine.showUltimateWarning();
            engine.switchAllOFF();
        }
    } else if (temporaryUltimate && reading.charge == Charge::Sufficient) {
        const std::string restoredName = engine.baseStrategy->name();
        CORVANE_DEBUG("Switching from Ultimate mode to %s : charge is %0.2f%%", restoredName.c_str(),
                      reading.fraction * 100.0);
        engine.strategy = engine.baseStrategy;  // the temporary Ultimate goes with its last reference
        engine.strategyDidChanged();
        if (!engine.isDimmed()) {
            engine.alertUser("Back to " + restoredName + " mode", kInfoTitle, kAlertDuration);
            engine.restoreStates();
        }
    }
}

// While the screen is off, a battery event is also a chance to wake the
// radios in background or to switch them off again.
void Corvane::StatisticsRules::backgroundCheck(Corvane& engine) {
    if (!engine.isScreenDimmed()) return;
    if (engine.shouldIWakeRadiosNow()) {
        engine.wakeRadiosInBackgroundIfNeeded();
    } else {
        engine.switchAllOffInBackground();
    }
}

namespace {

enum class InsertResult { Done, Unavailable, Failed };

// A busy database and a failing disk are tried again; anything else (the
// table gone, the file no database) is checked again at the next reading.
InsertResult failedInsert(const Outcome& failure) {
    if (statistics::isTransient(failure.reason())) return InsertResult::Unavailable;
    CORVANE_DEBUG("Failed to add stat in DB cause %d", failure.reason().value());
    return InsertResult::Failed;
}

InsertResult insertRow(statistics::Store& database, statistics::Statement& insert, const Reading& reading,
                       const std::array<std::int64_t, 3>& loads, Outcome& failure) {
    if (!insert.isPrepared()) {
        if (failure = database.prepare(statistics::kInsertStatement, insert); !failure) return failedInsert(failure);
    }
    int index = 1;
    for (const std::optional<std::string>& column : reading.columns) {
        failure = column ? insert.bind(index, *column) : insert.bindNull(index);
        if (!failure) return failedInsert(failure);
        ++index;
    }
    for (std::int64_t load : loads) insert.bind(index++, load);

    failure = insert.run();
    insert.reset();
    return failure ? InsertResult::Done : failedInsert(failure);
}

// Checks an existing database and gives it its table and index when they are
// missing (a file left empty by a kill at the wrong moment). A busy database
// (the app purging it) or a failing disk is not judged now; a file that fails
// the quick check, or is no database at all, is broken.
statistics::Store::Health checkDatabase(statistics::Store& store) {
    std::string detail;
    const statistics::Store::Health health = store.check(detail);
    if (health != statistics::Store::Health::Usable) CORVANE_DEBUG("Statistics database check: %s", detail.c_str());
    return health;
}

// Moves what stands at the database's path aside; `what` names it for the log.
bool moveDatabaseAside(const std::filesystem::path& database, double now, std::string_view what) {
    const std::optional<std::filesystem::path> moved = statistics::moveDatabaseAside(database, now);
    if (!moved) {
        CORVANE_DEBUG("Statistics database %s is %.*s and could not be moved aside", database.c_str(),
                      static_cast<int>(what.size()), what.data());
        return false;
    }
    CORVANE_DEBUG("Statistics database %s is %.*s, moved aside to %s; starting a new one", database.c_str(),
                  static_cast<int>(what.size()), what.data(), moved->c_str());
    return true;
}

void logUnavailable(const std::filesystem::path& database, const Outcome& failure) {
    CORVANE_DEBUG("Statistics database %s is unavailable for now: %s", database.c_str(), failure.message().c_str());
}

}  // namespace

void Corvane::StatisticsRules::closeDatabase(Corvane& engine) {
    engine.statsInsert = statistics::Statement();
    if (engine.statsDB.isOpen()) engine.statsDB.emptyWriteAheadLog();
    engine.statsDB.close();
    engine.statsDB.verified = false;
}

// Keeps one connection open for the whole run: it is opened and checked at
// the first row, and again when the path no longer names the opened file
// (removed, replaced or moved aside by someone else).
Corvane::StatisticsRules::Readiness Corvane::StatisticsRules::openDatabase(Corvane& engine) {
    const std::filesystem::path database = paths::resolve(paths::kStatisticsDatabase);
    statistics::Store& store = engine.statsDB;
    if (store.isOpen() && store.verified && store.stillAt(database)) {
        // The change of journal waits for a moment without other connections.
        if (!store.usesWriteAheadLog()) store.useWriteAheadLog();
        return Readiness::Ready;
    }
    closeDatabase(engine);

    const double now = engine.platform_.clock().now().secondsSince1970;
    const statistics::FileKind kind = statistics::fileKindAt(database);
    if (kind == statistics::FileKind::Missing) return createDatabase(engine, database);
    if (kind != statistics::FileKind::Regular) {
        // A link, FIFO, device or directory is never opened: it could lead
        // out of the root or block the main thread.
        const std::string what = "a " + std::string(statistics::kindName(kind));
        if (!moveDatabaseAside(database, now, what)) return Readiness::Failed;
        return createDatabase(engine, database);
    }

    if (const Outcome opened = store.open(database, statistics::Store::Access::ReadWrite); !opened) {
        logUnavailable(database, opened);
        return statistics::isTransient(opened.reason()) ? Readiness::Unavailable : Readiness::Failed;
    }
    switch (checkDatabase(store)) {
        case statistics::Store::Health::Usable:
            if (const Outcome logged = store.useWriteAheadLog(); !logged)
                CORVANE_DEBUG("Statistics database keeps its rollback journal: %s", logged.message().c_str());
            store.verified = true;
            return Readiness::Ready;
        case statistics::Store::Health::Unavailable: closeDatabase(engine); return Readiness::Unavailable;
        case statistics::Store::Health::Broken: break;
    }
    closeDatabase(engine);
    if (!moveDatabaseAside(database, now, "broken")) return Readiness::Failed;
    return createDatabase(engine, database);
}

Corvane::StatisticsRules::Readiness Corvane::StatisticsRules::createDatabase(Corvane& engine,
                                                                             const std::filesystem::path& database) {
    CORVANE_DEBUG("Database does not exists, creating it at %s", database.c_str());
    platform::FileManager& files = engine.platform_.fileManager();
    const std::filesystem::path folder = paths::resolve(paths::kStatisticsFolder);
    if (!files.fileExists(folder) && !files.createDirectory(folder, true)) {
        CORVANE_DEBUG("Cannot create the statistics folder %s", folder.c_str());
    }
    statistics::Store& store = engine.statsDB;
    if (const Outcome opened = store.open(database, statistics::Store::Access::ReadWriteCreate); !opened) {
        CORVANE_DEBUG("Failed to open/create database %s: %s", database.c_str(), opened.message().c_str());
        // A full disk or a folder without rights is tried again later.
        return statistics::isTransient(opened.reason()) ? Readiness::Unavailable : Readiness::Failed;
    }
    for (std::string_view statement : {statistics::kCreateTableStatement, statistics::kCreateIndexStatement}) {
        if (const Outcome created = store.execute(statement); !created) {
            const bool table = statement == statistics::kCreateTableStatement;
            CORVANE_DEBUG(table ? "Failed to create table : %s" : "Failed to create index : %s",
                          store.lastMessage().c_str());
            // The new file is kept as it is; the next reading checks it again.
            if (statistics::isTransient(created.reason())) {
                closeDatabase(engine);
                return Readiness::Unavailable;
            }
        }
    }
    if (const Outcome logged = store.useWriteAheadLog(); !logged)
        CORVANE_DEBUG("Statistics database keeps its rollback journal: %s", logged.message().c_str());
    store.verified = true;
    return Readiness::Ready;
}

bool Corvane::createDatabaseIfNeeded() {
    return StatisticsRules::openDatabase(*this) == StatisticsRules::Readiness::Ready;
}

// A busy database or a failing disk: the save is repeated from the interval
// check after a pause on the main run loop (the main thread is never
// blocked), at most kMaximumBusyRetries times; then the reading is dropped.
void Corvane::StatisticsRules::retryLater(Corvane& engine, const Reading& reading, int busyRetriesLeft) {
    if (busyRetriesLeft > 0) {
        engine.timers_.busyRetryTimer = engine.hostPlatform().mainRunLoop().scheduleTimer(
            kBusyRetryPauseSeconds, false, guarded([&engine, reading, busyRetriesLeft] {
                engine.timers_.busyRetryTimer.reset();
                saveReading(engine, reading, busyRetriesLeft - 1);
            }));
        return;
    }
    CORVANE_DEBUG("Database still unavailable after %d retries, battery status dropped", kMaximumBusyRetries);
    // The radios must not depend on the database: the background check runs
    // as it would have after a successful retry.
    backgroundCheck(engine);
}

// From the interval check on: the row, then the background check.
void Corvane::StatisticsRules::saveReading(Corvane& engine, const Reading& reading, int busyRetriesLeft) {
    platform::Platform& platform = engine.hostPlatform();
    const platform::Date now = platform.clock().now();
    const double sinceLastSave = platform::secondsBetween(engine.lastDbSave, now);
    if (sinceLastSave < kMinimumSecondsBetweenRows) {
        CORVANE_DEBUG("Not saving battery status in db because %f interval since now = %f",
                      engine.lastDbSave.secondsSince1970, sinceLastSave);
        return;
    }
    switch (openDatabase(engine)) {
        case Readiness::Ready: break;
        case Readiness::Unavailable: retryLater(engine, reading, busyRetriesLeft); return;
        case Readiness::Failed: return;
    }

    const std::array<std::int64_t, 3> loads = loadAverages(platform);
    if (!engine.strategy || !engine.strategy->enableSaveStats) {
        backgroundCheck(engine);
        return;
    }

    Outcome failure;
    switch (insertRow(engine.statsDB, engine.statsInsert, reading, loads, failure)) {
        case InsertResult::Done:
            engine.lastDbSave = platform.clock().now();
            backgroundCheck(engine);
            return;
        case InsertResult::Unavailable:
            if (statistics::isBusy(failure.reason())) {
                CORVANE_DEBUG("Failed to add stat in DB cause SQLITE_BUSY");
            } else {
                CORVANE_DEBUG("Failed to add stat in DB cause %s, trying again later", failure.message().c_str());
            }
            retryLater(engine, reading, busyRetriesLeft);
            return;
        case InsertResult::Failed:
            // The reading is lost (already logged); the next one checks the
            // database again and repairs it if it must.
            closeDatabase(engine);
            return;
    }
}

void Corvane::storeBatteryStatusInDB(const BatteryStatus& status) {
    if (!strategy) return;
    StatisticsRules::applyCriticalLevelRule(*this, status);
    // A busy retry starts again at the interval check: the rule above has
    // already acted on this reading, and by the time of the retry a newer
    // reading may have been applied. A newer reading replaces one still
    // waiting for the database.
    if (timers_.busyRetryTimer) {
        timers_.busyRetryTimer->invalidate();
        timers_.busyRetryTimer.reset();
    }
    StatisticsRules::saveReading(*this, readingOf(status), kMaximumBusyRetries);
}

void Corvane::reloadData() {
    // Before anything is read: temporary files of writes that a crash or a
    // kill interrupted in an earlier run.
    for (std::string_view folder : {paths::kPreferencesFolder, paths::kStatisticsFolder}) {
        const std::filesystem::path resolved = paths::resolve(folder);
        if (const std::size_t removed = removeStaleTemporaryFiles(resolved))
            CORVANE_DEBUG("Removed %zu unfinished temporary files from %s", removed, resolved.c_str());
    }
    const std::filesystem::path path = paths::resolve(paths::kStatisticsPropertyList);
    std::optional<plist::Dictionary> stored;
    if (platform_.fileManager().fileExists(path)) {
        CORVANE_DEBUG("Loading pref file : %s", path.c_str());
        stored = plist::readDictionary(path);
        if (!stored) CORVANE_DEBUG("Pref file %s is unreadable, ignoring it", path.c_str());
    }

    if (stored) {
        const plist::Value* total = stored->find(statistics::kSavedRadioTimeSinceFirstUse);
        const double seconds = total ? total->doubleValue() : 0.0;
        savedRadioTimeSinceFirstUse = std::isfinite(seconds) ? seconds : 0.0;
        if (const plist::Value* edge = stored->find(statistics::kEdgeLastState)) {
            memorized_.edgeLastState = edge->boolValue();
        } else if (radiosLib) {
            memorized_.edgeLastState = radiosLib->isEdgeEnabled();
        }
        edge2WiFiManager->reloadStates(*stored);
    } else {
        savedRadioTimeSinceFirstUse = 0.0;
    }

    // The background WiFi monitor follows the strategy in force now.
    if (!strategy || !strategy->monitorWiFiInBackground) {
        if (timers_.backgroundWiFiMonitorTimer) timers_.backgroundWiFiMonitorTimer->invalidate();
        timers_.backgroundWiFiMonitorTimer.reset();
    } else if (!timers_.backgroundWiFiMonitorTimer) {
        const double interval = strategy->wakeIntervalMinutes * 60.0;
        if (!(interval > 0.0) || !std::isfinite(interval)) {
            CORVANE_DEBUG("Background WiFi monitor not started: interval %f is unusable", interval);
            return;
        }
        timers_.backgroundWiFiMonitorTimer = platform_.mainRunLoop().scheduleTimer(
            interval, true, guarded([this] { edge2WiFiManager->timerVerifyWiFiAndEdge(); }));
    }
}

void Corvane::persistData() {
    const std::filesystem::path path = paths::resolve(paths::kStatisticsPropertyList);
    platform::FileManager& files = platform_.fileManager();
    // Start from what is there, so that keys written by others survive.
    plist::Dictionary dictionary;
    if (files.fileExists(path)) {
        if (std::optional<plist::Dictionary> stored = plist::readDictionary(path)) dictionary = std::move(*stored);
    }
    dictionary.set(statistics::kLastSavedRadioTime, plist::Value(lastSavedRadioTime));
    dictionary.set(statistics::kSavedRadioTime, plist::Value(savedRadioTime));
    dictionary.set(statistics::kSavedRadioTimeSinceFirstUse, plist::Value(savedRadioTimeSinceFirstUse));
    edge2WiFiManager->persistData(dictionary);

    const std::filesystem::path folder = path.parent_path();
    if (!files.fileExists(folder)) files.createDirectory(folder, true);
    if (const Outcome written = platform::writePropertyList(files, path, plist::Value(std::move(dictionary)))) {
        CORVANE_DEBUG("Pref file %s saved", path.c_str());
    } else {
        CORVANE_DEBUG("Pref file %s COULD NOT be created: %s", path.c_str(), written.message().c_str());
    }
}

}  // namespace corvane
