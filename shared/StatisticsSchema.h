#pragma once
// The statistics database shared with the app: the schema statements and the
// statement that adds one battery reading. The stored schema text must stay
// exactly as it is, spaces included, because the app and databases created by
// earlier versions rely on it.

#include <string_view>

namespace corvane::statistics {

inline constexpr std::string_view kTableName = "BATTERY_STATUS";

inline constexpr std::string_view kCreateTableStatement =
    "CREATE TABLE IF NOT EXISTS BATTERY_STATUS (ID INTEGER PRIMARY KEY AUTOINCREMENT,             CurrentCapacity INT,             DesignCapacity INT,             MaxCapacity INT,             Temperature INT,             TimeRemaining INT,             InstantAmperage INT,             CycleCount INT,             Amperage INT,             Voltage INT,             UpdateTime INT,             FullyCharged CHAR(1),             IsCharging CHAR(1),             LoadAvg1 INT,             LoadAvg5 INT,             LoadAvg15 INT            )";

inline constexpr std::string_view kCreateIndexStatement =
    "CREATE INDEX IF NOT EXISTS UPDATE_TIME_IDX ON BATTERY_STATUS (UpdateTime)";

// The fifteen values are bound as parameters, in column order: CurrentCapacity,
// DesignCapacity, MaxCapacity, Temperature, TimeRemaining, InstantAmperage,
// CycleCount, Amperage, Voltage, UpdateTime, FullyCharged, IsCharging,
// LoadAvg1, LoadAvg5, LoadAvg15.
inline constexpr int kInsertParameterCount = 15;
inline constexpr std::string_view kInsertStatement =
    "INSERT INTO BATTERY_STATUS (                                   CurrentCapacity,                                    DesignCapacity,                                    MaxCapacity,                                    Temperature,                                    TimeRemaining,                                    InstantAmperage,                                    CycleCount,                                    Amperage,                                    Voltage,                                    UpdateTime,                                    FullyCharged,                                    IsCharging,                                    LoadAvg1,                                    LoadAvg5,                                    LoadAvg15                                    ) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

// The readers and the purge of the table.
inline constexpr std::string_view kCountStatement = "SELECT COUNT(*) FROM BATTERY_STATUS";
inline constexpr std::string_view kCountInWindowStatement =
    "SELECT COUNT(1) FROM BATTERY_STATUS WHERE UpdateTime >= ? AND UpdateTime <= ?";
inline constexpr std::string_view kTimeBoundsStatement = "SELECT MIN(UpdateTime), MAX(UpdateTime) FROM BATTERY_STATUS";
inline constexpr std::string_view kDeleteAllStatement = "DELETE FROM BATTERY_STATUS";
inline constexpr std::string_view kDeleteOlderStatement = "DELETE FROM BATTERY_STATUS WHERE UpdateTime < ?";

}  // namespace corvane::statistics
