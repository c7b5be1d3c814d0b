#include "shared/MoveAside.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <string>

namespace corvane {

std::optional<std::filesystem::path> moveAside(const std::filesystem::path& file, double secondsSince1970) {
    try {
        std::time_t whole = 0;
        if (std::isfinite(secondsSince1970) && std::fabs(secondsSince1970) < 1e15)
            whole = static_cast<std::time_t>(std::floor(secondsSince1970));
        std::tm time{};
        gmtime_r(&whole, &time);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &time);
        const std::string base = file.string() + ".unreadable-" + stamp;
        for (int attempt = 1; attempt <= 100; ++attempt) {
            const std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
            // Never replaces an earlier copy.
            if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0)
                return std::filesystem::path(candidate);
            if (errno == EINVAL || errno == ENOSYS) {
                // A filesystem without the no-replace rename: test, then rename.
                std::error_code error;
                if (std::filesystem::exists(candidate, error)) continue;
                if (::rename(file.c_str(), candidate.c_str()) == 0) return std::filesystem::path(candidate);
                return std::nullopt;
            }
            if (errno != EEXIST) return std::nullopt;
        }
    } catch (...) {
    }
    return std::nullopt;
}

}  // namespace corvane
