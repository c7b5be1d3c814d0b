#pragma once
// The app's main run loop without a toolkit: work handed to the main thread
// from other threads, and one-shot timers measured on the platform clock
// (AppPlatform::currentTime), so tests move time by hand. A front end runs
// runDueWork from its own event loop whenever onWorkPosted tells it that
// something is waiting, and at nextFireTime for the timers.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace corvane::app {

class MainRunLoop {
public:
    using Work = std::function<void()>;
    using TimerId = std::uint64_t;

    // The app's single main run loop.
    static MainRunLoop& main();

    // Runs `work` on the main thread at the next runDueWork. Any thread.
    void post(Work work);
    // A one-shot timer firing `seconds` after now on the platform clock.
    // Main thread only, like the timers' work.
    TimerId scheduleTimer(double seconds, Work work);
    // The timer no longer fires; nothing when it has fired already.
    void invalidateTimer(TimerId timer);

    // Runs the posted work, then every timer due by now (in order of fire
    // time); work posted or timers made meanwhile wait for the next call.
    // Answers how many pieces of work ran.
    std::size_t runDueWork();
    // Seconds since 1970 at which the earliest timer fires; none without timers.
    std::optional<double> nextFireTime() const;
    bool hasPostedWork() const;

    // Told from the posting thread after each post (a front end wakes its
    // event loop here; it must not run the work itself).
    void setOnWorkPosted(std::function<void()> callback);

    // Drops every posted piece of work and timer (between tests).
    void reset();

private:
    struct Timer {
        TimerId id;
        Work work;
    };

    mutable std::mutex mutex_;
    std::vector<Work> posted_;
    std::multimap<double, Timer> timers_;
    TimerId nextTimerId_ = 1;
    std::function<void()> onWorkPosted_;
};

}  // namespace corvane::app
