#include "engine/strategies/StrategyNormal.h"

namespace corvane {

StrategyNormal::StrategyNormal() {
    strategy = kStrategyNormal;
    edgeAtSleep = kRadioOff;
}

std::string StrategyNormal::name() const { return "Normal"; }

}  // namespace corvane
