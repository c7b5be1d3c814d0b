// Any property list as the battery properties dictionary the system hands to
// the home screen: the engine stores its row, applies the critical-level rule
// and writes the last-battery-state file without crash, and the database
// stays sound.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shared/PropertyListFile.h"
#include "tests/fuzz/FuzzPhone.h"

namespace {

void clearRowsEveryFewThousand(const std::filesystem::path& database) {
    static int inputs = 0;
    if (++inputs % 5000 != 0) return;
    sqlite3* handle = nullptr;
    if (sqlite3_open(database.c_str(), &handle) == SQLITE_OK) {
        sqlite3_exec(handle, "DELETE FROM BATTERY_STATUS", nullptr, nullptr, nullptr);
        char* verdict = nullptr;
        sqlite3_exec(
            handle, "PRAGMA integrity_check",
            [](void*, int, char** values, char**) {
                if (values[0] == nullptr || std::string_view(values[0]) != "ok") std::abort();
                return 0;
            },
            nullptr, &verdict);
        sqlite3_free(verdict);
    }
    sqlite3_close(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane;
    static fuzzing::FuzzPhone phone(2000);
    const std::optional<plist::Value> value = plist::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const plist::Dictionary* dictionary = value ? value->asDictionary() : nullptr;
    if (dictionary == nullptr) return 0;
    Corvane& engine = phone.engine();
    phone.host().loop().advance(30);  // every reading is due for a row
    engine.batteryStateChanged(dictionary);
    clearRowsEveryFewThousand(paths::resolve(paths::kStatisticsDatabase));
    return 0;
}
