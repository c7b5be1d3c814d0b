#pragma once
// logind on the system bus: the user's session and its LockedHint, the
// system's PrepareForSleep, and the daemon's sleep inhibitors (a delay
// inhibitor held at all times except while sleep proceeds, a block
// inhibitor while the engine keeps the device awake).

#include <functional>
#include <optional>
#include <string>

#include "device/BusService.h"

namespace corvane::device {

class Logind final : public BusService {
public:
    struct Handlers {
        std::function<void(bool locked)> lockedChanged;
        std::function<void(bool start)> prepareForSleep;
        std::function<void()> sessionEnded;
    };
    // `session`: the session id to follow; empty: $XDG_SESSION_ID, else the
    // first of this user's sessions.
    Logind(Bus* bus, DaemonLog& log, std::string session, Handlers handlers);
    ~Logind() override;

    const std::string& sessionPath() const { return sessionPath_; }
    std::optional<bool> locked() const { return locked_; }

    bool takeDelayInhibitor();
    void releaseDelayInhibitor();
    bool holdsDelayInhibitor() const { return delayFd_ >= 0; }
    bool takeBlockInhibitor();
    void releaseBlockInhibitor();
    bool holdsBlockInhibitor() const { return blockFd_ >= 0; }

protected:
    bool attach() override;
    void detach() override;

private:
    std::string chooseSession();
    int inhibit(const char* mode);

    std::string requestedSession_;
    Handlers handlers_;
    std::string sessionPath_;
    std::string sessionId_;
    std::optional<bool> locked_;
    int delayFd_ = -1;
    int blockFd_ = -1;
};

}  // namespace corvane::device
