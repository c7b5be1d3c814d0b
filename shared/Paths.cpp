#include "shared/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace corvane::paths {

namespace {

// The value of an environment variable; empty when unset.
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::filesystem::path homeFolder() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) bufferSize = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
        return found->pw_dir;
    }
    // No home at all (a stripped-down service account): the working folder,
    // rather than a folder other accounts could prepare.
    return ".";
}

// A folder path without trailing slashes (except the file system's own root).
std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

std::filesystem::path root() {
    std::string explicitRoot = withoutTrailingSlash(environment("CORVANE_ROOT"));
    if (!explicitRoot.empty()) return explicitRoot;
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base
    // directory rules ask.
    std::string dataHome = environment("XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == '/')
        return std::filesystem::path(withoutTrailingSlash(dataHome)) / "corvane" / "device";
    return homeFolder() / ".local" / "share" / "corvane" / "device";
}

std::filesystem::path resolve(std::string_view absolutePath) {
    while (!absolutePath.empty() && absolutePath.front() == '/') absolutePath.remove_prefix(1);
    while (!absolutePath.empty() && absolutePath.back() == '/') absolutePath.remove_suffix(1);
    std::filesystem::path base = root();
    if (absolutePath.empty()) return base;
    return base / std::filesystem::path(absolutePath);
}

std::filesystem::path preferenceDomain(std::string_view domain) {
    std::string fileName(domain);
    fileName += ".plist";
    return resolve(kPreferencesFolder) / fileName;
}

}  // namespace corvane::paths
