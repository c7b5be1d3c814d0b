#include "app/platform/FileChangeWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::app {

FileChangeWatch::FileChangeWatch(std::filesystem::path file) : file_(std::move(file)) {
    last_ = stampNow();
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) return;
    // Files are replaced by a rename into the folder, so the folder is watched.
    const std::filesystem::path folder = file_.parent_path().empty() ? "." : file_.parent_path();
    if (::inotify_add_watch(inotify_, folder.c_str(),
                            IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE) < 0) {
        ::close(inotify_);
        inotify_ = -1;
    }
}

FileChangeWatch::~FileChangeWatch() {
    if (inotify_ >= 0) ::close(inotify_);
}

FileChangeWatch::Stamp FileChangeWatch::stampNow() const {
    struct stat info {};
    if (::stat(file_.c_str(), &info) != 0) return Stamp{};
    return Stamp{true, static_cast<unsigned long long>(info.st_ino),
                 static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec,
                 static_cast<long long>(info.st_size)};
}

bool FileChangeWatch::changed() {
    if (inotify_ >= 0) {
        alignas(inotify_event) char buffer[4096];
        while (::read(inotify_, buffer, sizeof buffer) > 0) {
        }
    }
    const Stamp now = stampNow();
    if (now == last_) return false;
    last_ = now;
    return true;
}

}  // namespace corvane::app
