#include "shared/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <system_error>
#include <vector>

namespace corvane {

namespace {

// What the owner of a replaced file always keeps: reading and writing it.
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

constexpr std::string_view kTemporaryMark = ".corvane-";
constexpr std::size_t kRandomLength = 6;  // the XXXXXX of mkostemp
constexpr std::time_t kStaleAfterSeconds = 3600;

// The process id of a temporary file's writer, when the name is one of ours:
// "." + target name + ".corvane-" + digits + "." + six letters or digits.
std::optional<pid_t> temporaryFileWriter(const std::string& name) {
    if (name.size() < 1 + 1 + kTemporaryMark.size() + 1 + 1 + kRandomLength || name[0] != '.') return std::nullopt;
    const std::size_t randomStart = name.size() - kRandomLength;
    if (name[randomStart - 1] != '.') return std::nullopt;
    for (std::size_t k = randomStart; k < name.size(); ++k) {
        const char c = name[k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return std::nullopt;
    }
    std::size_t digitsStart = randomStart - 1;
    while (digitsStart > 0 && name[digitsStart - 1] >= '0' && name[digitsStart - 1] <= '9') --digitsStart;
    const std::size_t digits = randomStart - 1 - digitsStart;
    if (digits == 0 || digits > 9 || digitsStart < 1 + kTemporaryMark.size()) return std::nullopt;
    if (name.compare(digitsStart - kTemporaryMark.size(), kTemporaryMark.size(), kTemporaryMark) != 0)
        return std::nullopt;
    return static_cast<pid_t>(std::stol(name.substr(digitsStart, digits)));
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Each step answers 0 or the errno of its failure.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int closeChecked(int fd) {
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

int zeroOrErrno(int result) { return result == 0 ? 0 : errno; }

// Makes the rename itself durable. A failure here leaves a correct file that
// may only be older after a power loss, so it is not reported.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

Outcome writeThroughTemporary(const std::filesystem::path& path, std::string_view bytes, Durability durability) {
    if (path.filename().empty()) return Outcome::fromErrno(EINVAL);
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";

    std::string name = ".";
    name += path.filename().string();
    name += kTemporaryMark;
    name += std::to_string(::getpid());
    name += '.';
    name.append(kRandomLength, 'X');
    const std::string pattern = (folder / name).string();
    std::vector<char> temporaryName(pattern.begin(), pattern.end());
    temporaryName.push_back('\0');
    const int fd = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (fd < 0) return Outcome::fromErrno(errno);

    // mkostemp made the file 0600 less the umask: a new file keeps that. A
    // regular file being replaced (never a link's target) passes its
    // permissions on, with the owner's reading and writing restored.
    int failure = 0;
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        failure = zeroOrErrno(::fchmod(fd, (existing.st_mode & 0777) | kOwnerReadWrite));
    if (failure == 0) failure = writeAll(fd, bytes);
    if (failure == 0 && durability != Durability::Unflushed) failure = zeroOrErrno(::fsync(fd));
    const int closed = closeChecked(fd);
    if (failure == 0) failure = closed;
    if (failure == 0) failure = zeroOrErrno(::rename(temporaryName.data(), path.c_str()));
    if (failure != 0) {
        ::unlink(temporaryName.data());
        return Outcome::fromErrno(failure);
    }
    if (durability == Durability::Flushed) syncFolder(folder);
    return {};
}

}  // namespace

Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return writeFileAtomically(path, bytes, Durability::Flushed);
}

Outcome writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, Durability durability) {
    try {
        return writeThroughTemporary(path, bytes, durability);
    } catch (...) {
        // Only allocation failures can get here, before the temporary file exists.
        return Outcome::fromErrno(ENOMEM);
    }
}

std::size_t removeStaleTemporaryFiles(const std::filesystem::path& folder) {
    std::size_t removed = 0;
    try {
        std::error_code error;
        const pid_t self = ::getpid();
        const std::time_t now = std::time(nullptr);
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::optional<pid_t> writer = temporaryFileWriter(entry.path().filename().string());
            if (!writer) continue;
            struct stat info {};
            if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
            const bool stale = *writer == self || processIsGone(*writer) || now - info.st_mtime > kStaleAfterSeconds;
            if (stale && ::unlink(entry.path().c_str()) == 0) ++removed;
        }
    } catch (...) {
        // A folder that cannot be listed keeps its files.
    }
    return removed;
}

namespace {

std::string kindOf(mode_t mode) {
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

FileContent failed(ReadFailure failure, std::string reason) {
    FileContent content;
    content.failure = failure;
    content.reason = std::move(reason);
    return content;
}

FileContent failedWithErrno(int number) {
    if (number == ENOENT || number == ENOTDIR) return failed(ReadFailure::Missing, "missing");
    return failed(ReadFailure::CannotRead, std::generic_category().message(number));
}

std::string tooLarge(std::uintmax_t size, std::size_t maximumSize) {
    return "too large: " + std::to_string(size) + " bytes, at most " + std::to_string(maximumSize);
}

FileContent readOpenFile(int fd, std::size_t maximumSize) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return failedWithErrno(errno);
    // Swapped in between the check and the open.
    if (!S_ISREG(info.st_mode)) return failed(ReadFailure::NotAFile, kindOf(info.st_mode));
    if (static_cast<std::uintmax_t>(info.st_size) > maximumSize)
        return failed(ReadFailure::CannotRead, tooLarge(static_cast<std::uintmax_t>(info.st_size), maximumSize));
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return failedWithErrno(errno);
        }
        if (count == 0) break;
        // The file may grow while it is read: keep to the cap all the same.
        if (bytes.size() + static_cast<std::size_t>(count) > maximumSize)
            return failed(ReadFailure::CannotRead,
                          tooLarge(bytes.size() + static_cast<std::size_t>(count), maximumSize));
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    FileContent content;
    content.bytes = std::move(bytes);
    return content;
}

}  // namespace

FileContent readRegularFile(const std::filesystem::path& path, std::size_t maximumSize) {
    try {
        struct stat entry {};
        if (::lstat(path.c_str(), &entry) != 0) return failedWithErrno(errno);
        if (!S_ISREG(entry.st_mode)) return failed(ReadFailure::NotAFile, kindOf(entry.st_mode));
        // Not following a link and not blocking, should the entry change
        // between the check and the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
        if (fd < 0) {
            if (errno == ELOOP) return failed(ReadFailure::NotAFile, kindOf(S_IFLNK));
            return failedWithErrno(errno);
        }
        FileContent content = readOpenFile(fd, maximumSize);
        ::close(fd);
        return content;
    } catch (...) {
        return failed(ReadFailure::CannotRead, "out of memory");
    }
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maximumSize) {
    return readRegularFile(path, maximumSize).bytes;
}

std::optional<std::string> nonRegularEntry(const std::filesystem::path& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 || S_ISREG(entry.st_mode)) return std::nullopt;
    return kindOf(entry.st_mode);
}

}  // namespace corvane
