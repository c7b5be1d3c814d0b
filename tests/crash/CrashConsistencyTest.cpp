// Writers killed with SIGKILL at random moments, and two writers of the
// settings file at once: every file stays whole, holding the old or the new
// content, the database stays sound, the next start leaves no temporary
// file, and no key is lost between the engine and the app.
//
// Counts are small by default; CORVANE_CRASH_KILLS and CORVANE_WRITER_KEYS
// ask for long runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/model/PlistController.h"
#include "engine/controller/Corvane.h"
#include "engine/hooks/SpringBoardHooks.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "sim/PhoneHost.h"
#include "tests/support/EngineTestAccess.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

int countFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// The engine on a simulated phone, started as the home screen starts it.
class RunningEngine {
public:
    RunningEngine() : host_(std::make_unique<sim::PhoneHost>()) {
        SpringBoardHooks::install(*host_);
        host_->homeScreen().finishLaunching();
        Corvane::sharedEngine()->postPostInit();
        app::PlistController::resetSharedInstance();
        app::PlistController::sharedInstance();  // the app starts too
    }
    ~RunningEngine() { ProcessState::reset(); }
    Corvane& engine() { return *Corvane::sharedEngine(); }
    sim::PhoneHost& host() { return *host_; }

private:
    std::unique_ptr<sim::PhoneHost> host_;
};

std::optional<std::int64_t> counterIn(std::string_view phonePath, std::string_view key) {
    const std::optional<plist::Dictionary> read = plist::readDictionary(paths::resolve(phonePath));
    const plist::Value* value = read ? read->find(key) : nullptr;
    if (value == nullptr) return std::nullopt;
    return value->integerValue();
}

std::vector<std::string> temporaryFiles() {
    std::vector<std::string> found;
    for (std::string_view folder : {paths::kPreferencesFolder, paths::kStatisticsFolder}) {
        for (const auto& entry : fs::directory_iterator(paths::resolve(folder)))
            if (entry.path().filename().string().find(".corvane-") != std::string::npos)
                found.push_back(entry.path().string());
    }
    return found;
}

// Runs the writer in a child process until killed: each round writes the
// settings key, the list file, a battery reading (its row and the
// last-battery-state file) and the statistics property list, all with the
// round's number, then reports the round on the pipe.
[[noreturn]] void writeRoundsUntilKilled(int progress, std::int64_t first) {
    RunningEngine phone;
    for (std::int64_t round = first;; ++round) {
        app::PlistController::sharedInstance()._saveValueToFile("", "Round", plist::Value(round));
        plist::writeFile(paths::resolve(paths::kShutdownList), plist::Value(plist::Dictionary{{"Round", round}}));
        phone.host().loop().advance(30);
        const plist::Dictionary reading{{"CurrentCapacity", 80}, {"MaxCapacity", 100}, {"UpdateTime", round}};
        phone.engine().batteryStateChanged(&reading);
        Corvane::TestAccess{phone.engine()}.savedRadioTimeSinceFirstUse() = static_cast<double>(round);
        phone.engine().persistData();
        if (::write(progress, &round, sizeof round) != sizeof round) ::_exit(1);
    }
}

// The first column of the query's first row, as text. Opened for writing: a
// writer killed inside a transaction leaves a journal only a writer rolls back.
std::string databaseCheck(const char* sql) {
    sqlite3* database = nullptr;
    std::string result = "(no database)";
    if (sqlite3_open_v2(paths::resolve(paths::kStatisticsDatabase).c_str(), &database, SQLITE_OPEN_READWRITE,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            result = text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return result;
}

TEST(CrashConsistencyTest, KilledWritersLeaveOldOrNewFilesASoundDatabaseAndNoTemporaryFile) {
    TemporaryRoot root;
    fs::create_directories(paths::resolve(paths::kStatisticsFolder));
    ASSERT_TRUE(plist::writeFile(paths::resolve(paths::kSettings), plist::Value(plist::Dictionary{{"Round", 0}})));
    const int kills = countFromEnvironment("CORVANE_CRASH_KILLS", 25);
    std::mt19937 random(20261207);
    std::int64_t next = 1;
    for (int kill = 0; kill < kills; ++kill) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            ::close(pipeEnds[0]);
            writeRoundsUntilKilled(pipeEnds[1], next);
        }
        ::close(pipeEnds[1]);
        // Killed after a random number of rounds, somewhere inside the next.
        std::int64_t done = next - 1;
        for (int rounds = std::uniform_int_distribution<int>(1, 4)(random); rounds > 0; --rounds)
            ASSERT_EQ(::read(pipeEnds[0], &done, sizeof done), static_cast<ssize_t>(sizeof done));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        while (::read(pipeEnds[0], &done, sizeof done) == sizeof done) {
        }
        ::close(pipeEnds[0]);

        const auto oldOrNew = [done](std::optional<std::int64_t> value) {
            return value && (*value == done || *value == done + 1);
        };
        EXPECT_TRUE(oldOrNew(counterIn(paths::kSettings, "Round"))) << "kill " << kill << ", round " << done;
        EXPECT_TRUE(oldOrNew(counterIn(paths::kShutdownList, "Round"))) << kill;
        // The last battery state may lag one report behind: a report that
        // changes only its readings waits for the next one.
        const std::optional<std::int64_t> lastState = counterIn(paths::kLastBatteryState, "UpdateTime");
        EXPECT_TRUE(oldOrNew(lastState) || lastState == done - 1) << kill;
        EXPECT_TRUE(oldOrNew(counterIn(paths::kStatisticsPropertyList, "savedRadioTimeSinceFirstUse"))) << kill;
        EXPECT_EQ(databaseCheck("PRAGMA integrity_check"), "ok") << kill;
        const std::string newestRow = databaseCheck("SELECT MAX(UpdateTime) FROM BATTERY_STATUS");
        EXPECT_TRUE(newestRow == std::to_string(done) || newestRow == std::to_string(done + 1)) << newestRow;
        {
            RunningEngine nextStart;
            EXPECT_EQ(temporaryFiles(), std::vector<std::string>{}) << kill;
        }
        next = done + 2;  // the next writer's values never equal an interrupted one's
    }
}

TEST(CrashConsistencyTest, EngineAndAppWritingKeysAtOnceLoseNone) {
    TemporaryRoot root;
    fs::create_directories(paths::resolve(paths::kPreferencesFolder));
    ASSERT_TRUE(plist::writeFile(paths::resolve(paths::kSettings), plist::Value(plist::Dictionary{{"Strategy", 2}})));
    const int keys = countFromEnvironment("CORVANE_WRITER_KEYS", 150);
    int startLine[2];
    ASSERT_EQ(::pipe(startLine), 0);
    const auto spawn = [&](bool engineSide) {
        const pid_t child = ::fork();
        if (child != 0) return child;
        ::close(startLine[1]);
        RunningEngine phone;
        char go = 0;
        if (::read(startLine[0], &go, 1) != 0) ::_exit(1);  // both start when the line closes
        for (int i = 0; i < keys; ++i) {
            const std::string key = (engineSide ? "Engine" : "App") + std::to_string(i);
            if (engineSide)
                phone.engine().saveValueToFile(paths::kSettings, key, plist::Value(i));
            else
                app::PlistController::sharedInstance()._saveValueToFile("", key, plist::Value(i));
        }
        ::_exit(0);
    };
    const pid_t engineWriter = spawn(true);
    const pid_t appWriter = spawn(false);
    ::close(startLine[0]);
    ::close(startLine[1]);
    int engineStatus = -1, appStatus = -1;
    ::waitpid(engineWriter, &engineStatus, 0);
    ::waitpid(appWriter, &appStatus, 0);
    ASSERT_EQ(engineStatus, 0);
    ASSERT_EQ(appStatus, 0);

    const std::optional<plist::Dictionary> settings = plist::readDictionary(paths::resolve(paths::kSettings));
    ASSERT_TRUE(settings.has_value());
    int lost = 0;
    for (int i = 0; i < keys; ++i) {
        for (const char* side : {"Engine", "App"}) {
            const plist::Value* value = settings->find(side + std::to_string(i));
            if (value == nullptr || value->integerValue() != i) ++lost;
        }
    }
    EXPECT_EQ(lost, 0) << "of " << 2 * keys << " keys";
    EXPECT_TRUE(settings->contains("Strategy"));
}

}  // namespace
}  // namespace corvane::testing
