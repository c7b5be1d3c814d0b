#pragma once
// Normal plus cellular-off-on-WiFi, the critical-level switch to Ultimate,
// the background WiFi check and a short sleep delay.

#include "engine/strategies/StrategyNormal.h"

namespace corvane {

class StrategyAggressive : public StrategyNormal {
public:
    StrategyAggressive();
    std::string name() const override;
};

}  // namespace corvane
