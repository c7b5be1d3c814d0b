#pragma once
// Background threads in real time, for runs that need true concurrency (the
// ThreadSanitizer suite): every detached thread is a real std::thread, and a
// pause really blocks, scaled by a factor so that a ten-second wait can take
// ten milliseconds. The threads are joined when this object goes.

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/platform/Clock.h"
#include "engine/platform/Threads.h"

namespace corvane::sim {

class RealTimeThreads final : public platform::Threads {
public:
    // `pauseScale` multiplies every pause: 1.0 for true seconds, 0.001 for milliseconds.
    explicit RealTimeThreads(double pauseScale = 1.0) : pauseScale_(pauseScale) {}
    ~RealTimeThreads() override { joinAll(); }
    RealTimeThreads(const RealTimeThreads&) = delete;
    RealTimeThreads& operator=(const RealTimeThreads&) = delete;

    void detachNewThread(std::function<void()> action) override;
    void sleepSeconds(double seconds) override;

    // Waits for every thread started so far (and those they start).
    void joinAll();
    // Pauses made so far, over all threads.
    int pausesMade() const;

private:
    double pauseScale_;
    mutable std::mutex mutex_;
    std::vector<std::thread> threads_;
    int pauses_ = 0;
};

// Wall-clock time, readable from any thread.
class RealTimeClock final : public platform::Clock {
public:
    platform::Date now() const override;
};

}  // namespace corvane::sim
