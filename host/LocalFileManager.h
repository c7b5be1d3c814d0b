#pragma once
// The engine's file manager over the machine's own filesystem, as both hosts
// offer it: the simulated phone's root is a folder of this machine, and a
// real device's files are its own. Every replacement is atomic.

#include <filesystem>
#include <string_view>

#include "engine/platform/SystemInfo.h"

namespace corvane::host {

class LocalFileManager : public platform::FileManager {
public:
    bool fileExists(const std::filesystem::path& path) override;
    // With intermediate folders, a folder already there is a success; without,
    // only a folder made now is.
    bool createDirectory(const std::filesystem::path& path, bool withIntermediateDirectories) override;
    Outcome replaceFile(const std::filesystem::path& path, std::string_view bytes, Durability durability) override;
};

}  // namespace corvane::host
