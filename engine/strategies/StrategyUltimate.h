#pragma once
// Switches every radio off at sleep, turns the low-power mode on, and never
// switches anything back on.

#include "engine/strategies/Strategie.h"

namespace corvane {

class StrategyUltimate : public Strategie {
public:
    StrategyUltimate();
    std::string name() const override;
};

}  // namespace corvane
