#pragma once
// Other applications' persistent-connection wake events. Each application
// with a wake interval schedules, through the system's power management, one
// wake event at a time under its own scheduler name
// "com.apple.persistentconnection[SpringBoard,<pid>,0x<hex>,<bundle>]". When
// its event fires (wherever the engine may have moved it) the application
// schedules the next one a wake interval later and wants the network: its
// wake is delivered when it gets the network, and the delay is how long it
// waited beyond its own time.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Scenario.h"
#include "sim/SimPowerManagement.h"

namespace corvane::sim {

class BackgroundApps {
public:
    BackgroundApps(SimPowerManagement& power, const Scenario& scenario);

    // Schedules every application's first wake event (times in seconds from start).
    void start(double now);
    bool owns(std::string_view scheduler) const { return find(scheduler) != nullptr; }
    std::optional<std::string> bundleOf(std::string_view scheduler) const;

    // The event of `scheduler` scheduled at `eventTime` fired at `now`.
    void fired(std::string_view scheduler, double eventTime, double now);
    bool hasPending() const { return !pending_.empty(); }
    // Every pending wake gets the network now; answers how many.
    std::size_t deliverPending(double now);

    // Waiting times of delivered wakes, and of the wakes still waiting at `end`.
    const std::vector<double>& deliveredDelays() const { return delays_; }
    std::vector<double> undeliveredDelays(double end) const;
    // Waiting times, up to `end`, of the wake events that came due before it
    // and never fired (held back, wherever they were moved).
    std::vector<double> unfiredDelays(double end) const;
    std::size_t eventsFired() const { return fired_; }

    static std::string schedulerName(std::size_t index, std::string_view bundle);

private:
    struct App {
        std::string bundle;
        double every;
        std::string scheduler;
        double ownTime;  // when the application wanted its scheduled event
    };
    App* find(std::string_view scheduler);
    const App* find(std::string_view scheduler) const;
    void schedule(App& app, double ownTime);

    SimPowerManagement& power_;
    double wallStart_;
    std::vector<App> apps_;
    std::vector<double> pending_;  // own times of fired wakes still without network
    std::vector<double> delays_;
    std::size_t fired_ = 0;
};

}  // namespace corvane::sim
