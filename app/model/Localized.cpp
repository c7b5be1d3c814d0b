#include "app/model/Localized.h"

#include <mutex>

namespace corvane::app {

namespace {
std::mutex tableMutex;
std::map<std::string, std::string, std::less<>> currentTable;
}  // namespace

std::string Localized::text(std::string_view english) {
    std::lock_guard guard(tableMutex);
    if (auto found = currentTable.find(english); found != currentTable.end()) return found->second;
    return std::string(english);
}

void Localized::setTable(std::map<std::string, std::string, std::less<>> table) {
    std::lock_guard guard(tableMutex);
    currentTable = std::move(table);
}

}  // namespace corvane::app
