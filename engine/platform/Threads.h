#pragma once
// Background threads and pauses on them. In virtual time a pause advances the
// clock instead of blocking, so verifications stay deterministic.

#include <functional>

namespace corvane::platform {

class Threads {
public:
    virtual ~Threads() = default;
    // Starts a detached thread running the action.
    virtual void detachNewThread(std::function<void()> action) = 0;
    // Pauses the calling (background) thread.
    virtual void sleepSeconds(double seconds) = 0;
};

}  // namespace corvane::platform
