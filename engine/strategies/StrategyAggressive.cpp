#include "engine/strategies/StrategyAggressive.h"

namespace corvane {

StrategyAggressive::StrategyAggressive() {
    strategy = kStrategyAggressive;
    enabledEdgeOffOnWifi = true;
    enableNoRadioAtCriticalLevel = true;
    monitorWiFiInBackground = true;
    radioTimerDurationAtSleep = 5.0;
    wakeIntervalMinutes = 30.0;
    setAllRadiosAtWakeup(kRadioAuto);
    setAllRadiosAtSleep(kRadioOff);
}

std::string StrategyAggressive::name() const { return "Aggressive"; }

}  // namespace corvane
