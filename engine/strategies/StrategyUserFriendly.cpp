#include "engine/strategies/StrategyUserFriendly.h"

namespace corvane {

StrategyUserFriendly::StrategyUserFriendly() {
    strategy = kStrategyIMessage;
    enabledAllRadios = true;
    enabledAllRadiosInBackground = true;
    enabledEdgeOffOnWifi = false;
    enableNoRadioAtCriticalLevel = false;
    monitorWiFiInBackground = false;
    enableSaveStats = true;
    enableSaveLastBattStat = true;
    radioTimerDurationAtSleep = 15.0;
    radioTimerDurationAtWakeup = 3.0;
    wakeIntervalMinutes = 15.0;
    setAllRadiosAtWakeup(kRadioAuto);
    setAllRadiosAtSleep(kRadioOff);
    edgeAtSleep = kRadioOn;
    lowPowerMode = kRadioOff;
    lowPowerModeAtSleep = kRadioOn;
}

std::string StrategyUserFriendly::name() const { return "iMessage"; }

}  // namespace corvane
