#include "engine/strategies/Strategie.h"

#include "engine/strategies/StrategyAdaptive.h"
#include "engine/strategies/StrategyAggressive.h"
#include "engine/strategies/StrategyCustom.h"
#include "engine/strategies/StrategyNone.h"
#include "engine/strategies/StrategyNormal.h"
#include "engine/strategies/StrategyUltimate.h"
#include "engine/strategies/StrategyUserFriendly.h"

namespace corvane {

std::unique_ptr<Strategie> Strategie::strategyFromEnum(std::int32_t number) {
    switch (number) {
        case kStrategyNone: return std::make_unique<StrategyNone>();
        case kStrategyIMessage: return std::make_unique<StrategyUserFriendly>();
        case kStrategyNormal: return std::make_unique<StrategyNormal>();
        case kStrategyAggressive: return std::make_unique<StrategyAggressive>();
        case kStrategyUltimate: return std::make_unique<StrategyUltimate>();
        case kStrategyCustom: return std::make_unique<StrategyCustom>();
        case kStrategyAdaptive: return std::make_unique<StrategyAdaptive>();
        default: return nullptr;
    }
}

std::string Strategie::name() const { return "Abstract"; }

bool Strategie::canTurnOFFRadios() const { return true; }

void Strategie::setAllRadiosAtWakeup(RadioSetting setting) {
    edge = threeG = fourG = wifi = location = push = bluetooth = setting;
}

void Strategie::setAllRadiosAtSleep(RadioSetting setting) {
    edgeAtSleep = threeGAtSleep = fourGAtSleep = wifiAtSleep = locationAtSleep = pushAtSleep = bluetoothAtSleep =
        setting;
}

}  // namespace corvane
