#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/battery/BatteryStatus.h"
#include "shared/AtomicFile.h"
#include "shared/PropertyListFile.h"
#include "shared/StatisticsSchema.h"
#include "tests/support/HookedPhone.h"
#include "tests/support/StatisticsQueries.h"

namespace corvane::testing {
namespace {

using StatisticsTest = StartedEngineTest;

constexpr const char* kColumns =
    "CurrentCapacity, DesignCapacity, MaxCapacity, Temperature, TimeRemaining, InstantAmperage, CycleCount, "
    "Amperage, Voltage, UpdateTime, FullyCharged, IsCharging, LoadAvg1, LoadAvg5, LoadAvg15";

// The entries moved aside from the database's place, each with what it is.
std::vector<std::string> asideKinds() {
    std::vector<std::string> kinds;
    for (const auto& entry : std::filesystem::directory_iterator(databasePath().parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("stats.db.unreadable-", 0) != 0 || name.ends_with("-wal") || name.ends_with("-shm")) continue;
        const auto status = entry.symlink_status();
        kinds.push_back(std::filesystem::is_symlink(status)     ? "link"
                        : std::filesystem::is_fifo(status)      ? "fifo"
                        : std::filesystem::is_directory(status) ? "directory"
                                                                : "file");
    }
    std::sort(kinds.begin(), kinds.end());
    return kinds;
}

// Takes the database away from under the engine, with its companion files.
void removeDatabase() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(databasePath().string() + suffix);
}

std::vector<std::string> alertTexts(sim::PhoneHost& host) {
    std::vector<std::string> texts;
    for (const sim::AlertRecord& alert : host.alerts().alerts()) texts.push_back(alert.title + ": " + alert.message);
    return texts;
}

TEST_F(StatisticsTest, OneRowPer30SecondsAndTheCriticalRuleOnEveryEvent) {
    useStrategy(kStrategyAggressive);
    // An event every 10 s for two minutes, the charge alternating between
    // critical and sufficient.
    for (int second = 10; second <= 120; second += 10) {
        advance(10);
        const bool critical = (second / 10) % 2 == 1;
        plist::Dictionary dictionary = batteryReading(critical ? 10 : 50, 100);
        dictionary.set(battery::kUpdateTime, plist::Value(second));
        battery(dictionary);
        EXPECT_EQ(engine()->currentStrategy()->strategy, critical ? kStrategyUltimate : kStrategyAggressive) << second;
        EXPECT_EQ(engine()->userStrategy()->strategy, kStrategyAggressive);
    }
    // Exactly 30 seconds after start-up passes, then every 30 seconds.
    std::vector<std::string> times;
    for (const auto& row : query("SELECT UpdateTime FROM BATTERY_STATUS ORDER BY ID")) times.push_back(*row[0].text);
    EXPECT_EQ(times, (std::vector<std::string>{"30", "60", "90", "120"}));

    EXPECT_EQ(alertTexts(*host).size(), 12u) << "every switch is announced";
}

TEST_F(StatisticsTest, CriticalLevelSwitchesRadiosAndRespectsDimmedScreenAndUserUltimate) {
    phoneState([](sim::PhoneState& s) { s.wifiEnabled = true; });
    useStrategy(kStrategyAggressive);
    battery(14, 100);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyUltimate);
    EXPECT_FALSE(state().wifiEnabled) << "all radios go off at once";
    advance(5);  // the alert closes itself after 4 seconds
    battery(15, 100);
    EXPECT_EQ(engine()->currentStrategy(), engine()->userStrategy());
    advance(5);
    EXPECT_EQ(alertTexts(*host), (std::vector<std::string>{"Ampwise warning: Switching to Ultimate mode",
                                                           "Ampwise info: Back to Aggressive mode"}));

    // The user's own Ultimate is never switched back, and no rule applies
    // while the current strategy does not manage the critical level.
    useStrategy(kStrategyUltimate);
    battery(90, 100);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyUltimate);
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableNoRadioAtCriticalLevel = false; });
    battery(1, 100);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);

    // A dimmed screen: the strategy switches, silently and without radio moves.
    sim::PhoneOptions options;
    options.homeScreen.awayControllerPresent = true;
    startPhone(options);
    restartEngine();
    phoneState([](sim::PhoneState& s) { s.dimmed = true; });
    useStrategy(kStrategyAggressive);
    const std::size_t changesBefore = host->phone().radioChanges().size();
    battery(5, 100);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyUltimate);
    battery(80, 100);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);
    EXPECT_TRUE(host->alerts().alerts().empty());
    EXPECT_EQ(host->phone().radioChanges().size(), changesBefore);
}

TEST_F(StatisticsTest, ZeroMissingOrWrongTypedCapacitiesNeverSwitchWrongly) {
    useStrategy(kStrategyAggressive);
    const plist::Dictionary undefinedOrInfinite[] = {
        batteryReading(0, 0),                              // undefined
        batteryReading(10, 0),                             // infinite: counts as enough
        batteryReading(-5, 0),                             // infinite too, whatever its sign
        plist::Dictionary{{"CurrentCapacity", 10}},        // no maximum: infinite
        plist::Dictionary{{"MaxCapacity", 100}},           // no charge: undefined
        plist::Dictionary{},                               // nothing at all
        batteryReading(plist::Dictionary{{"x", 1}}, 100),  // not a number
        batteryReading(plist::Date{1.0}, 100),             // not a number
        batteryReading("abc", 100),                        // text without a number
        batteryReading(0, "abc"),                          // 0 over 0
    };
    for (const plist::Dictionary& dictionary : undefinedOrInfinite) {
        battery(dictionary);
        EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);
    }
    // Numeric text converts as numbers do.
    battery("10", "100");
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyUltimate);

    // On the temporary Ultimate an undefined fraction stays, an infinite one returns.
    battery(0, 0);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyUltimate);
    battery(plist::Dictionary{{"CurrentCapacity", 10}});
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);

    // The rows of such readings are stored all the same.
    advance(30);
    battery(plist::Array{plist::Value(1)}, plist::Date{5.0});
    const auto rows = query("SELECT CurrentCapacity, MaxCapacity FROM BATTERY_STATUS");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].type, "null");
    EXPECT_EQ(rows[0][1].type, "null");
}

TEST_F(StatisticsTest, RowHoldsTheTextOfEachValueBoundAsParameters) {
    useStrategy(kStrategyNormal);
    phoneState([](sim::PhoneState& s) { s.loadAverages = std::array<double, 3>{0.004, 0.005, 1.234}; });
    const std::string injection = "1); DROP TABLE BATTERY_STATUS; --";
    const std::string quote = "'); DELETE FROM BATTERY_STATUS; --";
    plist::Dictionary hostile;
    for (std::string_view key :
         {battery::kCurrentCapacity, battery::kDesignCapacity, battery::kMaxCapacity, battery::kTemperature,
          battery::kTimeRemaining, battery::kInstantAmperage, battery::kCycleCount, battery::kAmperage,
          battery::kVoltage, battery::kUpdateTime, battery::kFullyCharged, battery::kIsCharging}) {
        hostile.set(key, plist::Value(key == battery::kVoltage ? quote : injection));
    }
    advance(30);
    battery(hostile);
    advance(30);
    const plist::Dictionary plain{{"CurrentCapacity", 1520}, {"MaxCapacity", 1600},     {"DesignCapacity", 1810},
                                  {"Temperature", 2950},     {"InstantAmperage", -312}, {"CycleCount", 211},
                                  {"Amperage", 3.5},         {"Voltage", 4012},         {"UpdateTime", 1800000060},
                                  {"FullyCharged", true},    {"IsCharging", false}};
    battery(plain);

    const auto rows = query(std::string("SELECT ") + kColumns + " FROM BATTERY_STATUS ORDER BY ID");
    ASSERT_EQ(rows.size(), 2u) << "the table survives and holds both rows";
    for (std::size_t column = 0; column < 12; ++column) {
        EXPECT_EQ(rows[0][column].type, "text");
        EXPECT_EQ(*rows[0][column].text, column == 8 ? quote : injection);
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"integer", "1520"}, {"integer", "1810"}, {"integer", "1600"}, {"integer", "2950"}, {"null", ""},
        {"integer", "-312"}, {"integer", "211"},  {"real", "3.5"},     {"integer", "4012"}, {"integer", "1800000060"},
        {"text", "1"},       {"text", "0"},       {"integer", "0"},    {"integer", "1"},    {"integer", "123"}};
    for (std::size_t column = 0; column < expected.size(); ++column) {
        EXPECT_EQ(rows[1][column].type, expected[column].first) << column;
        EXPECT_EQ(rows[1][column].text.value_or(""), expected[column].second) << column;
    }
}

TEST_F(StatisticsTest, BusyDatabaseIsRetriedAFewTimesThenTheReadingDropped) {
    useStrategy(kStrategyNormal);
    advance(30);
    battery(80, 100);
    ASSERT_EQ(rowCount(), 1u);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "INSERT INTO BATTERY_STATUS (UpdateTime) VALUES (7)", nullptr, nullptr, nullptr),
              SQLITE_OK);

    advance(30);
    battery(70, 100);
    advance(64);
    EXPECT_EQ(logCount("SQLITE_BUSY"), 4u) << "three retries, then the reading is dropped";

    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(query("PRAGMA integrity_check")[0][0].text, "ok");
    EXPECT_EQ(rowCount(), 2u);

    // The engine goes on: the next reading is stored.
    battery(60, 100);
    EXPECT_EQ(rowCount(), 3u);

    // A lock released between two attempts: the retry stores the reading.
    advance(30);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    battery(50, 100);
    ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(rowCount(), 3u);
    advance(1);
    EXPECT_EQ(rowCount(), 4u);

    // A newer reading replaces one still waiting: only the newer is stored.
    advance(30);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    battery(40, 100);
    ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    battery(39, 100);
    advance(5);
    EXPECT_EQ(rowCount(), 5u);
    EXPECT_EQ(query("SELECT CurrentCapacity FROM BATTERY_STATUS ORDER BY ID DESC LIMIT 1")[0][0].text, "39");
    sqlite3_close(other);
}

// The copies of the database moved aside as unreadable.
std::vector<std::string> asideCopies() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(databasePath().parent_path()))
        if (const std::string name = entry.path().filename().string();
            name.rfind("stats.db.unreadable-", 0) == 0 && !name.ends_with("-wal") && !name.ends_with("-shm"))
            names.push_back(name);
    return names;
}

TEST_F(StatisticsTest, ADatabaseBusyWhenFirstCheckedStaysInPlaceWithItsRows) {
    useStrategy(kStrategyNormal);
    std::filesystem::create_directories(databasePath().parent_path());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &other), SQLITE_OK);
    const std::string create(statistics::kCreateTableStatement);
    ASSERT_EQ(sqlite3_exec(other, create.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "INSERT INTO BATTERY_STATUS (UpdateTime) VALUES (7)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    advance(30);
    battery(80, 100);
    advance(64);
    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    advance(30);
    battery(70, 100);
    EXPECT_TRUE(asideCopies().empty());
    EXPECT_EQ(rowCount(), 2u) << "the row written before and the new reading";
}

TEST_F(StatisticsTest, AnEmptyTablelessOrBrokenDatabaseRepairsItself) {
    useStrategy(kStrategyNormal);
    // Left empty by a kill: the table is created and the reading stored.
    std::filesystem::create_directories(databasePath().parent_path());
    std::ofstream(databasePath()).close();
    advance(30);
    battery(80, 100);
    EXPECT_EQ(rowCount(), 1u);

    // The table dropped while the engine runs: one reading fails, the next
    // one finds the table again.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DROP TABLE BATTERY_STATUS", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    advance(30);
    battery(70, 100);
    advance(30);
    battery(60, 100);
    EXPECT_EQ(rowCount(), 1u);

    // Not a database at all: moved aside, whole, and a new one started at
    // the first reading after the file was replaced.
    const std::string junk(4096, 'x');
    ASSERT_TRUE(writeFileAtomically(databasePath(), junk));
    advance(30);
    battery(50, 100);
    advance(30);
    battery(40, 100);
    EXPECT_EQ(rowCount(), 2u);
    EXPECT_EQ(query("PRAGMA integrity_check")[0][0].text, "ok");
    const std::vector<std::string> aside = asideCopies();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readWholeFile(databasePath().parent_path() / aside[0]), junk);
    EXPECT_EQ(logCount("moved aside"), 1u);
}

TEST_F(StatisticsTest, ALinkFifoOrFolderInTheDatabasesPlaceIsMovedAsideNeverFollowedOrWaitedOn) {
    useStrategy(kStrategyNormal);
    advance(30);
    battery(80, 100);
    ASSERT_EQ(rowCount(), 1u);

    // A FIFO put there while the engine runs: reading it would wait for a
    // writer for ever. It is moved aside and a new database takes the row.
    removeDatabase();
    ASSERT_EQ(::mkfifo(databasePath().c_str(), 0600), 0);
    advance(30);
    battery(70, 100);
    EXPECT_EQ(rowCount(), 1u);
    EXPECT_EQ(asideKinds(), (std::vector<std::string>{"fifo"}));
    EXPECT_EQ(logCount("is a FIFO, moved aside"), 1u);

    // A folder, with what it holds.
    removeDatabase();
    std::filesystem::create_directories(databasePath() / "inside");
    advance(30);
    battery(60, 100);
    EXPECT_EQ(rowCount(), 1u);
    EXPECT_EQ(asideKinds(), (std::vector<std::string>{"directory", "fifo"}));

    // A link to a database outside the statistics folder: never written
    // through, nor its journal put beside its target.
    const std::filesystem::path outside = root.path() / "elsewhere.db";
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(outside.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, std::string(statistics::kCreateTableStatement).c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    removeDatabase();
    std::filesystem::create_symlink(outside, databasePath());
    advance(30);
    battery(50, 100);
    advance(30);
    battery(40, 100);
    EXPECT_EQ(rowCount(), 2u);
    EXPECT_EQ(asideKinds(), (std::vector<std::string>{"directory", "fifo", "link"}));
    ASSERT_EQ(sqlite3_open(outside.c_str(), &other), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT COUNT(*) FROM BATTERY_STATUS", -1, &count, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 0);
    sqlite3_finalize(count);
    sqlite3_close(other);
    for (const char* suffix : {"-journal", "-wal"})
        EXPECT_FALSE(std::filesystem::exists(outside.string() + suffix)) << suffix;
}

TEST_F(StatisticsTest, AFullDiskNeverMovesTheDatabaseAsideAndRowsResumeWithSpace) {
    useStrategy(kStrategyNormal);
    sim::EngineIoMeter& disk = host->phone().ioMeter();
    // No database yet: none can be made on a full disk, reading after reading.
    disk.setDiskFull(true);
    for (int reading = 0; reading < 10; ++reading) {
        advance(30);
        battery(80, 100);
    }
    advance(10);
    EXPECT_EQ(rowCount(), 0u);
    EXPECT_EQ(asideKinds(), std::vector<std::string>{});
    disk.setDiskFull(false);
    advance(30);
    battery(79, 100);
    EXPECT_EQ(rowCount(), 1u);

    // The disk fills up later: the rows wait, the database stays whole and
    // in place, and a reading retried once space is back is stored.
    disk.setDiskFull(true);
    for (int reading = 0; reading < 10; ++reading) {
        advance(30);
        battery(78, 100);
    }
    advance(10);
    EXPECT_EQ(rowCount(), 1u);
    EXPECT_EQ(asideKinds(), std::vector<std::string>{});
    EXPECT_GE(logCount("database or disk is full"), 10u);
    advance(30);
    battery(77, 100);
    disk.setDiskFull(false);
    advance(1);
    EXPECT_EQ(rowCount(), 2u);
    EXPECT_EQ(query("PRAGMA integrity_check")[0][0].text, "ok");
}

TEST_F(StatisticsTest, BackgroundCheckRunsOnlyWithASavedRowWhileTheScreenIsOff) {
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enabledAllRadiosInBackground = true; });
    host->homeScreen().lock();
    const auto wakeInBackground = [this] {  // the power event past the wake interval
        advance(5 + 30 * 60 + 1);
        host->power().postMessage(platform::kIOMessageSystemWillPowerOn);
        host->loop().runPending();
        ASSERT_TRUE(state().locationServices);
    };
    wakeInBackground();
    // Radios on in background long enough: a stored row is followed by the switch-off.
    advance(150);
    battery(80, 100);
    EXPECT_FALSE(state().locationServices);
    // The next event within the row interval does no check; nor one with the screen on.
    wakeInBackground();
    advance(100);
    battery(80, 100);  // a row, too early for the switch-off
    const std::size_t rows = rowCount();
    advance(25);
    battery(80, 100);
    phoneState([](sim::PhoneState& s) { s.screenOff = false; });
    advance(30);
    battery(80, 100);
    // Statistics saving off: no row and no check, even with the screen off.
    phoneState([](sim::PhoneState& s) { s.screenOff = true; });
    useStrategy(kStrategyAggressive, [](Strategie& s) {
        s.enabledAllRadiosInBackground = true;
        s.enableSaveStats = false;
    });
    advance(30);
    battery(80, 100);
    EXPECT_TRUE(state().locationServices);
    EXPECT_EQ(rowCount(), rows + 1);
}

TEST_F(StatisticsTest, CountersAndFlagsSurviveARestartAndForeignKeysSurvivePersist) {
    const std::filesystem::path file = paths::resolve(paths::kStatisticsPropertyList);
    // What the engine holds, saved over a file that has only a foreign key.
    const auto persisted = [&](std::string_view key) {
        EXPECT_TRUE(plist::writeFile(file, plist::Dictionary{{"org.other.tool", "kept"}}));
        engine()->persistData();
        const plist::Dictionary written = plist::readDictionary(file).value_or(plist::Dictionary{});
        EXPECT_TRUE(written.contains("org.other.tool"));
        return written.find(key) ? *written.find(key) : plist::Value("missing");
    };
    for (const bool flag : {true, false}) {  // a number written as text counts as that number
        const plist::Value total = flag ? plist::Value(100.0) : plist::Value("12.5");
        writeFile(paths::kStatisticsPropertyList,
                  {{"savedRadioTimeSinceFirstUse", total}, {"edgeDesactivatedByMyself", flag}});
        restartEngine();
        EXPECT_EQ(persisted("savedRadioTimeSinceFirstUse"), plist::Value(flag ? 100.0 : 12.5));
        EXPECT_EQ(persisted("edgeDesactivatedByMyself"), plist::Value(flag));
    }
    // "edgeLastState" from the file, else the phone's cellular data at start:
    // a restore brings cellular data back to it.
    for (const bool stored : {true, false}) {
        phoneState([&](sim::PhoneState& s) { s.cellularData = !stored; });
        writeFile(paths::kStatisticsPropertyList,
                  stored ? plist::Dictionary{{"edgeLastState", true}} : plist::Dictionary{});
        restartEngine();
        useStrategy(kStrategyIMessage);
        phoneState([](sim::PhoneState& s) { s.cellularData = false; });
        engine()->restoreStates();
        EXPECT_TRUE(state().cellularData) << stored;
    }
    // An unreadable file counts as absent and is replaced by a whole one.
    std::ofstream(file) << "<plist><dict><key>savedRadio";
    restartEngine();
    engine()->persistData();
    EXPECT_TRUE(plist::readDictionary(file).has_value());
    EXPECT_EQ(persisted("savedRadioTimeSinceFirstUse"), plist::Value(0.0));
}

}  // namespace
}  // namespace corvane::testing
