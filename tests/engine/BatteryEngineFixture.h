#pragma once
// An engine on a fresh simulated phone under a fresh filesystem root, past
// its deferred start-up, with helpers for battery events and for reading the
// statistics database back.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/platform/HostPlatform.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "tests/support/TemporaryRoot.h"
#include "sim/PhoneHost.h"

namespace corvane::testing {

// One column of a row read back: its storage class and its text.
struct StoredValue {
    std::string type;  // "integer", "real", "text", "null"
    std::optional<std::string> text;
};

class BatteryEngineTest : public ::testing::Test {
protected:
    void SetUp() override { startPhone(); }

    void TearDown() override {
        engine.reset();
        platform::HostPlatform::install(nullptr);
        host.reset();
        CommonToAllStrategies::sharedInstance().resetToCreationValues();
        DebugLog::setDebugEnabled(true);
    }

    void startPhone(sim::PhoneOptions options = {}) {
        engine.reset();
        host = std::make_unique<sim::PhoneHost>(std::move(options));
        platform::HostPlatform::install(host.get());
        startEngine();
    }

    // A new engine on the same phone and files, as after a restart of the host.
    void startEngine() {
        engine.reset();
        engine = std::make_unique<Corvane>(*host);
        engine->postInit();
        engine->postPostInit();
        DebugLog::setDebugEnabled(true);
    }

    // Puts a new strategy of the given number in force as the user's own.
    void useStrategy(std::int32_t number, const std::function<void(Strategie&)>& adjust = {}) {
        std::shared_ptr<Strategie> chosen = Strategie::strategyFromEnum(number);
        if (adjust) adjust(*chosen);
        engine->baseStrategy = chosen;
        engine->strategy = chosen;
        engine->strategyDidChanged();
    }

    static plist::Dictionary reading(plist::Value current, plist::Value maximum) {
        return plist::Dictionary{{std::string(battery::kCurrentCapacity), std::move(current)},
                                 {std::string(battery::kMaxCapacity), std::move(maximum)}};
    }

    void event(const plist::Dictionary& dictionary) { engine->batteryStateChanged(&dictionary); }

    void advance(double seconds) { host->loop().advance(seconds); }

    std::size_t logCount(std::string_view fragment) const {
        std::size_t count = 0;
        for (const std::string& line : host->log().lines()) count += line.find(fragment) != std::string::npos;
        return count;
    }

    static std::filesystem::path databasePath() { return paths::resolve(paths::kStatisticsDatabase); }

    // Every row of the query, each column with its storage class; empty when
    // the database cannot be read.
    static std::vector<std::vector<StoredValue>> query(const std::string& sql) {
        std::vector<std::vector<StoredValue>> rows;
        sqlite3* database = nullptr;
        if (sqlite3_open_v2(databasePath().c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
                while (sqlite3_step(statement) == SQLITE_ROW) {
                    std::vector<StoredValue> row;
                    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                        static constexpr const char* kTypes[] = {"", "integer", "real", "text", "blob", "null"};
                        StoredValue value{kTypes[sqlite3_column_type(statement, column)], std::nullopt};
                        if (const unsigned char* text = sqlite3_column_text(statement, column)) {
                            value.text = reinterpret_cast<const char*>(text);
                        }
                        row.push_back(std::move(value));
                    }
                    rows.push_back(std::move(row));
                }
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(database);
        return rows;
    }

    static std::size_t rowCount() { return query("SELECT ID FROM BATTERY_STATUS").size(); }

    TemporaryRoot root;
    std::unique_ptr<sim::PhoneHost> host;
    std::unique_ptr<Corvane> engine;
};

}  // namespace corvane::testing
