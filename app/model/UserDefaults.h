#pragma once
// The app's standard user defaults: small values the app remembers between
// runs for its screens, kept as a property-list file under the filesystem
// root. Values set are seen at once; synchronize writes them to the file.
//
// The file is read on first use and again whenever the filesystem root
// changes (values set and not synchronised under the previous root are then
// dropped). Used from the main thread; guarded all the same.

#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>

#include "shared/PropertyList.h"

namespace corvane::app {

class UserDefaults {
public:
    static UserDefaults& standardUserDefaults();

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    void setObject(std::string_view key, plist::Value value);
    std::optional<plist::Value> objectForKey(std::string_view key);
    // Writes every value (also those read from the file) atomically; NO when
    // the file could not be written.
    bool synchronize();

private:
    UserDefaults() = default;
    void loadIfNeeded();

    std::mutex mutex_;
    std::optional<std::filesystem::path> loadedPath_;
    plist::Dictionary values_;
};

}  // namespace corvane::app
