#pragma once
// An advisory lock (flock) on a lock file beside a file that several
// processes rewrite ("<name>.lock"), so that a read-modify-replace of one of
// them does not undo another's. Waiting is bounded: a caller that cannot get
// the lock in time goes on without it, as if there were no lock at all.
//
// Waiting polls, since flock has no time-out. A waiter marks the lock file
// (its modification time) while it waits, and a writer that finds a fresh
// mark gives way for a moment before taking the lock, so that two busy
// writers take turns instead of one starving the other.

#include <chrono>
#include <filesystem>

namespace corvane {

class FileLock {
public:
    // Tries for at most `bound` to lock the lock file beside `target`.
    FileLock(const std::filesystem::path& target, std::chrono::milliseconds bound);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return held_; }

    static std::filesystem::path lockFileFor(const std::filesystem::path& target);

private:
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace corvane
