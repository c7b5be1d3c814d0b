#pragma once
// The user's own strategy: starts with Aggressive's values; the settings
// reader then overwrites its fields from the settings file.

#include "engine/strategies/StrategyAggressive.h"

namespace corvane {

class StrategyCustom : public StrategyAggressive {
public:
    StrategyCustom();
    std::string name() const override;
};

}  // namespace corvane
