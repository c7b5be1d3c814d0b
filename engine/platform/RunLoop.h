#pragma once
// The main run loop of the host process: timers, work dispatched onto the main
// thread, and the question whether the caller runs there.

#include <functional>
#include <memory>

namespace corvane::platform {

class Timer {
public:
    virtual ~Timer() = default;
    // Stops the timer; its action will not run again. Safe to call twice.
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

class RunLoop {
public:
    virtual ~RunLoop() = default;
    // Schedules an action after `seconds`, once or every `seconds`. The run
    // loop keeps the timer until it fires for the last time or is invalidated.
    virtual std::shared_ptr<Timer> scheduleTimer(double seconds, bool repeats, std::function<void()> action) = 0;
    // Runs the action on the main thread later, without waiting. Callable from any thread.
    virtual void dispatchToMain(std::function<void()> action) = 0;
    virtual bool isMainThread() const = 0;
};

}  // namespace corvane::platform
