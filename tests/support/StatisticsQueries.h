#pragma once
// Reads the engine's statistics database back, read-only, the way the app
// and other tools see it.

#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shared/Paths.h"

namespace corvane::testing {

// One column of a row read back: its storage class and its text.
struct StoredValue {
    std::string type;  // "integer", "real", "text", "null"
    std::optional<std::string> text;
};

inline std::filesystem::path databasePath() { return paths::resolve(paths::kStatisticsDatabase); }

// Every row of the query, each column with its storage class; empty when the
// database cannot be read.
inline std::vector<std::vector<StoredValue>> query(const std::string& sql) {
    static constexpr const char* kTypes[] = {"", "integer", "real", "text", "blob", "null"};
    std::vector<std::vector<StoredValue>> rows;
    sqlite3* database = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(databasePath().c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<StoredValue> row;
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
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
    sqlite3_close(database);
    return rows;
}

inline std::size_t rowCount() { return query("SELECT ID FROM BATTERY_STATUS").size(); }

}  // namespace corvane::testing
