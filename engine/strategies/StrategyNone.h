#pragma once
// Ultimate's values, but the engine never switches any radio under it.
// Also the temporary strategy while the phone is on external power.

#include "engine/strategies/StrategyUltimate.h"

namespace corvane {

class StrategyNone : public StrategyUltimate {
public:
    StrategyNone();
    std::string name() const override;
    bool canTurnOFFRadios() const override;
};

}  // namespace corvane
