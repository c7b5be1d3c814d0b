#pragma once
// Tells when one file was written, replaced or removed. What the file looks
// like on disk (inode, modification time, size) decides; an inotify
// descriptor on its folder wakes a main loop when something there changed,
// so the loop need not ask on a timer. Without inotify the descriptor is -1
// and changed() still answers when asked.

#include <filesystem>

namespace corvane::app {

class FileChangeWatch {
public:
    explicit FileChangeWatch(std::filesystem::path file);
    ~FileChangeWatch();
    FileChangeWatch(const FileChangeWatch&) = delete;
    FileChangeWatch& operator=(const FileChangeWatch&) = delete;

    // Readable when the folder changed; -1 without inotify.
    int fileDescriptor() const { return inotify_; }
    // YES when the file differs from what it was at the last call (at
    // creation for the first); drains the descriptor's wake-ups.
    bool changed();

private:
    struct Stamp {
        bool exists = false;
        unsigned long long inode = 0;
        long long modified = 0;  // nanoseconds
        long long size = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stampNow() const;

    std::filesystem::path file_;
    Stamp last_;
    int inotify_ = -1;
};

}  // namespace corvane::app
