#pragma once
// The one way for tests and benchmarks to put the engine in a situation that
// the phone reaches only slowly or not at all (a strategy object of their own
// making, a temporary strategy), and to reach the few records that no screen
// or file shows.

#include <memory>
#include <utility>

#include "engine/controller/Corvane.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/Strategie.h"

namespace corvane {

struct Corvane::TestAccess {
    Corvane& engine;

    // Puts `chosen` in force as the user's own strategy.
    void useStrategy(std::shared_ptr<Strategie> chosen) {
        engine.baseStrategy = chosen;
        engine.strategy = std::move(chosen);
        engine.strategyDidChanged();
    }
    // Puts a new strategy of the given number in force over the user's own,
    // as AC power or the critical level do.
    void forceTemporaryStrategy(std::int32_t number) {
        engine.strategy = Strategie::strategyFromEnum(number);
        engine.strategyDidChanged();
    }

    RadiosLib& radios() { return *engine.radiosLib; }
    Edge2WiFiManager& edge2WiFiManager() { return *engine.edge2WiFiManager; }
    bool manageLowPowerMode() const { return engine.manageLowPowerMode; }
    const plist::Dictionary& keepApps() const { return engine.keepApps; }
    const plist::Dictionary& noDelayApps() const { return engine.noDelayApps; }
    bool edgeLastState() const { return engine.memorized_.edgeLastState; }
    bool& awokeInBackground() { return engine.awokeInBackground; }
    std::optional<platform::Date>& lastRestoreInBackground() { return engine.lastRestoreInBackground; }
    double& savedRadioTimeSinceFirstUse() { return engine.savedRadioTimeSinceFirstUse; }
    const std::optional<std::string>& currentWiFiNetwork() const { return engine.currentWiFiNetwork; }
};

}  // namespace corvane
