#pragma once
// The "iMessage" strategy: keeps cellular data on at sleep so that messages
// still arrive, and restores the radios at wake-up.

#include "engine/strategies/Strategie.h"

namespace corvane {

class StrategyUserFriendly : public Strategie {
public:
    StrategyUserFriendly();
    std::string name() const override;
};

}  // namespace corvane
