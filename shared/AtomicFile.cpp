#include "shared/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace corvane {

namespace {

// Mode of a newly created file: readable by everyone, as preference files are.
constexpr mode_t kNewFileMode = 0644;

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool closeChecked(int fd) {
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0 || errno == EINTR;
}

// Makes the rename itself durable. A failure here leaves a correct file that
// may only be older after a power loss, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool writeThroughTemporary(const std::filesystem::path& path, std::string_view bytes) {
    if (path.filename().empty()) return false;
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";

    const std::string pattern = (folder / (path.filename().string() + ".XXXXXX")).string();
    std::vector<char> temporaryName(pattern.begin(), pattern.end());
    temporaryName.push_back('\0');
    const int fd = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (fd < 0) return false;

    mode_t mode = kNewFileMode;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) mode = existing.st_mode & 07777;

    bool ok = ::fchmod(fd, mode) == 0;
    ok = ok && writeAll(fd, bytes);
    ok = ok && ::fsync(fd) == 0;
    ok = closeChecked(fd) && ok;
    ok = ok && ::rename(temporaryName.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporaryName.data());
        return false;
    }
    syncFolder(folder);
    return true;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    try {
        return writeThroughTemporary(path, bytes);
    } catch (...) {
        // Only allocation failures can get here, before the temporary file exists.
        return false;
    }
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    // Non-blocking so that a FIFO or device in the file's place cannot hang the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;

    std::optional<std::string> content;
    try {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<std::size_t>(info.st_size) <= kMaximumFileSize) {
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(info.st_size));
            char buffer[64 * 1024];
            bool ok = true;
            for (;;) {
                const ssize_t count = ::read(fd, buffer, sizeof buffer);
                if (count < 0) {
                    if (errno == EINTR) continue;
                    ok = false;
                    break;
                }
                if (count == 0) break;
                // The file may grow while it is read: keep to the cap all the same.
                if (bytes.size() + static_cast<std::size_t>(count) > kMaximumFileSize) {
                    ok = false;
                    break;
                }
                bytes.append(buffer, static_cast<std::size_t>(count));
            }
            if (ok) content = std::move(bytes);
        }
    } catch (...) {
        content.reset();
    }
    ::close(fd);
    return content;
}

}  // namespace corvane
