#pragma once
// What a main loop needs to drive a notification center that talks to
// another process: a file descriptor to watch, the poll events to watch it
// for, how long it may wait at most, and the call that delivers what came in.
// Handlers run inside dispatchPending, on the caller's thread.

namespace corvane::platform {

class NotificationPump {
public:
    virtual ~NotificationPump() = default;
    virtual int fileDescriptor() const = 0;
    // poll(2) events (POLLIN, and POLLOUT while a post waits to be written).
    virtual short pollEvents() const = 0;
    // Milliseconds to wait before dispatchPending is due even without
    // activity on the descriptor: 0 when work waits already, at most `limit`.
    virtual int waitMilliseconds(int limit) const = 0;
    // Reads, writes and delivers what can be done without waiting, up to a
    // bounded batch (waitMilliseconds then answers 0); answers how many
    // notifications were delivered.
    virtual int dispatchPending() = 0;
};

}  // namespace corvane::platform
