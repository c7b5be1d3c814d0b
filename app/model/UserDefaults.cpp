#include "app/model/UserDefaults.h"

#include <system_error>

#include "app/model/AppLog.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults defaults;
    return defaults;
}

void UserDefaults::loadIfNeeded() {
    const std::filesystem::path path = paths::resolve(paths::kAppUserDefaults);
    if (loadedPath_ == path) return;
    loadedPath_ = path;
    values_ = {};
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return;
    if (auto read = plist::readDictionary(path)) {
        values_ = std::move(*read);
    } else {
        AMPWISE_LOG("User defaults %s unreadable, starting empty", path.c_str());
    }
}

void UserDefaults::setObject(std::string_view key, plist::Value value) {
    std::lock_guard guard(mutex_);
    loadIfNeeded();
    values_.set(key, std::move(value));
}

std::optional<plist::Value> UserDefaults::objectForKey(std::string_view key) {
    std::lock_guard guard(mutex_);
    loadIfNeeded();
    if (const plist::Value* value = values_.find(key)) return *value;
    return std::nullopt;
}

bool UserDefaults::synchronize() {
    std::lock_guard guard(mutex_);
    loadIfNeeded();
    const std::filesystem::path path = *loadedPath_;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    const Outcome written = plist::writeFile(path, plist::Value(values_));
    if (written) return true;
    AMPWISE_LOG("User defaults %s COULD NOT be saved: %s", path.c_str(), written.message().c_str());
    return false;
}

}  // namespace corvane::app
