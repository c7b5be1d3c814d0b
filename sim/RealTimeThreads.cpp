#include "sim/RealTimeThreads.h"

#include <chrono>

namespace corvane::sim {

void RealTimeThreads::detachNewThread(std::function<void()> action) {
    std::lock_guard guard(mutex_);
    threads_.emplace_back(std::move(action));
}

void RealTimeThreads::sleepSeconds(double seconds) {
    {
        std::lock_guard guard(mutex_);
        ++pauses_;
    }
    if (!(seconds > 0.0)) return;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds * pauseScale_));
}

void RealTimeThreads::joinAll() {
    for (;;) {
        std::vector<std::thread> started;
        {
            std::lock_guard guard(mutex_);
            if (threads_.empty()) return;
            started.swap(threads_);
        }
        for (std::thread& thread : started) {
            if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
                thread.join();
            else if (thread.joinable())
                thread.detach();
        }
    }
}

int RealTimeThreads::pausesMade() const {
    std::lock_guard guard(mutex_);
    return pauses_;
}

platform::Date RealTimeClock::now() const {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return platform::Date{std::chrono::duration<double>(sinceEpoch).count()};
}

}  // namespace corvane::sim
