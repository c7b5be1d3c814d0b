#include "engine/strategies/StrategyCustom.h"

namespace corvane {

StrategyCustom::StrategyCustom() { strategy = kStrategyCustom; }

std::string StrategyCustom::name() const { return "Custom"; }

}  // namespace corvane
