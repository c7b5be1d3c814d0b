#include "shared/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <thread>

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::microseconds(100);
constexpr auto kMarkInterval = std::chrono::milliseconds(2);
constexpr auto kGiveWay = std::chrono::milliseconds(1);
// A mark younger than this means a writer is waiting now.
constexpr double kFreshMarkSeconds = 0.02;

bool tryLock(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EINTR) return false;
    }
}

double secondsSinceMark(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return 1e9;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec - info.st_mtim.tv_sec) +
           static_cast<double>(now.tv_nsec - info.st_mtim.tv_nsec) / 1e9;
}

void mark(int fd) { ::futimens(fd, nullptr); }

}  // namespace

std::filesystem::path FileLock::lockFileFor(const std::filesystem::path& target) {
    std::filesystem::path lock = target;
    lock += ".lock";
    return lock;
}

FileLock::FileLock(const std::filesystem::path& target, std::chrono::milliseconds bound) {
    fd_ = ::open(lockFileFor(target).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd_ < 0) return;
    const Clock::time_point deadline = Clock::now() + bound;
    if (secondsSinceMark(fd_) < kFreshMarkSeconds)
        std::this_thread::sleep_for(std::min<Clock::duration>(kGiveWay, bound));
    Clock::time_point nextMark = Clock::now();
    for (;;) {
        if (tryLock(fd_)) {
            held_ = true;
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return;
        if (now >= nextMark) {
            mark(fd_);
            nextMark = now + kMarkInterval;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kPollInterval, deadline - now));
    }
}

FileLock::~FileLock() {
    if (fd_ < 0) return;
    if (held_) ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

}  // namespace corvane
