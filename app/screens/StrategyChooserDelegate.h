#pragma once
// Hears a strategy row become selected.

#include <cstdint>

namespace corvane::app {

class StrategyChooserDelegate {
public:
    virtual ~StrategyChooserDelegate() = default;
    virtual void strategyChanged(std::int32_t strategy) = 0;
};

}  // namespace corvane::app
