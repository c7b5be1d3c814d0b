#include "engine/strategies/StrategyUltimate.h"

namespace corvane {

StrategyUltimate::StrategyUltimate() {
    strategy = kStrategyUltimate;
    enabledAllRadios = false;
    enabledAllRadiosInBackground = false;
    enabledEdgeOffOnWifi = false;
    enableNoRadioAtCriticalLevel = false;
    monitorWiFiInBackground = false;
    enableSaveStats = true;
    enableSaveLastBattStat = true;
    radioTimerDurationAtSleep = 10.0;
    radioTimerDurationAtWakeup = 10.0;
    wakeIntervalMinutes = 120.0;
    lowPowerMode = kRadioOn;
    lowPowerModeAtSleep = kRadioOn;
}

std::string StrategyUltimate::name() const { return "Ultimate"; }

}  // namespace corvane
