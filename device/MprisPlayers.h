#pragma once
// The session's media players (MPRIS): which application plays audio. Each
// player is known by its desktop entry (else its bus name), and reported
// when it starts or stops playing, or goes away.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "device/Bus.h"
#include "device/DaemonLog.h"

namespace corvane::device {

class MprisPlayers {
public:
    // (application id, playing)
    using Changed = std::function<void(const std::string& application, bool playing)>;
    MprisPlayers(Bus* bus, DaemonLog& log, Changed changed);

    void start();
    std::size_t count() const { return players_.size(); }

private:
    struct Player {
        std::string application;
        bool playing = false;
    };
    void add(const std::string& name);
    void remove(const std::string& name);
    void update(const std::string& owner, bool playing);

    Bus* bus_;
    DaemonLog& log_;
    Changed changed_;
    // unique owner -> player
    std::map<std::string, Player> players_;
    // well-known name -> unique owner
    std::map<std::string, std::string> owners_;
    std::unique_ptr<BusSlot> namesWatch_;
    std::unique_ptr<BusSlot> statusWatch_;
};

}  // namespace corvane::device
