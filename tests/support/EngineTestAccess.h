#pragma once
// The one way for tests and benchmarks to put the engine in a situation the
// phone reaches only slowly or not at all, and to reach the few records that
// no screen or file shows.
#include <memory>
#include <utility>

#include "engine/controller/Corvane.h"
#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/Strategie.h"

namespace corvane {

struct Corvane::TestAccess {
    Corvane& engine;

    // `chosen` in force as the user's own strategy.
    void useStrategy(std::shared_ptr<Strategie> chosen) {
        engine.baseStrategy = chosen;
        engine.strategy = std::move(chosen);
        engine.strategyDidChanged();
    }
    // A new strategy of that number in force over the user's, as AC power or the critical level do.
    void forceTemporaryStrategy(std::int32_t number) {
        engine.strategy = Strategie::strategyFromEnum(number);
        engine.strategyDidChanged();
    }

    RadiosLib& radios() { return *engine.radiosLib; }
    Edge2WiFiManager& edge2WiFiManager() { return *engine.edge2WiFiManager; }
    bool manageLowPowerMode() const { return engine.manageLowPowerMode; }
    const plist::Dictionary& keepApps() const { return engine.keepApps; }
    const plist::Dictionary& noDelayApps() const { return engine.noDelayApps; }
    double& savedRadioTimeSinceFirstUse() { return engine.savedRadioTimeSinceFirstUse; }
    const std::optional<std::string>& currentWiFiNetwork() const { return engine.currentWiFiNetwork; }
};

}  // namespace corvane
