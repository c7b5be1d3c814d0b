#pragma once
// Files and system load.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "shared/AtomicFile.h"
#include "shared/Outcome.h"
#include "shared/PropertyListFile.h"

namespace corvane::platform {

class FileManager {
public:
    virtual ~FileManager() = default;
    virtual bool fileExists(const std::filesystem::path& path) = 0;
    virtual bool createDirectory(const std::filesystem::path& path, bool withIntermediateDirectories) = 0;
    // Replaces the file's whole content atomically: a reader sees the old or
    // the new file. Does not create folders.
    virtual Outcome replaceFile(const std::filesystem::path& path, std::string_view bytes, Durability durability) = 0;
};

// A property list written whole, in its XML form, through the file manager.
inline Outcome writePropertyList(FileManager& files, const std::filesystem::path& path, const plist::Value& value,
                                 Durability durability = Durability::Flushed) {
    try {
        const std::string xml = plist::toXml(value);
        // A value nested too deep has no XML form.
        if (xml.empty()) return Outcome::fromErrno(EINVAL);
        return files.replaceFile(path, xml, durability);
    } catch (...) {
        return Outcome::fromErrno(ENOMEM);
    }
}

class LoadAverage {
public:
    virtual ~LoadAverage() = default;
    // The 1, 5 and 15 minute load averages; none when unavailable.
    virtual std::optional<std::array<double, 3>> sample() = 0;
};

}  // namespace corvane::platform
