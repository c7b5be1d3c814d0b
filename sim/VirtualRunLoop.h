#pragma once
// The main run loop in virtual time. Events are ordered by virtual time (and
// by scheduling order at the same instant); advance(seconds) runs everything
// that falls due without sleeping. While the system is suspended no timer
// fires; timers that fell due meanwhile fire when it resumes.
//
// Background threads are virtual too: a detached thread runs as a task of its
// own at the current instant, with a clock cursor of its own that its pauses
// move forward, so a verification that waits ten seconds sees ten seconds
// pass (and whatever the phone scheduled for them) without disturbing the
// order of the main loop's events.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <thread>
#include <vector>

#include "engine/platform/Clock.h"
#include "engine/platform/RunLoop.h"
#include "engine/platform/Threads.h"

namespace corvane::sim {

class VirtualRunLoop final : public platform::RunLoop, public platform::Clock, public platform::Threads {
public:
    explicit VirtualRunLoop(platform::Date start);

    // Clock
    platform::Date now() const override;

    // RunLoop
    std::shared_ptr<platform::Timer> scheduleTimer(double seconds, bool repeats, std::function<void()> action) override;
    void dispatchToMain(std::function<void()> action) override;
    bool isMainThread() const override;

    // Threads
    void detachNewThread(std::function<void()> action) override;
    void sleepSeconds(double seconds) override;

    // Runs everything due up to now + seconds, then sets the clock there.
    void advance(double seconds);
    void advanceTo(platform::Date until);
    // Runs the work dispatched to the main thread and the timers due now.
    void runPending();

    // The next instant at which a timer falls due; none when none is scheduled.
    std::optional<platform::Date> nextTimerDate() const;
    std::size_t scheduledTimerCount() const;

    // While suspended the clock moves but no timer fires.
    void setSuspended(bool suspended) { suspended_ = suspended; }
    bool suspended() const { return suspended_; }

    // Called at every step of the clock (timers and pauses included), so the
    // phone can apply what it scheduled for that time.
    void setTimeObserver(std::function<void(platform::Date)> observer) { timeObserver_ = std::move(observer); }

private:
    class VirtualTimer;
    struct Entry {
        double fireTime;
        std::uint64_t sequence;
        std::shared_ptr<VirtualTimer> timer;
        bool operator>(const Entry& other) const {
            return fireTime != other.fireTime ? fireTime > other.fireTime : sequence > other.sequence;
        }
    };

    bool runOneDueEvent(double until);
    void runDispatched();
    void setNow(double seconds);

    double now_;
    std::uint64_t nextSequence_ = 0;
    bool suspended_ = false;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> timers_;
    mutable std::mutex dispatchMutex_;
    std::deque<std::function<void()>> dispatched_;
    std::thread::id mainThread_;
    std::function<void(platform::Date)> timeObserver_;
};

}  // namespace corvane::sim
