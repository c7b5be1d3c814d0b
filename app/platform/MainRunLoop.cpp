#include "app/platform/MainRunLoop.h"

#include "app/platform/AppPlatform.h"
#include "shared/ProcessState.h"

namespace corvane::app {

MainRunLoop& MainRunLoop::main() {
    static MainRunLoop loop;
    static const bool resettable =
        (ProcessState::registerReset(ProcessState::kMainRunLoop, [] { main().reset(); }), true);
    (void)resettable;
    return loop;
}

void MainRunLoop::post(Work work) {
    std::function<void()> wake;
    {
        std::lock_guard guard(mutex_);
        posted_.push_back(std::move(work));
        wake = onWorkPosted_;
    }
    if (wake) wake();
}

MainRunLoop::TimerId MainRunLoop::scheduleTimer(double seconds, Work work) {
    const double fireTime = AppPlatform::current().currentTime() + seconds;
    std::lock_guard guard(mutex_);
    const TimerId id = nextTimerId_++;
    timers_.emplace(fireTime, Timer{id, std::move(work)});
    return id;
}

void MainRunLoop::invalidateTimer(TimerId timer) {
    std::lock_guard guard(mutex_);
    for (auto entry = timers_.begin(); entry != timers_.end(); ++entry) {
        if (entry->second.id == timer) {
            timers_.erase(entry);
            return;
        }
    }
}

std::size_t MainRunLoop::runDueWork() {
    std::vector<Work> batch;
    {
        std::lock_guard guard(mutex_);
        batch.swap(posted_);
    }
    std::size_t ran = 0;
    for (Work& work : batch) {
        if (work) work();
        ++ran;
    }
    const double now = AppPlatform::current().currentTime();
    // Timers are taken one at a time: a timer's work may invalidate another.
    const TimerId lastExisting = [&] {
        std::lock_guard guard(mutex_);
        return nextTimerId_;
    }();
    for (;;) {
        Work work;
        {
            std::lock_guard guard(mutex_);
            auto due = timers_.begin();
            while (due != timers_.end() && due->first <= now && due->second.id >= lastExisting) ++due;
            if (due == timers_.end() || due->first > now) break;
            work = std::move(due->second.work);
            timers_.erase(due);
        }
        if (work) work();
        ++ran;
    }
    return ran;
}

std::optional<double> MainRunLoop::nextFireTime() const {
    std::lock_guard guard(mutex_);
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first;
}

bool MainRunLoop::hasPostedWork() const {
    std::lock_guard guard(mutex_);
    return !posted_.empty();
}

void MainRunLoop::setOnWorkPosted(std::function<void()> callback) {
    std::lock_guard guard(mutex_);
    onWorkPosted_ = std::move(callback);
}

void MainRunLoop::reset() {
    std::lock_guard guard(mutex_);
    posted_.clear();
    timers_.clear();
}

}  // namespace corvane::app
