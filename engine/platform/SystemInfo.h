#pragma once
// Files and system load.

#include <array>
#include <filesystem>
#include <optional>

namespace corvane::platform {

class FileManager {
public:
    virtual ~FileManager() = default;
    virtual bool fileExists(const std::filesystem::path& path) = 0;
    virtual bool createDirectory(const std::filesystem::path& path, bool withIntermediateDirectories) = 0;
};

class LoadAverage {
public:
    virtual ~LoadAverage() = default;
    // The 1, 5 and 15 minute load averages; none when unavailable.
    virtual std::optional<std::array<double, 3>> sample() = 0;
};

}  // namespace corvane::platform
