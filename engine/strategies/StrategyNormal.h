#pragma once
// Like iMessage, but cellular data is switched off at sleep too.

#include "engine/strategies/StrategyUserFriendly.h"

namespace corvane {

class StrategyNormal : public StrategyUserFriendly {
public:
    StrategyNormal();
    std::string name() const override;
};

}  // namespace corvane
