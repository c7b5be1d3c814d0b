#pragma once
// The daemon's one main loop, on sd-event: the engine's run loop, clock and
// threads in real time. Timers run on CLOCK_BOOTTIME, so one that fell due
// while the device slept fires as soon as it is awake again; work
// dispatched from other threads wakes the loop through an eventfd. Nothing
// here polls: the loop sleeps until a descriptor or a timer is due.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/platform/Clock.h"
#include "engine/platform/RunLoop.h"
#include "engine/platform/Threads.h"

struct sd_event;
struct sd_event_source;
struct signalfd_siginfo;

namespace corvane::device {

class EventLoop final : public platform::RunLoop, public platform::Clock, public platform::Threads {
public:
    EventLoop();
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    sd_event* event() const { return event_; }
    // NO when sd-event could not be set up.
    bool ready() const { return event_ != nullptr && wakeSource_ != nullptr; }

    // Runs until exit(); answers the exit code.
    int run();
    void exit(int code);
    // SIGTERM and SIGINT call `handler` on the loop (they are blocked first).
    bool onTerminate(std::function<void()> handler);
    // Called on the main thread after each timer action, so the host can
    // re-read what the engine decided.
    void setAfterTimer(std::function<void()> observer) { afterTimer_ = std::move(observer); }

    // Clock
    platform::Date now() const override;

    // RunLoop
    std::shared_ptr<platform::Timer> scheduleTimer(double seconds, bool repeats, std::function<void()> action) override;
    void dispatchToMain(std::function<void()> action) override;
    bool isMainThread() const override;

    // Threads
    void detachNewThread(std::function<void()> action) override;
    void sleepSeconds(double seconds) override;

private:
    class LoopTimer;
    static int onWake(sd_event_source*, int fd, unsigned revents, void* userdata);
    static int onSignal(sd_event_source*, const signalfd_siginfo*, void* userdata);
    void runDispatched();

    sd_event* event_ = nullptr;
    sd_event_source* wakeSource_ = nullptr;
    int wakeFd_ = -1;
    std::thread::id mainThread_;
    std::mutex mutex_;
    std::deque<std::function<void()>> dispatched_;
    std::function<void()> terminate_;
    std::function<void()> afterTimer_;
};

}  // namespace corvane::device
