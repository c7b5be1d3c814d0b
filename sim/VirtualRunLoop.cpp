#include "sim/VirtualRunLoop.h"

#include <utility>

namespace corvane::sim {

namespace {
// The clock cursor of the virtual background thread running on this thread,
// if any.
thread_local std::optional<double> backgroundCursor;
}  // namespace

class VirtualRunLoop::VirtualTimer final : public platform::Timer {
public:
    VirtualTimer(double interval, bool repeats, std::function<void()> action)
        : interval(interval), repeats(repeats), action(std::move(action)) {}

    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }

    double interval;
    bool repeats;
    std::function<void()> action;
    bool valid = true;
};

VirtualRunLoop::VirtualRunLoop(platform::Date start)
    : now_(start.secondsSince1970), mainThread_(std::this_thread::get_id()) {}

platform::Date VirtualRunLoop::now() const {
    if (backgroundCursor) return platform::Date{*backgroundCursor};
    return platform::Date{now_};
}

std::shared_ptr<platform::Timer> VirtualRunLoop::scheduleTimer(double seconds, bool repeats,
                                                               std::function<void()> action) {
    if (!(seconds >= 0.0)) seconds = 0.0;  // negative or NaN intervals fire at once, as run loops do
    // A repeating timer needs a positive period, or it would never let time move.
    if (repeats && seconds < 0.001) seconds = 0.001;
    auto timer = std::make_shared<VirtualTimer>(seconds, repeats, std::move(action));
    timers_.push(Entry{now_ + seconds, nextSequence_++, timer});
    return timer;
}

void VirtualRunLoop::dispatchToMain(std::function<void()> action) {
    std::lock_guard guard(dispatchMutex_);
    dispatched_.push_back(std::move(action));
}

bool VirtualRunLoop::isMainThread() const {
    return std::this_thread::get_id() == mainThread_ && !backgroundCursor.has_value();
}

void VirtualRunLoop::detachNewThread(std::function<void()> action) {
    // The thread starts at the current instant, after the work already queued.
    dispatchToMain([this, action = std::move(action)] {
        backgroundCursor = now_;
        action();
        backgroundCursor.reset();
    });
}

void VirtualRunLoop::sleepSeconds(double seconds) {
    if (!(seconds > 0.0)) return;
    if (backgroundCursor) {
        *backgroundCursor += seconds;
        if (timeObserver_) timeObserver_(platform::Date{*backgroundCursor});
        return;
    }
    // A pause on the main thread blocks it: time passes and nothing else runs.
    setNow(now_ + seconds);
}

void VirtualRunLoop::setNow(double seconds) {
    if (seconds > now_) now_ = seconds;
    if (timeObserver_) timeObserver_(platform::Date{now_});
}

void VirtualRunLoop::runDispatched() {
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard guard(dispatchMutex_);
            if (dispatched_.empty()) return;
            action = std::move(dispatched_.front());
            dispatched_.pop_front();
        }
        action();
    }
}

bool VirtualRunLoop::runOneDueEvent(double until) {
    runDispatched();
    while (!timers_.empty() && !timers_.top().timer->valid) timers_.pop();
    if (suspended_ || timers_.empty() || timers_.top().fireTime > until) return false;

    Entry entry = timers_.top();
    timers_.pop();
    setNow(entry.fireTime);
    VirtualTimer& timer = *entry.timer;
    if (timer.repeats) {
        timers_.push(Entry{std::max(entry.fireTime, now_) + timer.interval, nextSequence_++, entry.timer});
    } else {
        timer.valid = false;
    }
    // Keep the action alive while it runs: it may invalidate its own timer.
    std::function<void()> action = timer.action;
    action();
    runDispatched();
    return true;
}

void VirtualRunLoop::advance(double seconds) { advanceTo(platform::Date{now_ + (seconds > 0.0 ? seconds : 0.0)}); }

void VirtualRunLoop::advanceTo(platform::Date until) {
    while (runOneDueEvent(until.secondsSince1970)) {
    }
    setNow(until.secondsSince1970);
    runDispatched();
}

void VirtualRunLoop::runPending() { advanceTo(platform::Date{now_}); }

std::optional<platform::Date> VirtualRunLoop::nextTimerDate() const {
    // The queue may hold invalidated timers at its head; look past them.
    auto copy = timers_;
    while (!copy.empty()) {
        if (copy.top().timer->valid) return platform::Date{copy.top().fireTime};
        copy.pop();
    }
    return std::nullopt;
}

std::size_t VirtualRunLoop::scheduledTimerCount() const {
    auto copy = timers_;
    std::size_t count = 0;
    for (; !copy.empty(); copy.pop()) count += copy.top().timer->valid ? 1 : 0;
    return count;
}

}  // namespace corvane::sim
