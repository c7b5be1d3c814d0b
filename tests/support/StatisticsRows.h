#pragma once
// Writes a statistics database as the engine creates it (its own schema and
// insert statement), one row per given time, with values derived from the
// time so that each column can be checked after loading.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "shared/Paths.h"
#include "shared/StatisticsSchema.h"

namespace corvane::testing {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 7 * kDay;
// A fixed "now" for histories (2027-01-15), far from both ends of time.
constexpr std::int64_t kT0 = 1'800'000'000;

// The value stored in `column` (0-based, insert order) of the row at `time`.
inline std::int64_t columnValue(int column, std::int64_t time) {
    if (column == 9) return time;                      // UpdateTime
    if (column == 5) return -100 - (time / 60) % 400;  // InstantAmperage, negative
    return 1000 + column * 10 + (time / 60) % 100;     // the rest
}

inline void writeStatisticsRows(const std::vector<std::int64_t>& times) {
    const auto file = paths::resolve(paths::kStatisticsDatabase);
    std::filesystem::create_directories(file.parent_path());
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &database), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database, std::string(statistics::kCreateTableStatement).c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(database, std::string(statistics::kCreateIndexStatement).c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_exec(database, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database, std::string(statistics::kInsertStatement).c_str(), -1, &insert, nullptr),
              SQLITE_OK);
    for (std::int64_t time : times) {
        sqlite3_reset(insert);
        for (int column = 0; column < statistics::kInsertParameterCount; ++column)
            sqlite3_bind_int64(insert, column + 1, columnValue(column, time));
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(database, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(database);
}

// Times from `first`, every `step` seconds, `count` of them.
inline std::vector<std::int64_t> everyStep(std::int64_t first, std::int64_t step, int count) {
    std::vector<std::int64_t> times;
    for (int i = 0; i < count; ++i) times.push_back(first + step * i);
    return times;
}

}  // namespace corvane::testing
