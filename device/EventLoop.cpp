#include "device/EventLoop.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <systemd/sd-event.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>

namespace corvane::device {

class EventLoop::LoopTimer final : public platform::Timer, public std::enable_shared_from_this<LoopTimer> {
public:
    LoopTimer(EventLoop& loop, double seconds, bool repeats, std::function<void()> action)
        : loop_(loop), interval_(seconds), repeats_(repeats), action_(std::move(action)) {}
    ~LoopTimer() override { sd_event_source_unref(source_); }

    // Arms the timer on the loop (main thread only).
    void arm() {
        if (!valid_) return;
        const std::uint64_t microseconds =
            static_cast<std::uint64_t>(std::llround(std::max(0.0, interval_) * 1'000'000.0));
        // The loop holds the timer until it fires for the last time or is invalidated.
        self_ = shared_from_this();
        if (sd_event_add_time_relative(loop_.event_, &source_, CLOCK_BOOTTIME, microseconds, 0, &LoopTimer::fire,
                                       this) < 0) {
            self_.reset();
            valid_ = false;
        }
    }

    void invalidate() override {
        valid_ = false;
        if (loop_.isMainThread()) {
            release();
        } else {
            loop_.dispatchToMain([self = shared_from_this()] { self->release(); });
        }
    }
    bool isValid() const override { return valid_; }

private:
    static int fire(sd_event_source*, std::uint64_t, void* userdata) {
        auto* timer = static_cast<LoopTimer*>(userdata);
        std::shared_ptr<LoopTimer> keep = timer->self_;
        if (!keep) return 0;
        if (!timer->repeats_) {
            timer->valid_ = false;
            timer->release();
        } else {
            sd_event_source_set_time_relative(timer->source_,
                                              static_cast<std::uint64_t>(timer->interval_ * 1'000'000.0));
            sd_event_source_set_enabled(timer->source_, SD_EVENT_ON);
        }
        if (keep->action_ && (keep->valid_ || !keep->repeats_)) keep->action_();
        if (keep->loop_.afterTimer_) keep->loop_.afterTimer_();
        return 0;
    }
    void release() {
        source_ = sd_event_source_unref(source_);
        self_.reset();
    }

    EventLoop& loop_;
    double interval_;
    bool repeats_;
    std::function<void()> action_;
    std::atomic<bool> valid_{true};
    sd_event_source* source_ = nullptr;
    std::shared_ptr<LoopTimer> self_;
};

EventLoop::EventLoop() : mainThread_(std::this_thread::get_id()) {
    if (sd_event_new(&event_) < 0) {
        event_ = nullptr;
        return;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0 || sd_event_add_io(event_, &wakeSource_, wakeFd_, EPOLLIN, &EventLoop::onWake, this) < 0) {
        wakeSource_ = nullptr;
    }
}

EventLoop::~EventLoop() {
    sd_event_source_unref(wakeSource_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
    sd_event_unref(event_);
}

int EventLoop::run() { return event_ == nullptr ? 1 : sd_event_loop(event_); }

void EventLoop::exit(int code) {
    if (event_ != nullptr) sd_event_exit(event_, code);
}

bool EventLoop::onTerminate(std::function<void()> handler) {
    terminate_ = std::move(handler);
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &mask, nullptr) != 0) return false;
    return sd_event_add_signal(event_, nullptr, SIGTERM, &EventLoop::onSignal, this) >= 0 &&
           sd_event_add_signal(event_, nullptr, SIGINT, &EventLoop::onSignal, this) >= 0;
}

int EventLoop::onSignal(sd_event_source*, const struct signalfd_siginfo*, void* userdata) {
    auto* loop = static_cast<EventLoop*>(userdata);
    if (loop->terminate_) loop->terminate_();
    return 0;
}

platform::Date EventLoop::now() const {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return platform::Date{std::chrono::duration<double>(since).count()};
}

std::shared_ptr<platform::Timer> EventLoop::scheduleTimer(double seconds, bool repeats, std::function<void()> action) {
    auto timer = std::make_shared<LoopTimer>(*this, seconds, repeats, std::move(action));
    if (isMainThread()) {
        timer->arm();
    } else {
        dispatchToMain([timer] { timer->arm(); });
    }
    return timer;
}

void EventLoop::dispatchToMain(std::function<void()> action) {
    {
        std::lock_guard guard(mutex_);
        dispatched_.push_back(std::move(action));
    }
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0) [[maybe_unused]]
        auto written = ::write(wakeFd_, &one, sizeof one);
}

int EventLoop::onWake(sd_event_source*, int fd, unsigned, void* userdata) {
    std::uint64_t count = 0;
    [[maybe_unused]] auto read = ::read(fd, &count, sizeof count);
    static_cast<EventLoop*>(userdata)->runDispatched();
    return 0;
}

void EventLoop::runDispatched() {
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard guard(mutex_);
            if (dispatched_.empty()) return;
            action = std::move(dispatched_.front());
            dispatched_.pop_front();
        }
        action();
    }
}

bool EventLoop::isMainThread() const { return std::this_thread::get_id() == mainThread_; }

void EventLoop::detachNewThread(std::function<void()> action) { std::thread(std::move(action)).detach(); }

void EventLoop::sleepSeconds(double seconds) {
    if (seconds > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace corvane::device
