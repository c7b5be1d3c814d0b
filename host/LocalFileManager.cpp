#include "host/LocalFileManager.h"

#include <system_error>

#include "shared/AtomicFile.h"

namespace corvane::host {

bool LocalFileManager::fileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool LocalFileManager::createDirectory(const std::filesystem::path& path, bool withIntermediateDirectories) {
    std::error_code error;
    if (withIntermediateDirectories) {
        std::filesystem::create_directories(path, error);
        return !error && std::filesystem::is_directory(path, error);
    }
    return std::filesystem::create_directory(path, error) && !error;
}

Outcome LocalFileManager::replaceFile(const std::filesystem::path& path, std::string_view bytes,
                                      Durability durability) {
    return writeFileAtomically(path, bytes, durability);
}

}  // namespace corvane::host
