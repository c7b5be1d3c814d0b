#include "engine/strategies/StrategyNone.h"

namespace corvane {

StrategyNone::StrategyNone() {
    strategy = kStrategyNone;
    wakeIntervalMinutes = 120.0;
}

std::string StrategyNone::name() const { return "None"; }

bool StrategyNone::canTurnOFFRadios() const { return false; }

}  // namespace corvane
