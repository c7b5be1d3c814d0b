#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "engine/strategies/Strategie.h"
#include "engine/strategies/StrategyAggressive.h"
#include "engine/strategies/StrategyCustom.h"
#include "engine/strategies/StrategyNone.h"
#include "engine/strategies/StrategyNormal.h"
#include "engine/strategies/StrategyUltimate.h"
#include "engine/strategies/StrategyUserFriendly.h"

namespace corvane {
namespace {

// Columns of the values table, base class first.
enum Column { kBase, kUltimate, kNone, kUserFriendly, kNormal, kAggressive, kCustom, kColumns };

std::array<std::unique_ptr<Strategie>, kColumns> everyClass() {
    return {std::make_unique<Strategie>(),      std::make_unique<StrategyUltimate>(),
            std::make_unique<StrategyNone>(),   std::make_unique<StrategyUserFriendly>(),
            std::make_unique<StrategyNormal>(), std::make_unique<StrategyAggressive>(),
            std::make_unique<StrategyCustom>()};
}

struct Row {
    const char* field;
    std::function<double(const Strategie&)> read;
    std::array<double, kColumns> expected;
};

#define FIELD(f) #f, [](const Strategie& s) { return static_cast<double>(s.f); }
constexpr double Y = 1, N = 0;

// Base, Ultimate, None, UserFriendly, Normal, Aggressive, Custom.
const Row kValues[] = {
    {FIELD(strategy), {0, 4, 0, 1, 2, 3, 5}},
    {FIELD(monitorWiFiInBackground), {N, N, N, N, N, Y, Y}},
    {FIELD(radioTimerDurationAtSleep), {0.0, 10.0, 10.0, 15.0, 15.0, 5.0, 5.0}},
    {FIELD(radioTimerDurationAtWakeup), {0.0, 10.0, 10.0, 3.0, 3.0, 3.0, 3.0}},
    {FIELD(wakeIntervalMinutes), {15.0, 120.0, 120.0, 15.0, 15.0, 30.0, 30.0}},
    {FIELD(enabledAllRadios), {N, N, N, Y, Y, Y, Y}},
    {FIELD(enabledAllRadiosInBackground), {N, N, N, Y, Y, Y, Y}},
    {FIELD(enabledEdgeOffOnWifi), {N, N, N, N, N, Y, Y}},
    {FIELD(enableNoRadioAtCriticalLevel), {N, N, N, N, N, Y, Y}},
    {FIELD(enableSaveStats), {Y, Y, Y, Y, Y, Y, Y}},
    {FIELD(enableSaveLastBattStat), {Y, Y, Y, Y, Y, Y, Y}},
    {FIELD(edge), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(threeG), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(fourG), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(wifi), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(location), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(push), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(bluetooth), {2, 2, 2, 0, 0, 0, 0}},
    {FIELD(wifiAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(threeGAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(fourGAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(locationAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(pushAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(bluetoothAtSleep), {2, 2, 2, 2, 2, 2, 2}},
    {FIELD(edgeAtSleep), {2, 2, 2, 1, 2, 2, 2}},
    {FIELD(lowPowerMode), {2, 1, 1, 2, 2, 2, 2}},
    {FIELD(lowPowerModeAtSleep), {2, 1, 1, 1, 1, 1, 1}},
};
#undef FIELD

TEST(Strategies, EveryClassHasTheValuesOfTheTable) {
    const auto strategies = everyClass();
    for (const Row& row : kValues) {
        for (int column = 0; column < kColumns; ++column) {
            EXPECT_EQ(row.read(*strategies[column]), row.expected[column])
                << row.field << " of " << strategies[column]->name();
        }
    }
}

TEST(Strategies, StrategyFromEnumBuildsTheNumberedClassWithItsName) {
    const auto strategies = everyClass();
    const std::array<const char*, kColumns> names = {"Abstract", "Ultimate",   "None",  "iMessage",
                                                     "Normal",   "Aggressive", "Custom"};
    for (int column = 0; column < kColumns; ++column) {
        EXPECT_EQ(strategies[column]->name(), names[column]);
        EXPECT_EQ(strategies[column]->canTurnOFFRadios(), column != kNone) << names[column];
    }
    // Number -> column of the class it must build.
    const std::array<Column, 6> classOfNumber = {kNone, kUserFriendly, kNormal, kAggressive, kUltimate, kCustom};
    for (std::int32_t number = 0; number < 6; ++number) {
        const std::unique_ptr<Strategie> built = Strategie::strategyFromEnum(number);
        ASSERT_NE(built, nullptr) << number;
        EXPECT_EQ(typeid(*built), typeid(*strategies[classOfNumber[number]])) << number;
    }
    EXPECT_EQ(Strategie::strategyFromEnum(kStrategyAdaptive)->name(), "Adaptive");
    for (std::int32_t number : {7, -1, INT32_MAX}) EXPECT_EQ(Strategie::strategyFromEnum(number), nullptr);
}

}  // namespace
}  // namespace corvane
