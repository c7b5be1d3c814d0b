#include "device/DaemonLog.h"

#include <cstdio>

namespace corvane::device {

void DaemonLog::say(std::string_view message) { emit("corvaned: " + std::string(message)); }

void DaemonLog::write(std::string_view line) { emit(std::string(line)); }

void DaemonLog::setObserver(std::function<void(const std::string&)> observer) {
    std::lock_guard guard(mutex_);
    observer_ = std::move(observer);
}

void DaemonLog::emit(const std::string& line) {
    std::lock_guard guard(mutex_);
    if (!quiet_) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
    if (observer_) observer_(line);
}

}  // namespace corvane::device
